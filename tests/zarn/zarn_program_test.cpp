// The real zarn binary, run in a fresh folder on the example files.
#include <gtest/gtest.h>

#include "test_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

namespace {

// A folder holding the example files, the fixtures of this area and the
// list and positions files that the tests write.
class Work_Folder {
 public:
  Work_Folder() {
    for (const char* name : {"dna_1.fa", "dna_2.fa", "dna_2.gb", "protein_1.fa", "protein_2.fa"}) {
      fs::copy_file(test_support::example(name), dir_ / name);
    }
    fs::copy_file(test_support::fixture("zarn/rc_part.fa"), dir_ / "rc_part.fa");
    test_support::write_file(dir_ / "seqs.lst",
                             "# the sequences of the couples\n"
                             "dna_1.fa\n"
                             "dna_2.fa - - BOTH\n"
                             "rc_part.fa\n"
                             "dna_1.fa - - WATSON watson_only\n");
  }

  test_support::Run_Result zarn(const Arguments& arguments) const {
    return test_support::run(ZARN_BINARY, arguments, dir_.path());
  }
  void write(const std::string& name, const std::string& contents) const {
    test_support::write_file(dir_ / name, contents);
  }
  std::string read(const std::string& name) const { return test_support::read_file(dir_ / name); }
  bool exists(const std::string& name) const { return fs::exists(dir_ / name); }
  fs::path operator/(const std::string& name) const { return dir_ / name; }
  std::string unique_name() const { return dir_.path().filename().string(); }

 private:
  test_support::Temp_Dir dir_;
};

// Everything one run leaves: its status, its standard output and error,
// and the files it was asked to write.
void expect_run(const Work_Folder& work, const Arguments& arguments, const std::string& golden,
                const std::vector<std::pair<std::string, std::string>>& files = {}) {
  const test_support::Run_Result result = work.zarn(arguments);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(test_support::matches_golden(result.out, "zarn/" + golden + ".out"));
  for (const auto& [name, suffix] : files) {
    ASSERT_TRUE(work.exists(name)) << name;
    EXPECT_TRUE(test_support::matches_golden(work.read(name), "zarn/" + golden + suffix)) << name;
  }
}

// The command and what it printed, as the goldens record each run.
std::string transcript(const Arguments& arguments, const test_support::Run_Result& result) {
  std::string text = "== zarn";
  for (const std::string& a : arguments) text += " " + a;
  return text + "\n" + result.out;
}

// Text with every BASE, a name unique to one test folder, written "BASE".
std::string with_base_named(std::string text, const std::string& base) {
  for (std::size_t at; (at = text.find(base)) != std::string::npos;) text.replace(at, base.size(), "BASE");
  return text;
}

// Removes the named paths (links themselves, not what they lead to) at the
// end of the scope: what a test plants in /tmp.
struct Remove_Later {
  std::vector<std::string> paths;
  ~Remove_Later() {
    std::error_code ignored;
    for (const std::string& p : paths) fs::remove_all(p, ignored);
  }
};

// A folder where the results file cannot be made, so that zarn falls back to
// /tmp/BASE.aln; BASE is unique to the folder, so that nothing else in /tmp
// is touched.
struct Tmp_Fallback {
  Work_Folder work;
  std::string base = work.unique_name();
  std::string tmp_aln = "/tmp/" + base + ".aln";
  Remove_Later cleanup{{tmp_aln}};
  int fifo_reader = -1;

  Tmp_Fallback() {
    work.write(base + ".pos", "dna_1 W 101 160 rc_part C 60 1\n");
    fs::create_directory(work / (base + ".aln"));
  }
  ~Tmp_Fallback() {
    if (fifo_reader >= 0) ::close(fifo_reader);
  }
  Tmp_Fallback(const Tmp_Fallback&) = delete;
  Tmp_Fallback& operator=(const Tmp_Fallback&) = delete;
  // The list run with -RESULTS and More; its output with BASE for the name.
  test_support::Run_Result run(const Arguments& more = {}) const {
    Arguments arguments = {"-LIST", "seqs.lst", "-POSITIONS", base + ".pos", "-RESULTS"};
    arguments.insert(arguments.end(), more.begin(), more.end());
    test_support::Run_Result result = work.zarn(arguments);
    result.out = with_base_named(result.out, base);
    return result;
  }
};

const char* const couples =
    "dna_1 W 6 115 dna_2 W 6 115\n"     // with -ADJUST 5 both windows are 1..120
    "nothing W 1 10 dna_2 W 1 10\n"     // no such identifier: skipped
    "dna_1 W 400 500 dna_2 W 1 10\n"    // touches no range of dna_1: skipped
    "watson_only C 50 1 dna_2 W 1 50\n" // no companion was built: skipped
    "dna_1 W 106 155 rc_part C 55 6\n"  // the opposite strand of rc_part, 1..60 with the adjust
    "dna_1 W 6 116 dna_2 W 115 6\n";    // 121 positions: not aligned

// Count couples of dna_1 and dna_2 on matching windows of Width positions
// that move along the sequences: a list run long enough that standard
// output is written to long before its end.
std::string many_couples(int count, int width) {
  std::string couples;
  for (int i = 1; i <= count; ++i) {
    const std::string b = std::to_string(i % 150 + 1);
    const std::string e = std::to_string(i % 150 + width);
    couples += "dna_1 W " + b + " " + e + " dna_2 W " + b + " " + e + "\n";
  }
  return couples;
}

}  // namespace

TEST(ZarnProgram, SingleGlobalDnaWithBothFiles) {
  Work_Folder work;
  expect_run(work, {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-RESULTS", "-SUMMARY"}, "single_global_dna",
             {{"dna_1_dna_2.aln", ".aln"}, {"dna_1_dna_2.sim", ".sim"}});
}

TEST(ZarnProgram, SingleLocalProtein) {
  Work_Folder work;
  expect_run(work, {"-LOCAL", "-S1", "protein_1.fa", "-S2", "protein_2.fa", "-RESULTS"},
             "single_local_protein", {{"protein_1_protein_2.aln", ".aln"}});
  EXPECT_FALSE(work.exists("protein_1_protein_2.sim"));
}

TEST(ZarnProgram, OppositeStrandInDirectPositions) {
  Work_Folder work;
  expect_run(work, {"-LOCAL", "-S1", "dna_1.fa", "-S2", "rc_part.fa", "-ST2", "CRICK", "-RESULTS"},
             "crick_local", {{"dna_1_rc_part.aln", ".aln"}});
}

TEST(ZarnProgram, BeginAndEndInEitherOrder) {
  Work_Folder work;
  expect_run(work, {"-S1", "dna_1.fa", "-S2", "dna_2.gb", "-B1", "200", "-E1", "101", "-E2", "101",
                    "-B2", "200", "-NOSUMMARY", "-SUMMARY"},
             "swapped_range", {{"dna_1_dna_2.sim", ".sim"}});
  expect_run(work, {"-S1", "dna_1.fa", "-S2", "dna_2.gb", "-B1", "101", "-E1", "200", "-B2", "101",
                    "-E2", "200", "-NOSUMMARY", "-SUMMARY"},
             "swapped_range", {{"dna_1_dna_2.sim", ".sim"}});
}

TEST(ZarnProgram, ListAndPositionsFiles) {
  Work_Folder work;
  work.write("pairs.txt", couples);
  expect_run(work, {"-LIST", "seqs.lst", "-POSITIONS", "pairs.txt", "-ADJUST", "5", "-LENGTHMAX",
                    "120", "-RESULTS", "-SUMMARY"},
             "list_positions", {{"pairs.aln", ".aln"}, {"pairs.sim", ".sim"}});
}

TEST(ZarnProgram, SeveralResultsOfOneCouple) {
  Work_Folder work;
  for (const char* name : {"three.fa", "one.fa"}) {
    fs::copy_file(test_support::fixture(std::string("zarn/") + name), work / name);
  }
  work.write("short.lst", "three.fa\none.fa\n");
  work.write("repeats.txt",
             "three W 1 16 one W 1 4\n"  // three best start cells
             "three W 1 6 one W 1 4\n");
  expect_run(work, {"-LOCAL", "-BUILDING", "All_first", "-LIST", "short.lst", "-POSITIONS",
                    "repeats.txt", "-RESULTS", "-SUMMARY"},
             "repeats", {{"repeats.aln", ".aln"}, {"repeats.sim", ".sim"}});
}

TEST(ZarnProgram, MinimaFilterOnlyTheSummaryFile) {
  Work_Folder work;
  work.write("minima.txt",
             "dna_1 W 1 120 dna_2 W 1 120\n"    // long enough, below 100 % identity
             "dna_1 W 101 160 rc_part C 60 1\n" // 60 positions, 100 %: equal to both minima
             "dna_1 W 1 50 dna_1 W 1 50\n");    // 100 %, too short
  expect_run(work, {"-LIST", "seqs.lst", "-POSITIONS", "minima.txt", "-SUMMARY", "-LMIN", "60",
                    "-SMIN", "100"},
             "minima", {{"minima.sim", ".sim"}});
}

TEST(ZarnProgram, OutputFilesFallBackToTmp) {
  const Tmp_Fallback t;
  const std::string tmp_sim = "/tmp/" + t.base + ".sim";
  const Remove_Later cleanup{{tmp_sim}};
  fs::create_directory(t.work / (t.base + ".sim"));  // nor can the summary be made here

  test_support::Run_Result result = t.run({"-SUMMARY"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(test_support::matches_golden(result.out, "zarn/fallback.out"));
  EXPECT_TRUE(test_support::matches_golden(test_support::read_file(t.tmp_aln), "zarn/fallback.aln"));
  EXPECT_TRUE(test_support::matches_golden(test_support::read_file(tmp_sim), "zarn/fallback.sim"));

  // When "/tmp/" refuses too, the run ends with the name that was tried last.
  fs::remove(t.tmp_aln);
  fs::create_directory(t.tmp_aln);
  result = t.run({"-SUMMARY"});
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(test_support::matches_golden(result.out, "zarn/fallback_refused.out"));
}

TEST(ZarnProgram, ErrorAfterSomeCouplesKeepsWhatWasWritten) {
  Work_Folder work;
  work.write("broken.txt",
             "dna_1 W 101 160 rc_part C 60 1\n"
             "dna_1 W 1 120 dna_2 W 1 120 extra words\n"
             "dna_1 W 1\n"
             "dna_1 W 1 120 dna_2 W 1 120\n");
  expect_run(work, {"-LIST", "seqs.lst", "-POSITIONS", "broken.txt", "-RESULTS", "-SUMMARY"}, "broken",
             {{"broken.aln", ".aln"}, {"broken.sim", ".sim"}});
}

TEST(ZarnProgram, VerboseReading) {
  Work_Folder work;
  expect_run(work, {"-VERBOSE", "-LENGTHMAX", "0", "-LIST", "seqs.lst", "-POSITIONS", "pairs.txt"},
             "verbose_missing_positions");
  expect_run(work, {"-V", "-S1", "dna_1.fa", "-S2", "dna_2.gb", "-ST2", "C", "-E2", "300", "-B2", "10",
                    "-LENGTHMAX", "100"},
             "verbose_single");
}

// Runs that end early, each with its explanation on standard output.
TEST(ZarnProgram, FailuresAreExplained) {
  Work_Folder work;
  work.write("bad_type.lst", "# line 1\n\ndna_1.fa BAD\n");
  work.write("one.txt", "dna_1 W 1 100 dna_2 W 1 100\n");
  work.write("mixed.lst", "dna_1.fa\nprotein_1.fa\n");
  work.write("short.txt", "dna_1 W 1 15 dna_2 W 1 15\n");
  work.write("colon.txt", "dna_1 W:10 200 dna_2 W 1 10\n");
  work.write("blank.txt", "\ndna_1 W 1 10 dna_2 W 1 10\n");
  work.write("comment.txt", "# a note\n");
  work.write("strand_last.txt", "dna_1 W\n");
  work.write("no_entries.lst", "# nothing to read\n");
  const Arguments cases[] = {
      {},
      {"-S1", "dna_1.fa"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-WHAT"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-GW"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-SMIN", "101"},
      {"-S1", "missing.fa", "-S2", "dna_2.fa"},
      {"-S1", "dna_1.fa", "-S2", "protein_2.fa"},
      {"-S1", "protein_1.fa", "-S2", "protein_2.fa", "-ST1", "CRICK"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-B2", "0"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-SCORE_MATRIX", "missing.mat"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-B1", "5", "-E1", "5"},
      {"-LIST", "seqs.lst", "-S1", "dna_1.fa", "-POSITIONS", "one.txt"},
      {"-LIST", "bad_type.lst", "-POSITIONS", "one.txt"},
      {"-LIST", "missing.lst", "-POSITIONS", "one.txt"},
      {"-LIST", "seqs.lst", "-POSITIONS", "missing.txt"},
      {"-LIST", "mixed.lst", "-POSITIONS", "one.txt"},
      // A window shrunk to nothing prints nothing at all.
      {"-LIST", "seqs.lst", "-POSITIONS", "short.txt", "-ADJUST", "-10"},
      // Malformed positions lines.
      {"-LIST", "seqs.lst", "-POSITIONS", "colon.txt"},
      {"-LIST", "seqs.lst", "-POSITIONS", "blank.txt"},
      {"-LIST", "seqs.lst", "-POSITIONS", "comment.txt"},
      {"-LIST", "seqs.lst", "-POSITIONS", "strand_last.txt"},
      // Without any sequence every positions line is passed over.
      {"-LIST", "no_entries.lst", "-POSITIONS", "colon.txt", "-SUMMARY"},
  };
  std::string all;
  for (const Arguments& arguments : cases) {
    const test_support::Run_Result result = work.zarn(arguments);
    EXPECT_EQ(result.status, 0) << testing::PrintToString(arguments);
    EXPECT_EQ(result.err, "");
    all += transcript(arguments, result);
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/failures.out"));
}

namespace {

// Every file of the folder (links followed) with its contents.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = test_support::read_file(entry.path());
    }
  }
  return files;
}

}  // namespace

// An output file that is also one of the inputs, by whatever path, is refused
// before any file is made: every file stays as it was.
TEST(ZarnProgram, OutputThatIsAnInputIsRefused) {
  struct Case {
    Arguments arguments;
    std::function<void(const Work_Folder&)> prepare;
  };
  const char* const one_couple = "dna_1 W 1 120 dna_2 W 1 120\n";
  const Case cases[] = {
      // The positions file has the summary file's name.
      {{"-LIST", "seqs.lst", "-POSITIONS", "run.sim", "-SUMMARY"},
       [&](const Work_Folder& w) { w.write("run.sim", one_couple); }},
      // The list file has the results file's name.
      {{"-LIST", "pairs.aln", "-POSITIONS", "pairs.txt", "-RESULTS"},
       [&](const Work_Folder& w) {
         fs::copy_file(w / "seqs.lst", w / "pairs.aln");
         w.write("pairs.txt", one_couple);
       }},
      // A sequence file named in the list has the summary file's name.
      {{"-LIST", "listed.lst", "-POSITIONS", "listed.txt", "-RESULTS", "-SUMMARY"},
       [&](const Work_Folder& w) {
         w.write("listed.lst", "dna_1.fa\nlisted.sim - - - dna_2\n");
         fs::copy_file(w / "dna_2.fa", w / "listed.sim");
         w.write("listed.txt", one_couple);
       }},
      // The score-matrix file has the summary file's name.
      {{"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-SCORE_MATRIX", "dna_1_dna_2.sim", "-SUMMARY"},
       [](const Work_Folder& w) { fs::copy_file(test_support::example("dna.mat"), w / "dna_1_dna_2.sim"); }},
      // The results file would be written through a link to a sequence file.
      {{"-S1", "rc_part.fa", "-S2", "dna_2.fa", "-RESULTS"},
       [](const Work_Folder& w) { fs::create_symlink("dna_2.fa", w / "rc_part_dna_2.aln"); }},
      {{"-S1", "dna_1.fa", "-S2", "dna_2.gb", "-SUMMARY", "-RESULTS"},
       [](const Work_Folder& w) { fs::create_hard_link(w / "dna_1.fa", w / "dna_1_dna_2.sim"); }},
  };
  std::string all;
  for (const Case& c : cases) {
    Work_Folder work;
    c.prepare(work);
    const auto before = snapshot(work / "");
    const test_support::Run_Result result = work.zarn(c.arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(snapshot(work / ""), before) << testing::PrintToString(c.arguments);
    all += transcript(c.arguments, result);
  }

  // The fallback name in "/tmp/" is an output too: here it is the positions file.
  Work_Folder work;
  const std::string base = work.unique_name();
  const std::string positions = "/tmp/" + base + ".sim";
  const Remove_Later cleanup{{positions}};
  test_support::write_file(positions, one_couple);
  fs::create_directory(work / (base + ".sim"));  // the summary cannot be made here
  const auto before = snapshot(work / "");
  const Arguments arguments = {"-LIST", "seqs.lst", "-POSITIONS", positions, "-SUMMARY"};
  const test_support::Run_Result result = work.zarn(arguments);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(snapshot(work / ""), before);
  EXPECT_EQ(test_support::read_file(positions), one_couple);
  all += with_base_named(transcript(arguments, result), base);
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/output_over_input.out"));
}

// A standard output whose reader is gone, or that is full, takes nothing
// more; the results and summary files end as when it stays open.
TEST(ZarnProgram, StandardOutputClosingEarlyLosesNoResults) {
  Work_Folder work;
  work.write("many.txt", many_couples(600, 40));
  const Arguments arguments = {"-LIST", "seqs.lst", "-POSITIONS", "many.txt", "-RESULTS", "-SUMMARY"};
  const test_support::Run_Result open = work.zarn(arguments);
  ASSERT_EQ(open.status, 0);
  ASSERT_GT(open.out.size(), 100000u);
  const std::string aln = work.read("many.aln");
  const std::string sim = work.read("many.sim");
  for (const auto output_to : {test_support::Output_To::closed_pipe, test_support::Output_To::full_device}) {
    fs::remove(work / "many.aln");
    fs::remove(work / "many.sim");
    const test_support::Run_Result result = test_support::run(ZARN_BINARY, arguments, work / "", output_to);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(work.read("many.aln") == aln);
    EXPECT_TRUE(work.read("many.sim") == sim);
  }
}

// Inputs that are no regular files, and a positions file ending in an empty line.
TEST(ZarnProgram, FoldersPipesAndAnEmptyLastLine) {
  Work_Folder work;
  fs::create_directory(work / "folder");
  work.write("one.txt", "dna_1 W 1 100 dna_2 W 1 100\n");
  work.write("last_empty.txt", "dna_1 W 1 100 dna_2 W 1 100\n\n");
  const Arguments cases[] = {
      {"-S1", "folder", "-S2", "dna_2.fa"},
      {"-LIST", "folder", "-POSITIONS", "one.txt"},
      {"-LIST", "seqs.lst", "-POSITIONS", "folder"},
      // The empty line is a line: it ends the run as an empty line does anywhere.
      {"-LIST", "seqs.lst", "-POSITIONS", "last_empty.txt"},
  };
  std::string all;
  for (const Arguments& arguments : cases) {
    const test_support::Run_Result result = work.zarn(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    all += transcript(arguments, result);
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/odd_inputs.out"));

  // Standard input named as a file is read once and serves every pass.
  const std::string dna_1 = work.read("dna_1.fa");
  test_support::Run_Result piped = test_support::run(
      ZARN_BINARY, {"-S1", "/dev/stdin", "-I1", "dna_1", "-S2", "dna_2.fa"}, work / ".",
      test_support::Output_To::collected, &dna_1);
  EXPECT_EQ(piped.status, 0);
  EXPECT_TRUE(test_support::matches_golden(piped.out, "zarn/single_global_dna.out"));

  // So is a list file read from a pipe, in both its passes.
  const std::string list = "dna_1.fa\ndna_2.fa\n";
  work.write("two.lst", list);
  const test_support::Run_Result from_file = work.zarn({"-LIST", "two.lst", "-POSITIONS", "one.txt"});
  piped = test_support::run(ZARN_BINARY, {"-LIST", "/dev/stdin", "-POSITIONS", "one.txt"}, work / ".",
                            test_support::Output_To::collected, &list);
  EXPECT_NE(from_file.out, "");
  EXPECT_EQ(piped.out, from_file.out);
}

// Anyone may plant a name in /tmp: the fallback never writes through a link,
// and replaces nothing but a regular file of the user's own.
TEST(ZarnProgram, TmpFallbackWritesOnlyItsOwnFile) {
  struct Case {
    const char* planted;
    std::function<void(Tmp_Fallback&)> plant;
  };
  const Case cases[] = {
      {"a symbolic link to a file",
       [](Tmp_Fallback& t) {
         t.work.write("precious", "kept\n");
         fs::create_symlink(t.work / "precious", t.tmp_aln);
       }},
      {"a symbolic link to nothing yet",
       [](Tmp_Fallback& t) { fs::create_symlink(t.work / "made_through_link", t.tmp_aln); }},
      // Someone reads the FIFO: opened for writing, it would take the reports
      // (and, without a reader, hold the run).
      {"a FIFO",
       [](Tmp_Fallback& t) {
         ASSERT_EQ(::mkfifo(t.tmp_aln.c_str(), 0600), 0);
         t.fifo_reader = ::open(t.tmp_aln.c_str(), O_RDONLY | O_NONBLOCK);
         ASSERT_GE(t.fifo_reader, 0);
       }},
      {"a folder", [](Tmp_Fallback& t) { fs::create_directory(t.tmp_aln); }},
      {"a second name of a file of the user's",
       [](Tmp_Fallback& t) {
         t.work.write("precious", "kept\n");
         std::error_code failed;
         fs::create_hard_link(t.work / "precious", t.tmp_aln, failed);
         if (failed) fs::create_symlink(t.work / "precious", t.tmp_aln);  // another file system
       }},
      // As before: a file of the user's own is replaced.
      {"a regular file of the user's", [](Tmp_Fallback& t) { test_support::write_file(t.tmp_aln, "old\n"); }},
  };
  std::string all;
  for (const Case& c : cases) {
    Tmp_Fallback t;
    c.plant(t);
    const auto before = snapshot(t.work / "");
    all += std::string("== /tmp/BASE.aln is ") + c.planted + "\n" + t.run().out;
    EXPECT_EQ(snapshot(t.work / ""), before) << c.planted;
    if (fs::is_regular_file(fs::symlink_status(t.tmp_aln))) {
      const std::string written = test_support::read_file(t.tmp_aln);
      all += written.substr(0, written.find('\n') + 1);
    }
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/fallback_planted.out"));
}

TEST(ZarnProgram, TmpFallbackLeavesOtherUsersFiles) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  const Tmp_Fallback t;
  test_support::write_file(t.tmp_aln, "kept\n");
  ASSERT_EQ(::chown(t.tmp_aln.c_str(), 65534, 65534), 0);
  EXPECT_TRUE(test_support::matches_golden(t.run().out, "zarn/fallback_refused.out"));
  EXPECT_EQ(test_support::read_file(t.tmp_aln), "kept\n");
}

// A window that the kernel cannot hold, though -LENGTHMAX allows it, is
// passed over like one over the maximum; the next couple is aligned.
TEST(ZarnProgram, WindowsOverTheKernelLimitAreNotAligned) {
  Work_Folder work;
  work.write("huge.fa", ">huge\n" + test_support::pseudo_random_dna(65536, 11) + "\n");
  work.write("huge.lst", "huge.fa\ndna_2.fa\n");
  work.write("huge.txt",
             "huge W 1 65536 dna_2 W 1 100\n"
             "huge W 1 65535 dna_2 W 1 10\n"  // the longest window aligned
             "huge W 1 100 dna_2 W 1 100\n");
  std::string all;
  for (const Arguments& arguments :
       {Arguments{"-LIST", "huge.lst", "-POSITIONS", "huge.txt", "-LENGTHMAX", "70000", "-SUMMARY", "-LOCAL"},
        Arguments{"-LIST", "huge.lst", "-POSITIONS", "huge.txt", "-LENGTHMAX", "70000", "-NOSUMMARY", "-LOCAL"}}) {
    const test_support::Run_Result result = work.zarn(arguments);
    EXPECT_EQ(result.status, 0);
    all += transcript(arguments, result);
  }
  all += "== huge.sim\n" + work.read("huge.sim");
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/kernel_limit.out"));
}

// Files whose lines end in a carriage return alone (as classic Mac editors
// wrote them) read as their copies with line feeds: sequence files in the
// three text formats, the list, the positions and the score-matrix file.
TEST(ZarnProgram, ClassicMacLineEnds) {
  const char* const files[] = {"dna_1.fa", "dna_1.gcg", "dna_2.gb", "dna.mat", "sequences.list", "couples.pos"};
  test_support::Temp_Dir mac;
  test_support::Temp_Dir line_feeds;
  for (const char* name : files) {
    const std::string text = test_support::read_file(test_support::fixture(std::string("mac/") + name));
    ASSERT_EQ(text.find('\n'), std::string::npos) << name;
    test_support::write_file(mac / name, text);
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), '\r', '\n');
    test_support::write_file(line_feeds / name, converted);
  }
  const Arguments runs[] = {
      {"-LIST", "sequences.list", "-POSITIONS", "couples.pos", "-SCORE_MATRIX", "dna.mat", "-RESULTS", "-SUMMARY"},
      {"-VERBOSE", "-S1", "dna_1.gcg", "-S2", "dna_2.gb", "-LOCAL"},
      {"-S1", "dna_1.fa", "-S2", "dna_2.gb", "-SCORE_MATRIX", "dna.mat"},
  };
  for (const Arguments& arguments : runs) {
    const test_support::Run_Result from_mac = test_support::run(ZARN_BINARY, arguments, mac.path());
    const test_support::Run_Result expected = test_support::run(ZARN_BINARY, arguments, line_feeds.path());
    EXPECT_EQ(from_mac.status, 0);
    EXPECT_EQ(from_mac.out, expected.out) << testing::PrintToString(arguments);
  }
  const std::string summaries = test_support::read_file(line_feeds / "couples.sim");
  EXPECT_EQ(std::count(summaries.begin(), summaries.end(), '\n'), 3);
  EXPECT_EQ(test_support::read_file(mac / "couples.sim"), summaries);
  EXPECT_TRUE(test_support::read_file(mac / "couples.aln") == test_support::read_file(line_feeds / "couples.aln"));
}

// A file-size limit (ulimit -f) ends the run as any failed write does: the
// report, status 0, and the file as far as the limit let it grow.
TEST(ZarnProgram, FileSizeLimitIsAFailedWrite) {
  Work_Folder work;
  const Arguments arguments = {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-RESULTS"};
  ASSERT_EQ(work.zarn(arguments).status, 0);
  const std::string whole = work.read("dna_1_dna_2.aln");
  ASSERT_GT(whole.size(), 1000u);
  fs::remove(work / "dna_1_dna_2.aln");
  const test_support::Run_Result result =
      test_support::run(ZARN_BINARY, arguments, work / "", {.file_size_limit = 1000});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(test_support::matches_golden(result.out, "zarn/file_size_limit.out"));
  EXPECT_EQ(work.read("dna_1_dna_2.aln"), whole.substr(0, 1000));
}

// A standard output left non-blocking whose reader is slower than zarn:
// writes wait for room in the pipe, and every summary line arrives.
TEST(ZarnProgram, SlowNonBlockingStandardOutputGetsEveryLine) {
  Work_Folder work;
  work.write("many.txt", many_couples(3000, 20));
  const Arguments arguments = {"-LIST", "seqs.lst", "-POSITIONS", "many.txt"};
  const test_support::Run_Result read_at_once = work.zarn(arguments);
  ASSERT_EQ(read_at_once.status, 0);
  ASSERT_EQ(std::count(read_at_once.out.begin(), read_at_once.out.end(), '\n'), 3000);
  const test_support::Run_Result read_slowly = test_support::run(
      ZARN_BINARY, arguments, work / "", {.output_to = test_support::Output_To::slow_non_blocking_pipe});
  EXPECT_EQ(read_slowly.status, 0);
  EXPECT_EQ(read_slowly.err, "");
  EXPECT_TRUE(read_slowly.out == read_at_once.out)
      << std::count(read_slowly.out.begin(), read_slowly.out.end(), '\n') << " lines";
}

namespace {

// A FIFO's contents so far, read without waiting for a writer.
std::string read_fifo(int reader) {
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = ::read(reader, buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(got));
  return text;
}

}  // namespace

// A FIFO at an output name: written to when a program reads it, as a
// regular file would be; with no reader, the run ends at once with the
// sentence for a file that cannot be created, and writes nowhere else.
TEST(ZarnProgram, FifoAtAnOutputName) {
  Work_Folder work;
  const std::string base = work.unique_name();
  const Remove_Later cleanup{{"/tmp/" + base + ".aln"}};
  work.write(base + ".pos", "dna_1 W 101 160 rc_part C 60 1\n");
  const Arguments arguments = {"-LIST", "seqs.lst", "-POSITIONS", base + ".pos", "-RESULTS"};
  const test_support::Run_Result regular = work.zarn(arguments);
  const std::string report = work.read(base + ".aln");
  fs::remove(work / (base + ".aln"));
  ASSERT_EQ(::mkfifo((work / (base + ".aln")).c_str(), 0600), 0);

  test_support::Run_Result unread = test_support::run(ZARN_BINARY, arguments, work / "", {.timeout_seconds = 20});
  EXPECT_EQ(unread.status, 0);
  EXPECT_EQ(with_base_named(unread.out, base),
            "Program interrupted!\n"
            "The Alignment file called BASE.aln has not been found or cannot be created. Please check.\n");
  EXPECT_FALSE(fs::exists(fs::symlink_status("/tmp/" + base + ".aln")));

  // The report fits in the FIFO: it is read once zarn is done.
  const int reader = ::open((work / (base + ".aln")).c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const test_support::Run_Result read = test_support::run(ZARN_BINARY, arguments, work / "", {.timeout_seconds = 20});
  EXPECT_EQ(read.status, 0);
  EXPECT_EQ(read.out, regular.out);
  EXPECT_TRUE(read_fifo(reader) == report);
  ::close(reader);
}

// Outputs of one run that are one file, whatever the paths (a link, a second
// name, a link to a file the run would make first, or through the /tmp
// fallback), are refused before any file is written.
TEST(ZarnProgram, OutputsThatAreOneFileAreRefused) {
  struct Case {
    const char* what;
    std::function<void(const Work_Folder&)> prepare;
  };
  const Case cases[] = {
      {"the summary file is a link to the results file",
       [](const Work_Folder& w) {
         w.write("dna_1_dna_2.aln", "old report\n");
         fs::create_symlink("dna_1_dna_2.aln", w / "dna_1_dna_2.sim");
       }},
      {"the summary file is a link to the results file, not made yet",
       [](const Work_Folder& w) { fs::create_symlink("dna_1_dna_2.aln", w / "dna_1_dna_2.sim"); }},
      {"the results file is a link to the summary file, not made yet",
       [](const Work_Folder& w) { fs::create_symlink("dna_1_dna_2.sim", w / "dna_1_dna_2.aln"); }},
      {"the summary file is a second name of the results file",
       [](const Work_Folder& w) {
         w.write("dna_1_dna_2.aln", "old report\n");
         fs::create_hard_link(w / "dna_1_dna_2.aln", w / "dna_1_dna_2.sim");
       }},
  };
  const Arguments arguments = {"-S1", "dna_1.fa", "-S2", "dna_2.fa", "-RESULTS", "-SUMMARY"};
  std::string all;
  for (const Case& c : cases) {
    Work_Folder work;
    c.prepare(work);
    const auto before = snapshot(work / "");
    const test_support::Run_Result result = work.zarn(arguments);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(snapshot(work / ""), before) << c.what;
    all += std::string("== ") + c.what + "\n" + result.out;
  }

  // Here the results file leads to the file of the user's own that the
  // summary falls back to.
  const Tmp_Fallback t;
  const std::string tmp_sim = "/tmp/" + t.base + ".sim";
  const Remove_Later cleanup{{tmp_sim}};
  test_support::write_file(tmp_sim, "old summary\n");
  fs::remove(t.work / (t.base + ".aln"));
  fs::create_symlink(tmp_sim, t.work / (t.base + ".aln"));
  fs::create_directory(t.work / (t.base + ".sim"));
  all += "== the results file leads to the summary file in /tmp\n" + t.run({"-SUMMARY"}).out;
  EXPECT_EQ(test_support::read_file(tmp_sim), "old summary\n");
  EXPECT_FALSE(fs::exists(t.tmp_aln));
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/outputs_one_file.out"));
}

// In the /tmp fallback too, every output is checked against the inputs
// before any is made: a results file of the user's own there keeps what it
// held, and none is made when there was none.
TEST(ZarnProgram, TmpFallbackChecksEveryOutputFirst) {
  std::string all;
  for (const bool results_there : {true, false}) {
    const Tmp_Fallback t;
    const std::string tmp_sim = "/tmp/" + t.base + ".sim";
    const Remove_Later cleanup{{tmp_sim}};
    fs::copy_file(test_support::example("dna.mat"), tmp_sim);
    fs::create_directory(t.work / (t.base + ".sim"));
    if (results_there) test_support::write_file(t.tmp_aln, "old report\n");
    const test_support::Run_Result result = t.run({"-SUMMARY", "-SCORE_MATRIX", tmp_sim});
    EXPECT_EQ(result.status, 0);
    all += result.out;
    if (results_there) {
      EXPECT_EQ(test_support::read_file(t.tmp_aln), "old report\n");
    } else {
      EXPECT_FALSE(fs::exists(fs::symlink_status(t.tmp_aln)));
    }
    EXPECT_EQ(test_support::read_file(tmp_sim), test_support::read_file(test_support::example("dna.mat")));
  }
  const std::string refusal =
      "Program interrupted!\nThe output file called /tmp/BASE.sim is also an input file. Please check.\n";
  EXPECT_EQ(all, refusal + refusal);
}

namespace {

// A list run in a folder that everybody writes into (sticky, as /tmp is),
// its results file named BASE.aln; what a test plants there, and the
// fallback file in /tmp, are removed at the end.
struct Shared_Folder_Run {
  Work_Folder work;
  std::string base = work.unique_name();
  std::string aln = (work / (base + ".aln")).string();
  std::string tmp_aln = "/tmp/" + base + ".aln";
  Remove_Later cleanup{{tmp_aln}};

  Shared_Folder_Run() {
    work.write(base + ".pos", "dna_1 W 101 160 rc_part C 60 1\n");
    fs::permissions(work / "", fs::perms::all | fs::perms::sticky_bit);
  }
  // The run as User (-1: this one); its output with BASE for the name.
  std::string run(int user = -1) const {
    const test_support::Run_Result result =
        test_support::run(ZARN_BINARY, {"-LIST", "seqs.lst", "-POSITIONS", base + ".pos", "-RESULTS"}, work / "",
                          {.user = user});
    EXPECT_EQ(result.status, 0);
    return with_base_named(result.out, base);
  }
  // "kept\n" in a file Precious of User's, and a symbolic link to it at
  // BASE.aln owned by Link_Owner.
  void plant_link(int user, int link_owner) const {
    work.write("precious", "kept\n");
    ASSERT_EQ(::chown((work / "precious").c_str(), uid_t(user), gid_t(user)), 0);
    fs::create_symlink(work / "precious", aln);
    ASSERT_EQ(::lchown(aln.c_str(), uid_t(link_owner), gid_t(link_owner)), 0);
  }
};

}  // namespace

// In a folder that others write into, outputs are opened by the /tmp
// fallback's rules: no symbolic link is followed, only a regular file of the
// user's own that no other name leads to is replaced, and anything else
// there sends the output to the fallback. In the user's own folder a link of
// the user's own is followed as before.
TEST(ZarnProgram, OutputsInASharedFolderFollowTheFallbacksRules) {
  std::string all;
  {
    const Shared_Folder_Run s;
    s.plant_link(int(::geteuid()), int(::geteuid()));
    all += "== BASE.aln is a link of the user's own\n" + s.run();
    EXPECT_EQ(s.work.read("precious"), "kept\n");
    EXPECT_TRUE(fs::exists(s.tmp_aln));
  }
  {
    const Shared_Folder_Run s;
    s.work.write("precious", "kept\n");
    fs::create_hard_link(s.work / "precious", s.aln);
    all += "== BASE.aln is a second name of a file of the user's\n" + s.run();
    EXPECT_EQ(s.work.read("precious"), "kept\n");
  }
  {
    const Shared_Folder_Run s;
    test_support::write_file(s.aln, "old\n");
    all += "== BASE.aln is a regular file of the user's\n" + s.run();
    EXPECT_NE(test_support::read_file(s.aln), "old\n");
    EXPECT_FALSE(fs::exists(s.tmp_aln));
  }
  {
    Shared_Folder_Run s;
    fs::permissions(s.work / "", fs::perms::owner_all, fs::perm_options::replace);
    s.plant_link(int(::geteuid()), int(::geteuid()));
    all += "== BASE.aln is a link of the user's own, in the user's own folder\n" + s.run();
    EXPECT_NE(s.work.read("precious"), "kept\n");
    EXPECT_FALSE(fs::exists(s.tmp_aln));
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/shared_folder.out"));
}

// A link planted in a shared folder by another user never leads zarn to the
// file of the user running it: run by root with a link of nobody's, and run
// by nobody with a link of root's.
TEST(ZarnProgram, OutputsInASharedFolderFollowNoLinkOfAnotherUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can plant a link as another user and run zarn as nobody";
  constexpr int nobody = 65534;
  std::string all;
  for (const auto& [runner, planter] : {std::pair{0, nobody}, std::pair{nobody, 0}}) {
    const Shared_Folder_Run s;
    s.plant_link(runner, planter);
    all += "== run by " + std::to_string(runner) + ", BASE.aln a link of " + std::to_string(planter) + "'s\n" +
           s.run(runner);
    EXPECT_EQ(s.work.read("precious"), "kept\n");
  }
  EXPECT_TRUE(test_support::matches_golden(all, "zarn/shared_folder_other_user.out"));
}
