#include "test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace test_support {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::filesystem::path& path, const std::string& contents) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path.string());
  out << contents;
}

std::string pseudo_random_dna(std::size_t length, std::uint32_t seed) {
  std::string residues;
  residues.reserve(length);
  for (std::uint32_t x = seed; residues.size() < length;) {
    x = x * 1103515245u + 12345u;
    residues += "ACGT"[x >> 30];
  }
  return residues;
}

std::filesystem::path fixture(const std::string& name) {
  return std::filesystem::path(ZARN_FIXTURE_DIR) / name;
}

std::filesystem::path example(const std::string& name) {
  return std::filesystem::path(ZARN_SOURCE_DIR) / "examples" / name;
}

::testing::AssertionResult matches_golden(const std::string& actual, const std::string& name) {
  const std::filesystem::path path = std::filesystem::path(ZARN_GOLDEN_DIR) / name;
  const char* update = std::getenv("ZARN_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    std::filesystem::create_directories(path.parent_path());
    write_file(path, actual);
    return ::testing::AssertionSuccess() << "golden file written: " << path;
  }
  if (!std::filesystem::exists(path)) {
    return ::testing::AssertionFailure() << "no golden file " << path;
  }
  const std::string expected = read_file(path);
  if (expected == actual) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  std::size_t line = 1;
  for (std::size_t i = 0; i < at; ++i) line += expected[i] == '\n';
  return ::testing::AssertionFailure()
         << "differs from " << path << " at byte " << at << " (line " << line << ")\n"
         << "--- expected ---\n" << expected << "\n--- actual ---\n" << actual;
}

Temp_Dir::Temp_Dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zarn-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

Temp_Dir::~Temp_Dir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

namespace {
// Reads FD to its end; Slowly, a little at a time with pauses between.
std::string drain(int fd, bool slowly = false) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, slowly ? 1024 : sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, std::size_t(got));
    if (slowly) std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::close(fd);
  return text;
}
}  // namespace

bool programs_are_emulated() { return std::string_view(ZARN_TEST_EMULATOR).size() > 0; }

void put_on_path(const std::filesystem::path& folder, const std::string& name, const std::string& program) {
  const std::filesystem::path path = folder / name;
  write_file(path, std::string("#!/bin/sh\nexec ") + ZARN_TEST_EMULATOR + " '" + program + "' \"$@\"\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_exec |
                                         std::filesystem::perms::others_exec,
                               std::filesystem::perm_options::add);
}

Run_Result run(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& cwd, Output_To output_to, const std::string* standard_input) {
  return run(program, arguments, cwd, Run_Options{.output_to = output_to, .standard_input = standard_input});
}

Run_Result run(const std::string& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& cwd, const Run_Options& options) {
  const Output_To output_to = options.output_to;
  const std::string* standard_input = options.standard_input;
  int out_pipe[2];
  int err_pipe[2];
  int in_pipe[2] = {-1, -1};
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  int gone_pipe[2] = {-1, -1};
  if (output_to == Output_To::closed_pipe) {
    if (::pipe(gone_pipe) != 0) throw std::runtime_error("pipe failed");
    ::close(gone_pipe[0]);
  }
  if (standard_input && ::pipe(in_pipe) != 0) throw std::runtime_error("pipe failed");
  // Only the writing end: the test reads its own end as usual.
  if (output_to == Output_To::slow_non_blocking_pipe &&
      ::fcntl(out_pipe[1], F_SETFL, ::fcntl(out_pipe[1], F_GETFL) | O_NONBLOCK) != 0) {
    throw std::runtime_error("fcntl failed");
  }
  // Built before the fork: the child only makes system calls until it execs.
  // Cross-built programs start through the emulator that runs the tests.
  static char emulator[] = ZARN_TEST_EMULATOR;
  std::vector<char*> argv;
  if (programs_are_emulated()) argv.push_back(emulator);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (standard_input) {
      ::dup2(in_pipe[0], 0);
      ::close(in_pipe[0]);
      ::close(in_pipe[1]);
    }
    ::dup2(out_pipe[1], 1);
    if (output_to == Output_To::closed_pipe) {
      ::dup2(gone_pipe[1], 1);
      ::close(gone_pipe[1]);
    } else if (output_to == Output_To::full_device) {
      const int full = ::open("/dev/full", O_WRONLY);
      if (full < 0) ::_exit(125);
      ::dup2(full, 1);
      ::close(full);
    }
    // As from a shell: a write to a pipe without a reader, or past the
    // file-size limit, ends the program unless it says otherwise.
    ::signal(SIGPIPE, SIG_DFL);
    ::signal(SIGXFSZ, SIG_DFL);
    if (options.file_size_limit >= 0) {
      const rlimit limit{rlim_t(options.file_size_limit), rlim_t(options.file_size_limit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(123);
    }
    if (options.user >= 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(gid_t(options.user)) != 0 || ::setuid(uid_t(options.user)) != 0)) {
      ::_exit(124);
    }
    ::dup2(err_pipe[1], 2);
    ::close(out_pipe[0]);
    ::close(out_pipe[1]);
    ::close(err_pipe[0]);
    ::close(err_pipe[1]);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  if (gone_pipe[1] >= 0) ::close(gone_pipe[1]);
  std::thread in_writer;
  if (standard_input) {
    ::close(in_pipe[0]);
    ::signal(SIGPIPE, SIG_IGN);  // a program that stops reading early ends no test
    in_writer = std::thread([&] {
      const char* data = standard_input->data();
      std::size_t left = standard_input->size();
      while (left > 0) {
        const ssize_t written = ::write(in_pipe[1], data, left);
        if (written <= 0) break;  // the program has stopped reading
        data += written;
        left -= std::size_t(written);
      }
      ::close(in_pipe[1]);
    });
  }
  // The program is reaped only once the watchdog is gone, so that its number
  // still names it (or its remains) when the watchdog kills it.
  std::mutex finishing;
  std::condition_variable finished_cv;
  bool finished = false;
  std::thread watchdog;
  if (options.timeout_seconds > 0) {
    watchdog = std::thread([&] {
      std::unique_lock<std::mutex> hold(finishing);
      if (!finished_cv.wait_for(hold, std::chrono::seconds(options.timeout_seconds), [&] { return finished; })) {
        ::kill(pid, SIGKILL);
      }
    });
  }
  Run_Result result;
  std::thread err_reader([&] { result.err = drain(err_pipe[0]); });
  result.out = drain(out_pipe[0], output_to == Output_To::slow_non_blocking_pipe);
  err_reader.join();
  if (in_writer.joinable()) in_writer.join();
  if (watchdog.joinable()) {
    {
      const std::lock_guard<std::mutex> hold(finishing);
      finished = true;
    }
    finished_cv.notify_one();
    watchdog.join();
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return result;
}

}  // namespace test_support
