#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "strlib.h"
#include "test_support.h"

using namespace strlib;

namespace {

std::string fixture(const std::string& name) {
  return test_support::fixture("strlib/" + name).string();
}

// "null", or the characters between brackets: "[abc]".
std::string shown(const String_Pointer& s) {
  if (s.is_null()) return "null";
  std::string text = "[";
  text += s.view();
  text += ']';
  return text;
}

std::string outcome(const std::function<String_Pointer()>& read) {
  try {
    return shown(read());
  } catch (const platform::Error& e) {
    return e.name();
  }
}

bool line_end_next(platform::Input_File& file) {
  char c;
  bool end_of_line;
  file.look_ahead(c, end_of_line);
  return end_of_line;
}

// Standard input read from a file (or a descriptor) for the lifetime of the object.
class Standard_Input_From {
 public:
  explicit Standard_Input_From(const std::string& path)
      : Standard_Input_From(::open(path.c_str(), O_RDONLY)) {}
  explicit Standard_Input_From(int fd) : saved_(::dup(0)) {
    EXPECT_GE(fd, 0);
    ::dup2(fd, 0);
    ::close(fd);
    platform::standard_input().close();
  }
  ~Standard_Input_From() {
    platform::standard_input().close();
    ::dup2(saved_, 0);
    ::close(saved_);
  }

 private:
  int saved_;
};

}  // namespace

TEST(TextReading, GetWordStopsAtStopCharactersAndLineEnds) {
  platform::Input_File file;
  file.open(fixture("words.txt"));
  const Plain_View stops(" ,;");
  std::vector<std::string> words;
  // The line end is never read: each line is left by hand.
  for (int line = 0; line < 4; ++line) {
    for (;;) {
      const String_Pointer word = Get_Word(file, To_Pointer("old"), 5, stops);
      if (word.is_null()) break;
      words.push_back(std::string(word.view()));
    }
    EXPECT_TRUE(line_end_next(file)) << "line " << line;
    if (!file.end_of_file()) file.skip_line();
  }
  EXPECT_EQ(words, (std::vector<std::string>{"alpha", "beta", "gamma", "toolo", "ngwor", "d", "x",
                                             "last"}));
  EXPECT_TRUE(file.end_of_file());
  EXPECT_EQ(shown(Get_Word(file, {}, 5, stops)), "null");  // at the end: nothing, no error
}

TEST(TextReading, GetWordOnALineOfStopCharacters) {
  platform::Input_File file;
  file.open(fixture("words.txt"));
  file.skip_line();
  EXPECT_EQ(shown(Get_Word(file, To_Pointer("old"), 10, ",;")), "null");
  EXPECT_TRUE(line_end_next(file));  // the line end stays unread
  file.skip_line();
  EXPECT_EQ(shown(Get_Word(file, {}, 0, " ")), "null");  // Max 0 reads nothing
  EXPECT_EQ(shown(Get_Word(file, {}, -1, " ")), "null");
  EXPECT_EQ(shown(Get_Word(file, {}, 100, "")), "[toolongword x]");
}

TEST(TextReading, GetFieldReadsAcrossLineEnds) {
  struct Step {
    std::int32_t max;
    Read_Mode mode;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {4, Read_Mode::NORMAL, "[ab  ]"},
      {0, Read_Mode::NORMAL, "[]"},       // never null
      {-2, Read_Mode::REMOVING, "[]"},
      {2, Read_Mode::REMOVING, "[cd]"},
      {3, Read_Mode::REMOVING, "[ ]"},    // the line end before is not stored; three
                                          // blanks keep the first one
      {3, Read_Mode::REMOVING, "[xyz]"},
      {1, Read_Mode::NORMAL, "IO_EXCEPTIONS.END_ERROR"},
  };
  platform::Input_File file;
  file.open(fixture("fields.txt"));
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(outcome([&] { return Get_Field(file, To_Pointer("old"), s.max, s.mode); }),
              s.expected)
        << "step " << i;
  }

  // An end inside the field: what was read stays consumed.
  platform::Input_File short_file;
  short_file.open(fixture("fields.txt"));
  EXPECT_EQ(outcome([&] { return Get_Field(short_file, {}, 100, Read_Mode::NORMAL); }),
            "IO_EXCEPTIONS.END_ERROR");
  EXPECT_TRUE(short_file.end_of_file());
}

TEST(TextReading, GetLineFieldReadsTheRestOfTheLine) {
  struct Step {
    std::int32_t max;
    Read_Mode mode;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {4, Read_Mode::NORMAL, "[ab  ]"},    // the rest of a longer line stays
      {2, Read_Mode::NORMAL, "[cd]"},      // a full buffer takes the line end with it
      {10, Read_Mode::REMOVING, "[ ]"},
      {10, Read_Mode::NORMAL, "[xyz]"},
      {10, Read_Mode::NORMAL, "IO_EXCEPTIONS.END_ERROR"},
  };
  platform::Input_File file;
  file.open(fixture("fields.txt"));
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(outcome([&] { return Get_Line_Field(file, To_Pointer("old"), s.max, s.mode); }),
              s.expected)
        << "step " << i;
  }
}

TEST(TextReading, GetLineFieldMatchesThePlatformLineReading) {
  for (const char* name : {"lines.txt", "lines_unterminated.txt", "fields.txt"}) {
    for (std::int32_t max : {1, 2, 3, 4, 5, 100}) {
      platform::Input_File ours, platforms;
      ours.open(fixture(name));
      platforms.open(fixture(name));
      std::vector<char> buffer(static_cast<std::size_t>(max));
      int step = 0;
      while (!platforms.end_of_file()) {
        const std::string what = std::string(name) + " max " + std::to_string(max) + " step " +
                                 std::to_string(step++);
        ASSERT_FALSE(ours.end_of_file()) << what;
        const std::string expected(platforms.get_line(buffer));
        EXPECT_EQ(shown(Get_Line_Field(ours, {}, max, Read_Mode::NORMAL)), "[" + expected + "]")
            << what;
        EXPECT_EQ(line_end_next(ours), line_end_next(platforms)) << what;
      }
      EXPECT_TRUE(ours.end_of_file()) << name << " max " << max;
    }
  }
  // Max 0 takes only a line end that comes next.
  platform::Input_File file;
  file.open(fixture("lines.txt"));
  EXPECT_EQ(shown(Get_Line_Field(file, {}, 0, Read_Mode::NORMAL)), "[]");
  EXPECT_FALSE(line_end_next(file));
  EXPECT_EQ(shown(Get_Line_Field(file, {}, 0, Read_Mode::NORMAL)), "[]");
  EXPECT_EQ(shown(Get_Line_Field(file, {}, 5, Read_Mode::NORMAL)), "[a]");
}

TEST(TextReading, GetSkipping) {
  platform::Input_File file;
  file.open(fixture("skipping.txt"));
  std::string item(4, '.');
  Get_Skipping(file, item, " -");
  EXPECT_EQ(item, "abcd");
  Get_Skipping(file, std::span<char>(), " -");  // nothing to fill, nothing read
  std::string more(1, '.');
  EXPECT_EQ(outcome([&] {
              Get_Skipping(file, more, " -");
              return String_Pointer();
            }),
            "IO_EXCEPTIONS.END_ERROR");
  EXPECT_EQ(more, ".");

  platform::Input_File again;
  again.open(fixture("skipping.txt"));
  std::string all(7, '.');
  Get_Skipping(again, all, "");  // line ends are never stored
  EXPECT_EQ(all, "a-b c--");
}

TEST(TextReading, StandardInputForms) {
  {
    Standard_Input_From input(fixture("words.txt"));
    EXPECT_EQ(shown(Get_Word(To_Pointer("old"), 5, " ,")), "[alpha]");
    EXPECT_EQ(shown(Get_Word({}, 5, " ,")), "[beta;]");
    EXPECT_EQ(shown(Get_Line_Field({}, 100, Read_Mode::NORMAL)), "[;gamma]");
    EXPECT_EQ(shown(Get_Field({}, 4, Read_Mode::NORMAL)), "[,,;t]");
    std::string item(3, '.');
    Get_Skipping(item, "o");
    EXPECT_EQ(item, "lng");
    // Closing the file leaves descriptor 0 open, and reading reopens it.
    platform::standard_input().close();
    EXPECT_NE(::fcntl(0, F_GETFD), -1);
    EXPECT_TRUE(platform::standard_input().is_open());
  }
  Standard_Input_From input(fixture("fields.txt"));
  EXPECT_EQ(shown(Get_Line_Field({}, 10, Read_Mode::REMOVING)), "[ab  cd]");
  EXPECT_EQ(shown(Get_Field({}, 3, Read_Mode::REMOVING)), "[ ]");
  EXPECT_EQ(outcome([] { return Get_Field({}, 5, Read_Mode::NORMAL); }), "IO_EXCEPTIONS.END_ERROR");
}

TEST(TextReading, TheLastLineIsALineLikeAnyOther) {
  test_support::Temp_Dir dir;
  const std::string path = (dir / "t.txt").string();
  // Two lines, the second empty.
  test_support::write_file(path, "abc\n\n");
  {
    platform::Input_File file;
    file.open(path);
    EXPECT_EQ(shown(Get_Line_Field(file, {}, 10, Read_Mode::NORMAL)), "[abc]");
    EXPECT_EQ(shown(Get_Line_Field(file, {}, 10, Read_Mode::NORMAL)), "[]");
    EXPECT_EQ(outcome([&] { return Get_Line_Field(file, {}, 10, Read_Mode::NORMAL); }),
              "IO_EXCEPTIONS.END_ERROR");
    // An empty buffer gives an empty string, at the end too.
    EXPECT_EQ(shown(Get_Line_Field(file, {}, 0, Read_Mode::NORMAL)), "[]");
    EXPECT_EQ(shown(Get_Line_Field(file, {}, -3, Read_Mode::REMOVING)), "[]");
  }
  // After the last word of the last line, the rest of that line, as on any other.
  for (const char* contents : {"x\nabc\n", "x\nabc"}) {
    test_support::write_file(path, contents);
    platform::Input_File file;
    file.open(path);
    for (const char* word : {"x", "abc"}) {
      EXPECT_EQ(shown(Get_Word(file, {}, 10, " ")), std::string("[") + word + "]");
      EXPECT_EQ(outcome([&] { return Get_Line_Field(file, {}, 10, Read_Mode::NORMAL); }), "[]")
          << testing::PrintToString(contents) << " after " << word;
    }
    EXPECT_TRUE(file.end_of_file());
  }
}

TEST(TextReading, StandardInputReturnsOnceTheLineHasEnded) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const int writer = fds[1];
  Standard_Input_From input(fds[0]);
  auto send = [writer](std::string_view text) {
    EXPECT_EQ(::write(writer, text.data(), text.size()), ssize_t(text.size()));
  };
  // Each step reads only what is there; the pipe stays open behind it.
  struct Step {
    std::string sent;
    std::function<String_Pointer()> read;
    std::string expected;
  };
  const std::vector<Step> steps = {
      {"abc def\n", [] { return Get_Word({}, 10, " "); }, "[abc]"},
      {"", [] { return Get_Line_Field({}, 100, Read_Mode::NORMAL); }, "[def]"},
      {"gh\n", [] { return Get_Word({}, 10, " "); }, "[gh]"},
      {"", [] { return Get_Line_Field({}, 100, Read_Mode::NORMAL); }, "[]"},
      {"xy", [] { return Get_Field({}, 2, Read_Mode::NORMAL); }, "[xy]"},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    send(steps[i].sent);
    auto reading = std::async(std::launch::async, [&] { return outcome(steps[i].read); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ::close(writer);  // lets the waiting read end
      ADD_FAILURE() << "step " << i << " waited for bytes beyond the line";
      reading.wait();
      return;
    }
    EXPECT_EQ(reading.get(), steps[i].expected) << "step " << i;
  }
  ::close(writer);
}

TEST(TextReading, ReadModeImages) {
  EXPECT_STREQ(Image(Read_Mode::NORMAL), "NORMAL");
  EXPECT_STREQ(Image(Read_Mode::REMOVING), "REMOVING");
  static_assert(sizeof(Read_Mode) == 1);
}
