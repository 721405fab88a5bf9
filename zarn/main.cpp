// The aligner's process entry.
#include "alignment_random.h"
#include "platform/start_up.h"
#include "zarn.h"

int main(int argc, char** argv) {
  if (!platform::start_up(argc, argv)) {
    // The report of a failure for want of memory, made without any.
    platform::write_standard_output_directly("Program interrupted!\nRaised STORAGE_ERROR\n");
    return 0;
  }
  // Start-up of the randomisation unit: its generator is reset from the clock.
  alignment_random::Program_Generator();
  zarn::zarn();
  platform::finish_standard_output();
  return 0;
}
