// Process entry of the sequence editor.
#include <cstring>

#include "brakto.h"
#include "platform/command_line.h"
#include "platform/start_up.h"
#include "platform/text_io.h"

int main(int argc, char** argv) {
  platform::open_standard_descriptors();
  platform::set_command_line(argc, argv);
  platform::ignore_broken_pipe();
  if (!platform::keep_memory_reserve()) {
    // The report of a failure for want of memory, made without any.
    platform::write_standard_output_directly("Command: ");
    if (argc > 0 && argv[0]) platform::write_standard_output_directly({argv[0], std::strlen(argv[0])});
    platform::write_standard_output_directly(
        "\nSTORAGE_ERROR\nheap exhausted\nraised STORAGE_ERROR : heap exhausted\n");
    return 0;
  }
  brakto::Brakto();
  try {
    platform::standard_output().flush();
  } catch (...) {
    // Nowhere left to report a closed standard output.
  }
  return 0;
}
