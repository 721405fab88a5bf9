#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
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

// Standard input read from a file for the lifetime of the object.
class Standard_Input_From {
 public:
  explicit Standard_Input_From(const std::string& path) : saved_(::dup(0)) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << path;
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

TEST(TextReading, ReadModeImages) {
  EXPECT_STREQ(Image(Read_Mode::NORMAL), "NORMAL");
  EXPECT_STREQ(Image(Read_Mode::REMOVING), "REMOVING");
  static_assert(sizeof(Read_Mode) == 1);
}
