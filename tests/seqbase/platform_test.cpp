#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_io.h"
#include "platform/command_line.h"
#include "platform/exceptions.h"
#include "platform/file_identity.h"
#include "platform/random.h"
#include "platform/text_io.h"
#include "test_support.h"

using namespace platform;

namespace {

template <class F>
const Exception_Id* raised(F&& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const Error& e) {
    if (message) *message = e.message();
    return &e.identity();
  }
  return nullptr;
}

}  // namespace

TEST(Exceptions, IdentityNotTextDecides) {
  constexpr static Exception_Id other{"IO_EXCEPTIONS.NAME_ERROR"};  // same text, other identity
  try {
    raise(io_exceptions::NAME_ERROR, "x.seq: No such file or directory");
  } catch (const Error& e) {
    EXPECT_TRUE(e.is(io_exceptions::NAME_ERROR));
    EXPECT_FALSE(e.is(other));
    EXPECT_STREQ(e.name(), "IO_EXCEPTIONS.NAME_ERROR");
    EXPECT_EQ(e.information(), "raised IO_EXCEPTIONS.NAME_ERROR : x.seq: No such file or directory");
  }
  EXPECT_EQ(Error(standard::CONSTRAINT_ERROR, "").information(), "raised CONSTRAINT_ERROR");
  EXPECT_EQ(place("strlib", 500), "strlib:500");
}

TEST(TextOutput, SetColFollowsTheColumnRule) {
  struct Case {
    std::string before;
    int column;
    std::string expected;
  };
  const Case cases[] = {
      {"", 1, ""},                    // already there
      {"", 4, "   "},                 // blanks up to the column
      {"abc", 4, "abc"},              // exactly there
      {"abcd", 4, "abcd\n   "},       // past: new line and c - 1 blanks
      {"abcdefgh", 2, "abcdefgh\n "},
      {"ab\ncd", 5, "ab\ncd  "},      // the column counts from the last line end
  };
  for (const Case& c : cases) {
    Output_File out;
    out.create_in_memory();
    out.put(c.before);
    out.set_col(c.column);
    EXPECT_EQ(out.contents(), c.expected) << "before «" << c.before << "» column " << c.column;
    EXPECT_EQ(out.col(), c.column);
  }
}

TEST(TextOutput, ColumnIsTrackedPerFile) {
  Output_File a, b;
  a.create_in_memory();
  b.create_in_memory();
  a.put("12345");
  b.put('x');
  b.new_line(2);
  EXPECT_EQ(a.col(), 6);
  EXPECT_EQ(b.col(), 1);
  EXPECT_EQ(b.contents(), "x\n\n");
}

TEST(TextOutput, IntegerFields) {
  EXPECT_EQ(integer_field(42, 6), "    42");
  EXPECT_EQ(integer_field(-42, 6), "   -42");
  EXPECT_EQ(integer_field(1234567, 3), "1234567");  // widens
  EXPECT_EQ(integer_field(-7, 0), "-7");
  EXPECT_EQ(integer_field(0, 1), "0");
  EXPECT_EQ(integer_image(42), " 42");
  EXPECT_EQ(integer_image(0), " 0");
  EXPECT_EQ(integer_image(-7), "-7");
}

TEST(TextOutput, FixedFields) {
  struct Case {
    double value;
    int fore, aft;
    const char* expected;
  };
  const Case cases[] = {
      {4.41667f, 4, 4, "   4.4167"},
      {85.0, 4, 3, "  85.000"},
      {210.5, 10, 3, "       210.500"},
      {26.1224f, 10, 3, "        26.122"},
      {0.0, 6, 3, "     0.000"},
      {0.25, 1, 3, "0.250"},
      {-0.5, 4, 1, "  -0.5"},
      {-12.346, 2, 2, "-12.35"},       // widened by the sign
      {123456.0, 2, 1, "123456.0"},    // widened
      {6.0625, 4, 3, "   6.063"},      // an exact tie rounds away from zero
      {-6.0625, 4, 3, "  -6.063"},
      {0.125, 1, 2, "0.13"},
      {9.9996, 1, 3, "10.000"},        // carry into the integer part
      {99.99951, 2, 3, "100.000"},
      {0.0004, 1, 3, "0.000"},
      {5.0f, 6, 3, "     5.000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fixed_field(c.value, c.fore, c.aft), c.expected) << c.value;
  }
}

TEST(TextInput, NumbersFromStrings) {
  EXPECT_EQ(get_integer(" 42").value, 42);
  EXPECT_EQ(get_integer(" 42").last, 3);
  EXPECT_EQ(get_integer("\t-7x").value, -7);
  EXPECT_EQ(get_integer("\t-7x").last, 3);
  EXPECT_EQ(get_integer("+12 5", 10).last, 12);  // in the string's own bounds
  EXPECT_EQ(get_integer("2147483647").value, 2147483647);
  EXPECT_EQ(get_integer("-2147483648").value, -2147483647 - 1);
  EXPECT_EQ(get_integer("12.5").value, 12);

  EXPECT_EQ(raised([] { get_integer(""); }), &io_exceptions::END_ERROR);
  EXPECT_EQ(raised([] { get_integer(" \t "); }), &io_exceptions::END_ERROR);
  EXPECT_EQ(raised([] { get_integer("x"); }), &io_exceptions::DATA_ERROR);
  EXPECT_EQ(raised([] { get_integer("-"); }), &io_exceptions::DATA_ERROR);
  EXPECT_EQ(raised([] { get_integer(":10"); }), &io_exceptions::DATA_ERROR);
  EXPECT_EQ(raised([] { get_integer("2147483648"); }), &io_exceptions::DATA_ERROR);
  EXPECT_EQ(raised([] { get_integer("99999999999999999999999"); }), &io_exceptions::DATA_ERROR);

  EXPECT_EQ(get_float("0.5").value, 0.5f);
  EXPECT_EQ(get_float("1.0E3").value, 1000.0f);
  EXPECT_EQ(get_float(" -2.5e-1z").value, -0.25f);
  EXPECT_EQ(get_float(" -2.5e-1z").last, 8);
  EXPECT_EQ(get_float("50").value, 50.0f);
  EXPECT_EQ(get_float("100.0").value, 100.0f);
  EXPECT_EQ(raised([] { get_float(""); }), &io_exceptions::END_ERROR);
  EXPECT_EQ(raised([] { get_float("abc"); }), &io_exceptions::DATA_ERROR);
  EXPECT_EQ(raised([] { get_float("1.0E39"); }), &io_exceptions::DATA_ERROR);
}

TEST(TextInput, LinesArriveInPiecesOfTheBuffer) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "t.txt", "abcdefgh\nabcd\nab\n\nxyz");
  Input_File in;
  in.open((dir / "t.txt").string());
  char buffer[4];
  std::vector<std::string> lines;
  while (!in.end_of_file()) lines.emplace_back(in.get_line(buffer));
  in.close();
  // 8 = two full pieces; a line of exactly 4 arrives whole; the last line lacks its terminator.
  EXPECT_EQ(lines, (std::vector<std::string>{"abcd", "efgh", "abcd", "ab", "", "xyz"}));
}

TEST(TextInput, CarriageReturnLineFeedEndsALine) {
  test_support::Temp_Dir dir;
  // Pieces of 4: "abc\r" + "\n" is one line of 3; a lone "\r" ends a line too.
  test_support::write_file(dir / "t.txt", "abc\r\nabcd\r\nx\ry\r\n\r\nlast\r\n");
  Input_File in;
  in.open((dir / "t.txt").string());
  char buffer[4];
  std::vector<std::string> lines;
  while (!in.end_of_file()) lines.emplace_back(in.get_line(buffer));
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "abcd", "x", "y", "", "last"}));

  test_support::write_file(dir / "c.txt", "a\r\nb");
  Input_File chars;
  chars.open((dir / "c.txt").string());
  EXPECT_EQ(chars.get_char(), 'a');
  char c;
  bool eol;
  chars.look_ahead(c, eol);
  EXPECT_TRUE(eol);
  EXPECT_EQ(chars.get_char(), 'b');
}

TEST(TextInput, ATerminatorEndsTheLineItFollows) {
  struct Case {
    std::string contents;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"\n", {""}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\n\n", {"a", ""}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\n\nb", {"a", "", "b"}},
      // A carriage return alone, as classic Mac editors end their lines.
      {"a\r", {"a"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\r\r\n", {"a", ""}},
      {"\ra\n", {"", "a"}},
  };
  test_support::Temp_Dir dir;
  for (const Case& c : cases) {
    test_support::write_file(dir / "t.txt", c.contents);
    Input_File in;
    in.open((dir / "t.txt").string());
    std::vector<std::string> lines;
    while (!in.end_of_file()) lines.push_back(in.get_line());
    EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.contents);
    EXPECT_EQ(raised([&] { in.get_line(); }), &io_exceptions::END_ERROR);
  }

  // Once part of the last line is read, the rest of it (empty) is still a line.
  for (const char* contents : {"ab\n", "ab"}) {
    test_support::write_file(dir / "t.txt", contents);
    Input_File in;
    in.open((dir / "t.txt").string());
    EXPECT_EQ(in.get_char(), 'a');
    EXPECT_EQ(in.get_char(), 'b');
    EXPECT_FALSE(in.end_of_file()) << contents;
    EXPECT_EQ(in.get_line(), "");
    EXPECT_TRUE(in.end_of_file()) << contents;
  }
}

TEST(TextInput, PiecesOfOneLineAreMarkedAsSuch) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "t.txt", "abcdefghij\nab\n");
  Input_File in;
  in.open((dir / "t.txt").string());
  char buffer[4];
  std::vector<std::pair<std::string, bool>> pieces;  // each piece, and whether it began a line
  while (!in.end_of_file()) {
    const bool starts = in.at_line_start();
    pieces.emplace_back(in.get_line(buffer), starts);
  }
  EXPECT_EQ(pieces, (std::vector<std::pair<std::string, bool>>{
                        {"abcd", true}, {"efgh", false}, {"ij", false}, {"ab", true}}));
}

TEST(TextInput, CharactersAndLookAhead) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "t.txt", "ab\ncd");
  Input_File in;
  in.open((dir / "t.txt").string());
  char c;
  bool eol;
  in.look_ahead(c, eol);
  EXPECT_FALSE(eol);
  EXPECT_EQ(c, 'a');
  EXPECT_EQ(in.get_char(), 'a');
  EXPECT_EQ(in.get_char(), 'b');
  in.look_ahead(c, eol);
  EXPECT_TRUE(eol);
  EXPECT_EQ(in.get_char(), 'c');  // passes over the line end
  EXPECT_EQ(in.get_char(), 'd');
  EXPECT_EQ(raised([&] { in.get_char(); }), &io_exceptions::END_ERROR);
}

TEST(TextInput, MissingFileIsNameError) {
  Input_File in;
  std::string message;
  EXPECT_EQ(raised([&] { in.open("/nonexistent/x.seq"); }, &message), &io_exceptions::NAME_ERROR);
  EXPECT_NE(message.find("/nonexistent/x.seq"), std::string::npos);
  Output_File out;
  EXPECT_EQ(raised([&] { out.create("/nonexistent/dir/x.aln"); }), &io_exceptions::NAME_ERROR);
}

TEST(InputFiles, FoldersAndNamesHoldingANulAreNameErrors) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "a", "x\n");
  const std::string folder = dir.path().string();
  const std::string with_nul = (dir / "a").string() + std::string("\0b", 2);
  for (const std::string& name : {folder, with_nul}) {
    std::string message;
    Input_File text;
    EXPECT_EQ(raised([&] { text.open(name); }, &message), &io_exceptions::NAME_ERROR);
    EXPECT_EQ(message.rfind(name + ": ", 0), 0u) << message;
    EXPECT_FALSE(text.is_open());
    Byte_File bytes;
    EXPECT_EQ(raised([&] { bytes.open(name); }), &io_exceptions::NAME_ERROR);
    EXPECT_FALSE(bytes.is_open());
  }
}

// A pipe named as /dev/fd/N, as a shell's process substitution gives it.
class Named_Pipe {
 public:
  explicit Named_Pipe(const std::string& contents) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], contents.data(), contents.size()), ssize_t(contents.size()));
    ::close(fds[1]);
    fd_ = fds[0];
  }
  // The new pipe takes the descriptor number, and so the name, of Earlier.
  Named_Pipe(const std::string& contents, Named_Pipe& earlier) : Named_Pipe(contents) {
    ::dup2(fd_, earlier.fd_);
    ::close(fd_);
    fd_ = std::exchange(earlier.fd_, -1);
  }
  ~Named_Pipe() {
    if (fd_ >= 0) ::close(fd_);
  }
  std::string name() const { return "/dev/fd/" + std::to_string(fd_); }

 private:
  int fd_ = -1;
};

TEST(InputFiles, APipeIsReadOnceAndServedToEveryOpening) {
  Named_Pipe pipe("ab\ncd\n");
  for (int opening = 1; opening <= 3; ++opening) {
    Input_File in;
    in.open(pipe.name());
    std::vector<std::string> lines;
    while (!in.end_of_file()) lines.push_back(in.get_line());
    EXPECT_EQ(lines, (std::vector<std::string>{"ab", "cd"})) << "opening " << opening;
  }
  for (int opening = 1; opening <= 2; ++opening) {
    Byte_File in;
    in.open(pipe.name());
    std::string bytes;
    while (!in.end_of_file()) bytes += char(in.read());
    EXPECT_EQ(bytes, "ab\ncd\n") << "opening " << opening;
  }

  // Another pipe under the same name is read afresh.
  Named_Pipe next("xy\n", pipe);
  Input_File in;
  in.open(next.name());
  EXPECT_EQ(in.get_line(), "xy");
  EXPECT_TRUE(in.end_of_file());
}

TEST(TextOutput, FileIsWrittenAndReplaced) {
  test_support::Temp_Dir dir;
  const std::string name = (dir / "out.txt").string();
  for (const char* text : {"first version, longer\n", "second\n"}) {
    Output_File out;
    out.create(name);
    out.put(text);
    out.close();
  }
  EXPECT_EQ(test_support::read_file(name), "second\n");
}

TEST(TextOutput, FailedWriteNamesItsFile) {
  Output_File out;
  out.create("/dev/full");
  out.put("lost");
  std::string message;
  EXPECT_EQ(raised([&] { out.close(); }, &message), &io_exceptions::DEVICE_ERROR);
  EXPECT_EQ(message.rfind("/dev/full: ", 0), 0u) << message;
}

TEST(FileIdentity, OneFileWhateverThePath) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "a.txt", "same\n");
  test_support::write_file(dir / "copy.txt", "same\n");
  std::filesystem::create_hard_link(dir / "a.txt", dir / "hard.txt");
  std::filesystem::create_symlink("a.txt", dir / "soft.txt");
  std::filesystem::create_directory(dir / "sub");
  const std::string a = (dir / "a.txt").string();
  struct Case {
    std::string other;
    bool same;
  };
  const Case cases[] = {
      {a, true},
      {(dir / "sub" / ".." / "a.txt").string(), true},
      {(dir / "hard.txt").string(), true},
      {(dir / "soft.txt").string(), true},
      {(dir / "copy.txt").string(), false},  // same contents, another file
      {(dir / "missing.txt").string(), false},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(same_file(a, c.other), c.same) << c.other;
  EXPECT_FALSE(same_file((dir / "missing.txt").string(), (dir / "missing.txt").string()));
  EXPECT_FALSE(file_identity((dir / "missing.txt").string()).has_value());
}

TEST(ByteFiles, ReadToTheEnd) {
  test_support::Temp_Dir dir;
  test_support::write_file(dir / "b.bin", std::string("\x01\xff", 2));
  Byte_File in;
  in.open((dir / "b.bin").string());
  EXPECT_EQ(in.read(), 1);
  EXPECT_EQ(in.read(), 255);
  EXPECT_TRUE(in.end_of_file());
  EXPECT_EQ(raised([&] { in.read(); }), &io_exceptions::END_ERROR);
}

TEST(Random, SeededGeneratorsRepeatAndStayInRange) {
  Uniform_Discrete a(5, 9), b(5, 9);
  a.reset(1234);
  b.reset(1234);
  std::set<std::int64_t> seen;
  for (int i = 0; i < 1000; ++i) {
    const auto x = a.random();
    EXPECT_EQ(x, b.random());
    EXPECT_GE(x, 5);
    EXPECT_LE(x, 9);
    seen.insert(x);
  }
  EXPECT_EQ(seen.size(), 5u);
  b.reset(1235);
  a.reset(1234);
  int same = 0;
  for (int i = 0; i < 100; ++i) same += a.random() == b.random();
  EXPECT_LT(same, 50);

  Uniform_Discrete full(-2147483648LL, 2147483647LL);
  full.reset(7);
  for (int i = 0; i < 100; ++i) {
    const auto x = full.random();
    EXPECT_GE(x, -2147483648LL);
    EXPECT_LE(x, 2147483647LL);
  }
  Uniform_Discrete empty(5, 4);
  EXPECT_EQ(raised([&] { empty.random(); }), &standard::CONSTRAINT_ERROR);
}

TEST(CommandLine, ArgumentsBeyondTheCountAreRefused) {
  set_command_line("zarn", {"-GLOBAL", "-S1"});
  EXPECT_EQ(argument_count(), 2);
  EXPECT_EQ(argument(2), "-S1");
  EXPECT_EQ(command_name(), "zarn");
  EXPECT_EQ(raised([] { argument(3); }), &standard::CONSTRAINT_ERROR);
}
