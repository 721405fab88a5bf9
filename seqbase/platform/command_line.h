// The process's command line.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Kept by the process entry before anything else runs; Argv must live as
// long as the process (it is read at the first use, not here).
void set_command_line(int argc, const char* const* argv) noexcept;
// For tests: the program name and its arguments.
void set_command_line(std::string command_name, std::vector<std::string> arguments);

// The number of arguments, the program name not counted.
int argument_count();
// Argument N, N from 1; CONSTRAINT_ERROR beyond the count.
const std::string& argument(int n);
// The program name as invoked.
const std::string& command_name();

}  // namespace platform
