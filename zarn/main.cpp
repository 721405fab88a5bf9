// The aligner's process entry.
#include "alignment_random.h"
#include "platform/command_line.h"
#include "platform/start_up.h"
#include "platform/text_io.h"
#include "zarn.h"

int main(int argc, char** argv) {
  platform::open_standard_descriptors();
  platform::set_command_line(argc, argv);
  platform::ignore_broken_pipe();
  if (!platform::keep_memory_reserve()) {
    // The report of a failure for want of memory, made without any.
    platform::write_standard_output_directly("Program interrupted!\nRaised STORAGE_ERROR\n");
    return 0;
  }
  // Start-up of the randomisation unit: its generator is reset from the clock.
  alignment_random::Program_Generator();
  zarn::zarn();
  try {
    platform::standard_output().flush();
  } catch (...) {
    // Standard output is gone; there is nowhere left to say so.
  }
  return 0;
}
