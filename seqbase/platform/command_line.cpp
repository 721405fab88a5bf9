#include "platform/command_line.h"

#include <utility>

#include "platform/exceptions.h"

namespace platform {

namespace {
std::string program_name;
std::vector<std::string> program_arguments;
}  // namespace

void set_command_line(int argc, const char* const* argv) {
  program_name = argc > 0 && argv[0] ? argv[0] : "";
  program_arguments.clear();
  for (int i = 1; i < argc; ++i) program_arguments.emplace_back(argv[i]);
}

void set_command_line(std::string command_name, std::vector<std::string> arguments) {
  program_name = std::move(command_name);
  program_arguments = std::move(arguments);
}

int argument_count() { return int(program_arguments.size()); }

const std::string& argument(int n) {
  if (n < 1 || n > argument_count()) {
    raise(standard::CONSTRAINT_ERROR, "argument " + std::to_string(n) + " not on the command line");
  }
  return program_arguments[std::size_t(n - 1)];
}

const std::string& command_name() { return program_name; }

}  // namespace platform
