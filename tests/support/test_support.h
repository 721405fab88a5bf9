// Shared test helpers: files, golden comparisons, temporary folders and
// running the real programs.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/exceptions.h"

namespace test_support {

// "NAME message" of the exception that F raises, or "nothing raised".
template <class F>
std::string raised(F&& f) {
  try {
    f();
  } catch (const platform::Error& e) {
    return std::string(e.name()) + " " + e.message();
  }
  return "nothing raised";
}

std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& contents);

// Length letters of ACGT from a small generator started at Seed: the same
// text on every machine, for inputs too long to keep as fixtures.
std::string pseudo_random_dna(std::size_t length, std::uint32_t seed);

std::filesystem::path fixture(const std::string& name);   // tests/fixtures/<name>
std::filesystem::path example(const std::string& name);   // examples/<name>

// Byte-for-byte comparison with tests/golden/<name>. With ZARN_UPDATE_GOLDEN=1
// in the environment the golden file is (re)written instead: check it by hand.
::testing::AssertionResult matches_golden(const std::string& actual, const std::string& name);

// A fresh folder, removed with everything in it at the end of the scope.
class Temp_Dir {
 public:
  Temp_Dir();
  ~Temp_Dir();
  Temp_Dir(const Temp_Dir&) = delete;
  Temp_Dir& operator=(const Temp_Dir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct Run_Result {
  std::string out;  // standard output
  std::string err;  // standard error
  int status = -1;  // exit status, or -signal when killed
};

// Where the program's standard output goes: a pipe read to the end, a pipe
// whose reader is gone before the program starts, or a full device; or a
// pipe left non-blocking (as some job runners leave it) and read slowly, so
// that writes to it are refused for the moment again and again.
enum class Output_To { collected, closed_pipe, full_device, slow_non_blocking_pipe };

// Whether the programs run through an emulator (a cross build's tests).
bool programs_are_emulated();

// Puts in Folder an executable Name that runs Program (through the emulator
// when the programs are emulated), for scripts that call it by its name.
void put_on_path(const std::filesystem::path& folder, const std::string& name, const std::string& program);

// How a program is started, besides its arguments and folder.
struct Run_Options {
  Output_To output_to = Output_To::collected;
  // Read by the program from a pipe when given.
  const std::string* standard_input = nullptr;
  // The size in bytes that no file the program writes may pass, when given.
  std::int64_t file_size_limit = -1;
  // The user (and group) the program runs as, when given; only root can.
  int user = -1;
  // A program still running after this many seconds is killed (status -9),
  // so that a run that would wait for ever fails its test instead.
  int timeout_seconds = 0;
};

// Runs Program with Arguments in folder Cwd and collects its output (the
// standard output only when it goes to a collected or slow pipe).
Run_Result run(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& cwd, const Run_Options& options);
Run_Result run(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& cwd, Output_To output_to = Output_To::collected,
               const std::string* standard_input = nullptr);

}  // namespace test_support
