// A list run aligns its couples one after the other on the same working
// memory: its files are those of the couples run one by one.
#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// A random DNA sequence and a relative of it (point changes, a long
// insertion), as FASTA files of 60 residues a line.
void write_couple(const test_support::Temp_Dir& dir) {
  std::mt19937 random(77);
  const char bases[] = "ACGT";
  std::string first, second;
  for (int k = 0; k < 1500; ++k) first += bases[random() % 4];
  for (int k = 0; k < 1500; ++k) {
    if (k == 700) {
      for (int extra = 0; extra < 280; ++extra) second += bases[random() % 4];
    }
    second += random() % 100 < 12 ? bases[random() % 4] : first[std::size_t(k)];
  }
  const auto fasta = [](const std::string& name, const std::string& residues) {
    std::string text = ">" + name + "\n";
    for (std::size_t at = 0; at < residues.size(); at += 60) text += residues.substr(at, 60) + "\n";
    return text;
  };
  test_support::write_file(dir / "first.fa", fasta("first", first));
  test_support::write_file(dir / "second.fa", fasta("second", second));
  test_support::write_file(dir / "seqs.lst", "first.fa\nsecond.fa - - BOTH\n");
}

}  // namespace

TEST(ZarnListRun, CouplesGiveTheFilesTheyGiveAlone) {
  // Large, small, larger, on either strand: the working memory grows and
  // shrinks under the couples.
  const std::vector<std::string> couples = {
      "first W 1 1200 second W 1 1400",  "first W 300 340 second W 290 330",
      "first W 1 1500 second W 1 1780",  "first W 900 1000 second C 1000 900",
      "first W 500 1300 second W 500 1500", "first W 1 30 second W 1 30",
  };
  // The fast fill, and the exact one (gaps that cost nothing).
  for (const std::vector<std::string>& weights :
       {std::vector<std::string>{}, std::vector<std::string>{"-GW", "0", "-LW", "0"}}) {
    SCOPED_TRACE(weights.empty() ? "gaps that cost" : "free gaps");
    test_support::Temp_Dir dir;
    write_couple(dir);
    const auto zarn = [&](const std::string& positions) {
      std::vector<std::string> arguments = {"-LIST", "seqs.lst", "-POSITIONS", positions, "-LENGTHMAX", "2000",
                                            "-RESULTS", "-SUMMARY"};
      arguments.insert(arguments.end(), weights.begin(), weights.end());
      const test_support::Run_Result result = test_support::run(ZARN_BINARY, arguments, dir.path());
      EXPECT_EQ(result.status, 0);
      EXPECT_EQ(result.err, "");
      return result.out;
    };
    std::string all, out_alone, aln_alone, sim_alone;
    for (std::size_t k = 0; k < couples.size(); ++k) {
      all += couples[k] + "\n";
      const std::string name = "alone" + std::to_string(k);
      test_support::write_file(dir / (name + ".pos"), couples[k] + "\n");
      out_alone += zarn(name + ".pos");
      aln_alone += test_support::read_file(dir / (name + ".aln"));
      sim_alone += test_support::read_file(dir / (name + ".sim"));
    }
    test_support::write_file(dir / "all.pos", all);
    const std::string out = zarn("all.pos");
    // Every couple aligned, none skipped.
    const std::string summaries = test_support::read_file(dir / "all.sim");
    EXPECT_EQ(std::count(summaries.begin(), summaries.end(), '\n'), std::ptrdiff_t(couples.size()));
    EXPECT_EQ(summaries.find("NOT ALIGNED"), std::string::npos);
    EXPECT_TRUE(test_support::read_file(dir / "all.aln") == aln_alone);
    EXPECT_TRUE(test_support::read_file(dir / "all.sim") == sim_alone);
    EXPECT_EQ(out, out_alone);
  }
}

namespace {

// The commands of the README's recipe for many cores, in order: the split,
// each way of running the parts (xargs -P, GNU parallel), the joins.
struct Recipe {
  std::vector<std::string> steps;    // the split, then the joins
  std::vector<std::string> runners;  // one line each
};

Recipe readme_recipe() {
  const std::string readme = test_support::read_file(std::filesystem::path(ZARN_SOURCE_DIR) / "README.md");
  const std::size_t section = readme.find("### Many couples on many cores");
  const std::size_t end = readme.find("\n## ", section);
  Recipe recipe;
  std::size_t at = readme.find('\n', section);
  while (at != std::string::npos && at < end) {
    const std::size_t next = readme.find('\n', at + 1);
    const std::string line = readme.substr(at + 1, next - at - 1);
    if (line.rfind("    ", 0) == 0) {
      const std::string command = line.substr(4);
      const bool runner = command.find("| xargs ") != std::string::npos || command.find("| parallel ") != std::string::npos;
      (runner ? recipe.runners : recipe.steps).push_back(command);
    }
    at = next;
  }
  return recipe;
}

// Runs the recipe with Runner on a list of sequences and 40 couples; its joined
// files must be those of one run over all the couples.
void check_recipe(const std::string& runner_word) {
  const Recipe recipe = readme_recipe();
  ASSERT_EQ(recipe.steps.size(), 3u);
  ASSERT_EQ(recipe.runners.size(), 2u);
  std::string runner;
  for (const std::string& r : recipe.runners) {
    if (r.find("| " + runner_word + " ") != std::string::npos) runner = r;
  }
  ASSERT_NE(runner, "") << runner_word;

  std::string couples;
  for (int i = 0; i < 40; ++i) {
    const std::string b = std::to_string(1 + 5 * i);
    const std::string e = std::to_string(120 + 5 * i);
    couples += (i % 3 == 2 ? "dna1 C " + e + " " + b : "dna1 W " + b + " " + e) + " dna2 W " + b + " " + e + "\n";
  }
  const auto prepare = [&](const test_support::Temp_Dir& dir) {
    for (const char* name : {"sequences.list", "dna_1.fa", "dna_2.gb", "dna_1.gcg"}) {
      std::filesystem::copy_file(test_support::example(name), dir / name);
    }
    test_support::write_file(dir / "couples.pos", couples);
  };
  test_support::Temp_Dir single;
  prepare(single);
  const test_support::Run_Result one = test_support::run(
      ZARN_BINARY, {"-LIST", "sequences.list", "-POSITIONS", "couples.pos", "-SUMMARY", "-RESULTS", "-Nosummary"},
      single.path());
  ASSERT_EQ(one.status, 0);

  test_support::Temp_Dir parts;
  prepare(parts);
  std::filesystem::create_directory(parts / "bin");
  test_support::put_on_path(parts / "bin", "zarn", ZARN_BINARY);
  test_support::write_file(parts / "recipe.sh",
                           recipe.steps[0] + "\n" + runner + "\n" + recipe.steps[1] + "\n" + recipe.steps[2] + "\n");
  const std::string command = "cd '" + parts.path().string() + "' && PATH=\"$PWD/bin:$PATH\" sh recipe.sh >out.txt 2>err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << test_support::read_file(parts / "err.txt");
  const std::string summaries = test_support::read_file(parts / "couples.sim");
  EXPECT_GT(std::count(summaries.begin(), summaries.end(), '\n'), 20);
  EXPECT_TRUE(summaries == test_support::read_file(single / "couples.sim"));
  EXPECT_TRUE(test_support::read_file(parts / "couples.aln") == test_support::read_file(single / "couples.aln"));
}

bool gnu_parallel_installed() {
  return std::system("parallel --version 2>/dev/null | grep -q 'GNU parallel'") == 0;
}

}  // namespace

// The README's recipes for many cores, as written there.
TEST(ZarnListRun, ManyCoresRecipeWithXargs) { check_recipe("xargs"); }

TEST(ZarnListRun, ManyCoresRecipeWithGnuParallel) {
  if (!gnu_parallel_installed()) GTEST_SKIP() << "GNU parallel is not installed (Debian package parallel)";
  check_recipe("parallel");
}
