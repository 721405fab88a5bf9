// A list run aligns its couples one after the other on the same working
// memory: its files are those of the couples run one by one.
#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <cstddef>
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
