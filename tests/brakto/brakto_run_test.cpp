// The real brakto binary, run in a fresh folder on small sequence files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "mutation_report.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using Arguments = std::vector<std::string>;

// Copies the fixtures into the folder: "seq.fa" as itself, "dir/x.fa=seq.fa"
// as dir/x.fa.
void place_inputs(const test_support::Temp_Dir& dir, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs) {
    const std::size_t equal = input.find('=');
    const std::string target = equal == std::string::npos ? input : input.substr(0, equal);
    const std::string source = equal == std::string::npos ? input : input.substr(equal + 1);
    fs::create_directories((dir / target).parent_path());
    fs::copy_file(test_support::fixture("brakto/" + source), dir / target);
  }
}

std::set<std::string> files_in(const test_support::Temp_Dir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
    if (entry.is_regular_file()) names.insert(fs::relative(entry.path(), dir.path()).string());
  }
  return names;
}

// The first line names the binary by its full path; the goldens call it brakto.
std::string normalised_output(std::string out) {
  const std::string invoked = std::string("Command: ") + BRAKTO_BINARY + "\n";
  if (out.rfind(invoked, 0) == 0) out.replace(0, invoked.size(), "Command: brakto\n");
  return out;
}

// Pattern characters: '9' a digit, '_' a blank or a digit; others stand for
// themselves.
bool has_shape(std::string_view text, std::string_view pattern) {
  if (text.size() != pattern.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (pattern[i] == '9' ? !digit : pattern[i] == '_' ? !(digit || text[i] == ' ') : text[i] != pattern[i]) {
      return false;
    }
  }
  return true;
}

// A GCG header's date and time change with every run: checked by shape and
// range, then replaced by "<date>".
std::string without_date(const std::string& name, const std::string& contents) {
  static const char* const months[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
  const std::size_t line_end = contents.find('\n');
  const std::string header = contents.substr(0, line_end);
  // «December  9, 2026 08:46  Type: N  Check: ..»: the date stands before a
  // 20-character tail.
  constexpr std::size_t stamp_size = std::string_view(" _9, 9999 99:99").size();
  constexpr std::size_t tail_size = std::string_view("  Type: N  Check: ..").size();
  for (const char* month : months) {
    const std::string_view m(month);
    if (header.size() < m.size() + stamp_size + tail_size) continue;
    const std::size_t at = header.size() - tail_size - stamp_size - m.size();
    if (header.compare(at, m.size(), m) != 0 || (at > 0 && header[at - 1] != ' ')) continue;
    const std::string stamp = header.substr(at + m.size(), stamp_size);
    const std::string tail = header.substr(header.size() - tail_size);
    const bool shaped = has_shape(stamp, " _9, 9999 99:99") &&
                        (tail == "  Type: N  Check: .." || tail == "  Type: P  Check: ..");
    const int day = std::stoi(stamp.substr(0, 3));
    const int hour = std::stoi(stamp.substr(10, 2));
    const int minute = std::stoi(stamp.substr(13, 2));
    EXPECT_TRUE(shaped && day >= 1 && day <= 31 && hour <= 24 && minute <= 59) << name << ": " << header;
    return header.substr(0, at) + "<date>" + tail + contents.substr(line_end);
  }
  ADD_FAILURE() << name << ": no month in " << header;
  return contents;
}

// Standard output and then every file the run wrote, in name order.
std::string run_and_dump(const Arguments& arguments, const std::vector<std::string>& inputs,
                         const std::string* standard_input = nullptr) {
  test_support::Temp_Dir dir;
  place_inputs(dir, inputs);
  const std::set<std::string> before = files_in(dir);
  const test_support::Run_Result result =
      test_support::run(BRAKTO_BINARY, arguments, dir.path(), test_support::Output_To::collected, standard_input);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  std::string dump = "--- standard output\n" + normalised_output(result.out);
  for (const std::string& name : files_in(dir)) {
    if (before.count(name)) continue;
    std::string contents = test_support::read_file(dir / name);
    if (name.size() > 4 && name.substr(name.size() - 4) == ".gcg") contents = without_date(name, contents);
    dump += "--- " + name + "\n" + contents;
  }
  return dump;
}

struct Case {
  const char* golden;
  Arguments arguments;
  std::vector<std::string> inputs;
};

void check_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    EXPECT_TRUE(test_support::matches_golden(run_and_dump(c.arguments, c.inputs),
                                             std::string("brakto/") + c.golden))
        << c.golden;
  }
}

}  // namespace

TEST(BraktoRun, WholeSequenceEdits) {
  check_cases({
      // Output named after the input's last component up to its first ".".
      {"run_reverse_complement.txt", {"-RE", "-CO", "-L", "8", "in/small26.v1.fa"}, {"in/small26.v1.fa=small26.fa"}},
      {"run_plain.txt", {"small26.fa"}, {"small26.fa"}},
      {"run_gcg_input.txt", {"-F", "gc", "small.gcg"}, {"small.gcg"}},
      // -POSITIONS with no couple at all.
      {"run_plain.txt", {"-PO", "small26.fa"}, {"small26.fa"}},
      // Begin and end outside the range fall back to the whole of it.
      {"run_begin_end_whole.txt", {"-B", "0", "-E", "251", "-OUT", "sub/whole.seq.txt", "seq250.fa"}, {"seq250.fa"}},
      {"run_begin_end_gcg.txt", {"-B", "5", "-E", "130", "-G", "seq250.fa"}, {"seq250.fa"}},
      // Begin above end: files with their headers only.
      {"run_begin_above_end.txt", {"-b", "20", "-e", "10", "-gcg", "small26.fa"}, {"small26.fa"}},
  });
}

TEST(BraktoRun, PositionCouples) {
  check_cases({
      // Overlapping and reordered couples; -L ends the couples and is an option.
      {"run_couples.txt", {"-PO", "4", "12", "1", "6", "25", "26", "-L", "10", "-O", "cut.out", "small26.fa"},
       {"small26.fa"}},
      {"run_couple_gcg.txt", {"-POSITIONS", "20", "26", "-GCG", "small26.fa"}, {"small26.fa"}},
      {"run_out_of_sequence.txt", {"-PO", "1", "27", "small26.fa"}, {"small26.fa"}},
      {"run_out_of_sequence.txt", {"-PO", "0", "5", "small26.fa"}, {"small26.fa"}},
      {"run_invalid_couple.txt", {"-PO", "5", "10", "20", "small26.fa"}, {"small26.fa"}},
      {"run_invalid_position.txt", {"-PO", "10", "5", "small26.fa"}, {"small26.fa"}},
  });
}

TEST(BraktoRun, Windows) {
  check_cases({
      {"run_windows_250.txt", {"-IN", "100", "10", "seq250.fa"}, {"seq250.fa"}},
      {"run_windows_26.txt", {"-IN", "10", "2", "-G", "small26.fa"}, {"small26.fa"}},
      // Each window is translated on its own; the last one is too short for a codon.
      {"run_windows_protein.txt", {"-IN", "10", "2", "-PRO", "small26.fa"}, {"small26.fa"}},
  });
}

TEST(BraktoRun, Protein) {
  check_cases({
      {"run_protein.txt", {"-PRO", "small26.fa"}, {"small26.fa"}},
      {"run_protein_gcg.txt", {"-G", "-PRO", "small26.fa"}, {"small26.fa"}},
      {"run_protein_gcg.txt", {"-PROTEIN", "-GC", "small26.fa"}, {"small26.fa"}},
      // -ASCII after -GCG gives the fragment layout back.
      {"run_protein.txt", {"-G", "-PRO", "-A", "small26.fa"}, {"small26.fa"}},
  });
}

TEST(BraktoRun, ArgumentErrorsPrintTheUsage) {
  const std::vector<Arguments> cases = {
      {},
      {"-L", "60"},                               // only options
      {"-G", "-O", "small26.fa"},                 // the file name taken as a value
      {"-P", "1", "10", "small26.fa"},            // -P and -PR match nothing
      {"-PR", "small26.fa"},
      {"-X", "small26.fa"},
      {"-IN", "100", "100", "small26.fa"},        // overlap not below the length
      {"-IN", "100", "10", "-PO", "1", "5", "small26.fa"},
      {"-PO", "1", "5", "-IN", "100", "10", "small26.fa"},
      {"-L", "0", "small26.fa"},                  // no residue per line
      {"-L", "-5", "-G", "small26.fa"},
  };
  for (const Arguments& arguments : cases) {
    std::string shown;
    for (const std::string& a : arguments) shown += " " + a;
    EXPECT_TRUE(test_support::matches_golden(run_and_dump(arguments, {"small26.fa"}), "brakto/run_usage.txt"))
        << shown;
  }
}

TEST(BraktoRun, OtherErrorsPrintNameMessageAndInformation) {
  check_cases({
      // The start 123 is pending and nothing follows it.
      {"run_error_argument.txt", {"-PO", "1", "10", "123"}, {}},
      {"run_error_number.txt", {"-L", "abc", "small26.fa"}, {"small26.fa"}},
      {"run_error_empty_number.txt", {"-S", "", "small26.fa"}, {"small26.fa"}},
      {"run_error_format.txt", {"-F", "xyz", "small26.fa"}, {"small26.fa"}},
      {"run_error_missing_file.txt", {"missing.fa"}, {}},
      {"run_error_window_start.txt", {"-B", "200000000", "-IN", "5", "1", "small26.fa"}, {"small26.fa"}},
      {"run_error_mutation_empty.txt", {"-B", "20", "-E", "10", "-M", "1", "small26.fa"}, {"small26.fa"}},
  });
}

TEST(BraktoRun, FoldersAndPipesAsTheSequenceFile) {
  test_support::Temp_Dir dir;
  fs::create_directory(dir / "folder");
  const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, {"folder"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_error_folder.txt"));

  // A pipe is read once, and both passes of the reader see all of it.
  const std::string small26 = test_support::read_file(test_support::fixture("brakto/small26.fa"));
  EXPECT_TRUE(test_support::matches_golden(run_and_dump({"-O", "small26", "/dev/stdin"}, {}, &small26),
                                           "brakto/run_standard_input.txt"));
}

TEST(BraktoRun, UncreatableOutputFileIsReported) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  fs::create_directory(dir / "small26.frgseq");
  const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_error_unwritable.txt"));
}

TEST(BraktoRun, MutationsAsTheSeedsGaveThem) {
  // Recorded before the draws lost their divisions: a seed gives the same
  // mutations as it always did, over a wider range, with the largest seed
  // (the second generator's seed wraps) and a negative one.
  check_cases({
      {"run_mutation_seed_largest.txt",
       {"-M", "60", "-S", "2147483647", "-B", "11", "-E", "240", "seq250.fa"},
       {"seq250.fa"}},
      {"run_mutation_seed_negative.txt", {"-M", "25", "-S", "-7", "-O", "neg", "seq250.fa"}, {"seq250.fa"}},
  });
}

TEST(BraktoRun, MutationsWithAFixedSeed) {
  const Arguments arguments = {"-M", "40", "-S", "7", "-B", "3", "-E", "24", "small26.fa"};
  const std::string first = run_and_dump(arguments, {"small26.fa"});
  EXPECT_EQ(first, run_and_dump(arguments, {"small26.fa"}));

  const std::string prefix =
      "--- standard output\nCommand: brakto\nReading: small26.fa\nLa longueur de la sequence est 26\n";
  ASSERT_EQ(first.rfind(prefix, 0), 0u) << first;
  const auto mutations = mutation_report::parse(first);
  ASSERT_EQ(mutations.size(), 40u);

  // Replaying the report on the input gives the written file.
  std::string text = "ACGTACGTNNTTGGCCAAUUGATTAC";
  std::string report;
  for (const auto& m : mutations) {
    ASSERT_GE(m.position, 3);
    ASSERT_LE(m.position, 24);
    EXPECT_EQ(text[std::size_t(m.position - 1)], m.old_letter);
    EXPECT_NE(std::string("ATGC").find(m.new_letter), std::string::npos);
    EXPECT_NE(m.new_letter, m.old_letter);
    text[std::size_t(m.position - 1)] = m.new_letter;
    report += "Mutation a la position " + std::to_string(m.position) + " par '" + m.new_letter +
              "' a la place de '" + m.old_letter + "'\n";
  }
  EXPECT_EQ(first, prefix + report + "--- small26.frgseq\n> small26\n" + text.substr(2, 22) + "\n");
}

namespace {

// Every file of the folder (links followed) with its contents.
std::map<std::string, std::string> snapshot(const test_support::Temp_Dir& dir) {
  std::map<std::string, std::string> files;
  for (const std::string& name : files_in(dir)) files[name] = test_support::read_file(dir / name);
  return files;
}

}  // namespace

// An output file that would be the sequence file itself, by whatever path,
// is refused before any file is written, windows included.
TEST(BraktoRun, OutputThatIsTheInputIsRefused) {
  struct Refused {
    Arguments arguments;
    std::vector<std::string> inputs;
    const char* link = nullptr;  // made in the folder, pointing to the input
  };
  const Refused cases[] = {
      {{"-F", "GCG", "-GCG", "-PO", "1", "10", "small.gcg"}, {"small.gcg"}},
      // Refused before the mutations are drawn.
      {{"-M", "3", "-S", "1", "small26.frgseq"}, {"small26.frgseq=small26.fa"}},
      // The second window's file; the first is not written either.
      {{"-IN", "10", "2", "-O", "w", "w_00000009.frgseq"}, {"w_00000009.frgseq=small26.fa"}},
      {{"-PRO", "p.frgpep"}, {"p.frgpep=small26.fa"}},
      {{"in/small26.fa"}, {"in/small26.fa=small26.fa"}, "small26.frgseq"},
  };
  std::string all;
  for (const Refused& c : cases) {
    test_support::Temp_Dir dir;
    place_inputs(dir, c.inputs);
    if (c.link) fs::create_symlink(c.arguments.back(), dir / c.link);
    const auto before = snapshot(dir);
    const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, c.arguments, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(snapshot(dir), before) << testing::PrintToString(c.arguments);
    all += "== brakto";
    for (const std::string& a : c.arguments) all += " " + a;
    all += '\n';
    all += normalised_output(result.out);
  }
  EXPECT_TRUE(test_support::matches_golden(all, "brakto/run_output_is_input.txt"));
}

// A standard output whose reader is gone, or that is full, takes nothing
// more; the file is written whole and the run ends normally.
TEST(BraktoRun, StandardOutputClosingEarlyLosesNoFiles) {
  const Arguments arguments = {"-M", "2000", "-S", "1", "small26.fa"};
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  const test_support::Run_Result open = test_support::run(BRAKTO_BINARY, arguments, dir.path());
  ASSERT_EQ(open.status, 0);
  ASSERT_GT(open.out.size(), 100000u);  // long enough to be written before the end
  const std::string written = test_support::read_file(dir / "small26.frgseq");
  for (const auto output_to : {test_support::Output_To::closed_pipe, test_support::Output_To::full_device}) {
    fs::remove(dir / "small26.frgseq");
    const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, arguments, dir.path(), output_to);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(test_support::read_file(dir / "small26.frgseq"), written);
  }
}

TEST(BraktoRun, FailedWriteNamesItsFile) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  fs::create_symlink("/dev/full", dir / "small26.frgseq");
  const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_error_full.txt"));
}

// zarn finds the format and type of the GCG files brakto writes: a length
// that fills its field, and a base name holding blanks.
TEST(BraktoRun, GcgFilesReadBackByZarn) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"my seq.fa=small26.fa"});
  test_support::write_file(dir / "long.fa", ">long\n" + test_support::pseudo_random_dna(10000, 7) + "\n");
  std::string all;
  for (const char* input : {"long.fa", "my seq.fa"}) {
    const test_support::Run_Result made = test_support::run(BRAKTO_BINARY, {"-GCG", input}, dir.path());
    EXPECT_EQ(made.status, 0);
    const std::string name = fs::path(input).replace_extension(".gcg").string();
    const std::string contents = without_date(name, test_support::read_file(dir / name));
    all += "--- " + name + " header\n" + contents.substr(0, contents.find('\n') + 1);
  }
  const test_support::Run_Result read =
      test_support::run(ZARN_BINARY, {"-S1", "long.gcg", "-E1", "30", "-S2", "my seq.gcg", "-LOCAL"}, dir.path());
  EXPECT_EQ(read.status, 0);
  all += "--- zarn -S1 long.gcg -E1 30 -S2 'my seq.gcg' -LOCAL\n" + read.out;
  EXPECT_TRUE(test_support::matches_golden(all, "brakto/gcg_read_back.txt"));
}

// A sequence file whose lines end in a carriage return alone (as classic
// Mac editors wrote them) reads as its copy with line feeds.
TEST(BraktoRun, ClassicMacLineEnds) {
  for (const Arguments& arguments : {Arguments{"dna_1.fa"}, Arguments{"-F", "GCG", "-L", "50", "dna_1.gcg"}}) {
    const std::string name = arguments.back();
    const std::string text = test_support::read_file(test_support::fixture("mac/" + name));
    ASSERT_EQ(text.find('\n'), std::string::npos) << name;
    std::string converted = text;
    std::replace(converted.begin(), converted.end(), '\r', '\n');
    test_support::Temp_Dir mac;
    test_support::Temp_Dir line_feeds;
    test_support::write_file(mac / name, text);
    test_support::write_file(line_feeds / name, converted);
    const test_support::Run_Result from_mac = test_support::run(BRAKTO_BINARY, arguments, mac.path());
    const test_support::Run_Result expected = test_support::run(BRAKTO_BINARY, arguments, line_feeds.path());
    EXPECT_EQ(from_mac.status, 0);
    EXPECT_EQ(from_mac.out, expected.out) << name;
    EXPECT_EQ(test_support::read_file(mac / "dna_1.frgseq"), test_support::read_file(line_feeds / "dna_1.frgseq"));
  }
}

// A file-size limit (ulimit -f) ends the run as any failed write does: the
// failure named, status 0, and the file as far as the limit let it grow.
TEST(BraktoRun, FileSizeLimitIsAFailedWrite) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"seq250.fa"});
  const test_support::Run_Result result =
      test_support::run(BRAKTO_BINARY, {"-L", "10", "seq250.fa"}, dir.path(), {.file_size_limit = 100});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_error_file_size.txt"));
  EXPECT_EQ(fs::file_size(dir / "seq250.frgseq"), 100u);
}

// A standard output left non-blocking whose reader is slower than brakto:
// writes wait for room in the pipe, and every line arrives.
TEST(BraktoRun, SlowNonBlockingStandardOutputGetsEveryLine) {
  const Arguments arguments = {"-M", "5000", "-S", "1", "small26.fa"};
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  const test_support::Run_Result read_at_once = test_support::run(BRAKTO_BINARY, arguments, dir.path());
  ASSERT_EQ(read_at_once.status, 0);
  ASSERT_GT(read_at_once.out.size(), 200000u);
  const test_support::Run_Result read_slowly = test_support::run(
      BRAKTO_BINARY, arguments, dir.path(), {.output_to = test_support::Output_To::slow_non_blocking_pipe});
  EXPECT_EQ(read_slowly.status, 0);
  EXPECT_TRUE(read_slowly.out == read_at_once.out) << read_slowly.out.size() << " bytes";
}

// A FIFO at the output name: written to when a program reads it, as a
// regular file would be; with no reader, the run ends at once with the
// message for a file that cannot be made.
TEST(BraktoRun, FifoAtTheOutputName) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  ASSERT_EQ(::mkfifo((dir / "small26.frgseq").c_str(), 0600), 0);
  const test_support::Run_Result unread =
      test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path(), {.timeout_seconds = 20});
  EXPECT_EQ(unread.status, 0);
  EXPECT_TRUE(test_support::matches_golden(normalised_output(unread.out), "brakto/run_error_fifo.txt"));

  // The file fits in the FIFO: it is read once brakto is done.
  const int reader = ::open((dir / "small26.frgseq").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const test_support::Run_Result read =
      test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path(), {.timeout_seconds = 20});
  EXPECT_EQ(read.status, 0);
  std::string written;
  char buffer[4096];
  for (ssize_t got; (got = ::read(reader, buffer, sizeof buffer)) > 0;) written.append(buffer, std::size_t(got));
  ::close(reader);
  EXPECT_TRUE(test_support::matches_golden(
      "--- standard output\n" + normalised_output(read.out) + "--- small26.frgseq\n" + written, "brakto/run_plain.txt"));
}

// In a folder that others write into (sticky, as /tmp is), the output is
// opened by the rules of zarn's /tmp fallback: no symbolic link is
// followed, whoever planted it; a regular file of the user's own is
// replaced as before.
TEST(BraktoRun, OutputInASharedFolderFollowsNoLink) {
  std::vector<int> planters = {int(::geteuid())};
  if (::geteuid() == 0) planters.push_back(65534);  // a link of another user's too
  for (const int planter : planters) {
    test_support::Temp_Dir dir;
    place_inputs(dir, {"small26.fa"});
    fs::permissions(dir.path(), fs::perms::all | fs::perms::sticky_bit);
    test_support::write_file(dir / "precious", "kept\n");
    fs::create_symlink(dir / "precious", dir / "small26.frgseq");
    ASSERT_EQ(::lchown((dir / "small26.frgseq").c_str(), uid_t(planter), gid_t(planter)), 0);
    const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_error_shared_link.txt"))
        << planter;
    EXPECT_EQ(test_support::read_file(dir / "precious"), "kept\n");
  }
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  fs::permissions(dir.path(), fs::perms::all | fs::perms::sticky_bit);
  test_support::write_file(dir / "small26.frgseq", "old\n");
  const test_support::Run_Result result = test_support::run(BRAKTO_BINARY, {"small26.fa"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(test_support::read_file(dir / "small26.frgseq"), "> small26\nACGTACGTNNTTGGCCAAUUGATTAC\n");
}

// Window files whose names lead to one file are refused before any file is
// written, as an output that is the input is.
TEST(BraktoRun, WindowFilesThatAreOneFileAreRefused) {
  test_support::Temp_Dir dir;
  place_inputs(dir, {"small26.fa"});
  test_support::write_file(dir / "w_00000001.frgseq", "old\n");
  fs::create_symlink("w_00000001.frgseq", dir / "w_00000017.frgseq");
  const auto before = snapshot(dir);
  const test_support::Run_Result result =
      test_support::run(BRAKTO_BINARY, {"-IN", "10", "2", "-O", "w", "small26.fa"}, dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(snapshot(dir), before);
  EXPECT_TRUE(test_support::matches_golden(normalised_output(result.out), "brakto/run_same_output.txt"));
}
