// Process entry of the sequence editor.
#include <cstring>

#include "brakto.h"
#include "platform/start_up.h"

int main(int argc, char** argv) {
  if (!platform::start_up(argc, argv)) {
    // The report of a failure for want of memory, made without any.
    platform::write_standard_output_directly("Command: ");
    if (argc > 0 && argv[0]) platform::write_standard_output_directly({argv[0], std::strlen(argv[0])});
    platform::write_standard_output_directly(
        "\nSTORAGE_ERROR\nheap exhausted\nraised STORAGE_ERROR : heap exhausted\n");
    return 0;
  }
  brakto::Brakto();
  platform::finish_standard_output();
  return 0;
}
