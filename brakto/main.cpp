// Process entry of the sequence editor.
#include "brakto.h"
#include "platform/command_line.h"
#include "platform/text_io.h"

int main(int argc, char** argv) {
  platform::set_command_line(argc, argv);
  platform::ignore_broken_pipe();
  brakto::Brakto();
  try {
    platform::standard_output().flush();
  } catch (...) {
    // Nowhere left to report a closed standard output.
  }
  return 0;
}
