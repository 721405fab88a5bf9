#include "platform/command_line.h"

#include <utility>

#include "platform/exceptions.h"

namespace platform {

namespace {

// As the process entry got them; copied into strings at the first use, so
// that nothing allocates before the programs' handlers are in place.
int given_count = 0;
const char* const* given_values = nullptr;
bool copied = false;

struct Kept_Command_Line {
  std::string name;
  std::vector<std::string> arguments;
};

Kept_Command_Line& storage() {
  static Kept_Command_Line kept;
  return kept;
}

const Kept_Command_Line& kept() {
  Kept_Command_Line& line = storage();
  if (!copied) {
    line.name = given_count > 0 && given_values[0] ? given_values[0] : "";
    line.arguments.clear();
    for (int i = 1; i < given_count; ++i) line.arguments.emplace_back(given_values[i]);
    copied = true;
  }
  return line;
}

}  // namespace

void set_command_line(int argc, const char* const* argv) noexcept {
  given_count = argc;
  given_values = argv;
  copied = false;
}

void set_command_line(std::string command_name, std::vector<std::string> arguments) {
  Kept_Command_Line& line = storage();
  line.name = std::move(command_name);
  line.arguments = std::move(arguments);
  copied = true;
}

int argument_count() { return int(kept().arguments.size()); }

const std::string& argument(int n) {
  if (n < 1 || n > argument_count()) {
    raise(standard::CONSTRAINT_ERROR, "argument " + std::to_string(n) + " not on the command line");
  }
  return kept().arguments[std::size_t(n - 1)];
}

const std::string& command_name() { return kept().name; }

}  // namespace platform
