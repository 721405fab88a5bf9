// What both programs do at their entry, seen from outside: standard
// descriptors that were closed, and memory too short to get going.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

namespace {

// The program run from a shell that first applies Setup ("exec 1>&-",
// "ulimit -v 2000"), in folder Cwd.
test_support::Run_Result run_after(const std::string& setup, const std::string& program,
                                   const Arguments& arguments, const fs::path& cwd) {
  Arguments shell = {"-c", setup + "; exec \"$0\" \"$@\"", program};
  shell.insert(shell.end(), arguments.begin(), arguments.end());
  return test_support::run("/bin/sh", shell, cwd);
}

struct Program_Case {
  const char* program;
  Arguments arguments;
  std::vector<std::string> outputs;  // the files the run writes
};

// Many couples' worth of standard output, written while the files are open.
void write_inputs(const test_support::Temp_Dir& dir) {
  std::string repeats = ">c\n";
  for (int i = 0; i < 300; ++i) repeats += "ACGT";
  test_support::write_file(dir / "c.fa", repeats + "\n");
  test_support::write_file(dir / "d.fa", ">d\nACGT\n");
}

const Program_Case programs[] = {
    {ZARN_BINARY, {"-S1", "c.fa", "-S2", "d.fa", "-LOCAL", "-BU", "A", "-RE", "-SU"}, {"c_d.aln", "c_d.sim"}},
    {ZARN_BINARY, {"-S1", "c.fa", "-S2", "d.fa", "-LOCAL", "-BU", "A", "-SU"}, {"c_d.sim"}},
    {BRAKTO_BINARY, {"-IN", "500", "100", "-M", "30", "-S", "7", "c.fa"},
     {"c_00000001.frgseq", "c_00000401.frgseq", "c_00000801.frgseq"}},
};

}  // namespace

// A file opened while standard output is closed would take its descriptor,
// and standard output's text would be written into it.
TEST(StartUp, ClosedStandardDescriptorsLeaveTheFilesAlone) {
  if (test_support::programs_are_emulated()) {
    GTEST_SKIP() << "under an emulator the process entry, its descriptors and its memory are the emulator's";
  }
  for (const Program_Case& p : programs) {
    test_support::Temp_Dir dir;
    write_inputs(dir);
    auto outputs = [&] {
      std::string all;
      for (const std::string& name : p.outputs) {
        all += "--- " + name + "\n";
        if (fs::exists(dir / name)) all += test_support::read_file(dir / name);
        fs::remove(dir / name);
      }
      return all;
    };
    ASSERT_EQ(run_after("exec >/dev/null", p.program, p.arguments, dir.path()).status, 0);
    const std::string expected = outputs();
    for (const char* closing : {"exec <&-", "exec >&-", "exec 2>&-", "exec <&- >&- 2>&-"}) {
      const test_support::Run_Result result = run_after(closing, p.program, p.arguments, dir.path());
      EXPECT_EQ(result.status, 0) << closing;
      EXPECT_TRUE(outputs() == expected) << p.program << " after " << closing;
    }
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define ZARN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZARN_ADDRESS_SANITIZER 1
#endif
#endif

// Under every limit of memory, each program either does not start at all
// (the loader or the C library refuses), or reports STORAGE_ERROR in its own
// words, or runs: it never aborts.
TEST(StartUp, ShortMemoryIsReportedFromTheFirstAllocation) {
#ifdef ZARN_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer needs far more address space than any limit tried here";
#else
  if (test_support::programs_are_emulated()) {
    GTEST_SKIP() << "under an emulator the process entry, its descriptors and its memory are the emulator's";
  }
  struct Case {
    const char* program;
    Arguments arguments;
    std::string storage_report;  // how a run that lacks memory ends
  };
  const Case cases[] = {
      {ZARN_BINARY, {"-S1", "c.fa", "-S2", "d.fa", "-LOCAL"}, "Program interrupted!\nRaised STORAGE_ERROR\n"},
      {BRAKTO_BINARY, {"c.fa"}, "STORAGE_ERROR\nheap exhausted\nraised STORAGE_ERROR : heap exhausted\n"},
  };
  constexpr int step = 4;  // KB: a page
  for (const Case& c : cases) {
    test_support::Temp_Dir dir;
    write_inputs(dir);
    auto run = [&](int kb) {
      return run_after("ulimit -v " + std::to_string(kb), c.program, c.arguments, dir.path());
    };
    const test_support::Run_Result unlimited = test_support::run(c.program, c.arguments, dir.path());
    ASSERT_EQ(unlimited.status, 0);
    // The lowest limit under which the program runs to its end, reporting or not.
    int low = 0;
    int high = 1 << 20;
    ASSERT_EQ(run(high).out, unlimited.out);
    while (high - low > step) {
      const int middle = (low + high) / 2;
      (run(middle).status == 0 ? high : low) = middle;
    }
    const int starts = high;
    // Below it, nothing may abort; from it up to a full run, every run ends
    // with its report or its results.
    bool completed = false;
    for (int kb = starts - 64 * step; kb <= starts + 4096 * step && !completed; kb += step) {
      const test_support::Run_Result result = run(kb);
      EXPECT_NE(result.status, -SIGABRT) << c.program << " under " << kb << " KB";
      EXPECT_EQ(result.err.find("terminate called"), std::string::npos) << c.program << " under " << kb << " KB";
      if (kb < starts) continue;
      completed = result.out == unlimited.out;
      const bool reported = result.out.size() >= c.storage_report.size() &&
                            result.out.compare(result.out.size() - c.storage_report.size(),
                                               c.storage_report.size(), c.storage_report) == 0;
      EXPECT_TRUE(result.status == 0 && result.err.empty() && (completed || reported))
          << c.program << " under " << kb << " KB: status " << result.status << "\n"
          << result.out << result.err;
    }
    EXPECT_TRUE(completed) << c.program;
  }
#endif
}
