// The aligner's process entry.
#include "platform/command_line.h"
#include "platform/text_io.h"
#include "zarn.h"

int main(int argc, char** argv) {
  platform::set_command_line(argc, argv);
  zarn::zarn();
  try {
    platform::standard_output().flush();
  } catch (...) {
    // Standard output is gone; there is nowhere left to say so.
  }
  return 0;
}
