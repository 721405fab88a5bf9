// Text files whose lengths and line ends fall around the reader's read-ahead
// (64 KiB): what is read is exactly what the file holds, nothing more.
#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "platform/text_io.h"
#include "test_support.h"

using platform::Input_File;

namespace {

constexpr std::size_t read_ahead = 1 << 16;

// Lines of random lengths (some empty, one longer than the read-ahead),
// ended by a line feed or a carriage return and a line feed, cut to Size
// bytes; the bytes at Places become a carriage return and a line feed, the
// byte at Lone_Return a carriage return alone (a line end of its own).
std::string text_of(std::size_t size, const std::vector<std::size_t>& places, std::size_t lone_return,
                    std::uint32_t seed) {
  std::mt19937 random(seed);
  std::string text;
  while (text.size() < size) {
    const std::size_t length =
        text.size() < 3000 && text.size() + 70000 < size ? 70000 : std::uniform_int_distribution<std::size_t>(0, 300)(random);
    for (std::size_t k = 0; k < length; ++k) text += char('a' + random() % 26);
    text += random() % 3 == 0 ? "\r\n" : "\n";
  }
  text.resize(size);
  for (const std::size_t at : places) {
    if (at + 1 < size) {
      text[at] = '\r';
      text[at + 1] = '\n';
    }
  }
  if (lone_return + 1 < size) {
    text[lone_return] = '\r';
    text[lone_return + 1] = 'z';
  }
  return text;
}

// The lines of Text by the file rules: a line feed or a carriage return ends
// a line, a carriage return right before a line feed is part of the
// terminator, the last line may lack one.
std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", from);
    if (end == std::string::npos) {
      lines.push_back(text.substr(from));
      break;
    }
    lines.push_back(text.substr(from, end - from));
    from = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

}  // namespace

TEST(ReadAhead, FilesAroundItsSizeReadWhole) {
  struct Case {
    std::size_t size;
    std::vector<std::size_t> crlf_at;  // a terminator split between two reads, or not
    std::size_t lone_return_at;        // the same for a carriage return alone
  };
  const Case cases[] = {
      {read_ahead - 1, {read_ahead - 3}, 100},
      {read_ahead, {read_ahead - 2}, read_ahead - 1},
      {read_ahead + 1, {read_ahead - 1}, 100},
      {2 * read_ahead - 1, {read_ahead - 1, 2 * read_ahead - 3}, 3000},
      {2 * read_ahead, {read_ahead, 2 * read_ahead - 2}, read_ahead - 1},
      {2 * read_ahead + 1, {read_ahead - 1, 2 * read_ahead - 1}, 3000},
      {200000, {read_ahead - 1, 3 * read_ahead - 1}, 2 * read_ahead - 1},
  };
  test_support::Temp_Dir dir;
  const std::string path = (dir / "t.txt").string();
  std::uint32_t seed = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string text = text_of(c.size, c.crlf_at, c.lone_return_at, seed++);
    test_support::write_file(path, text);
    const std::vector<std::string> expected = lines_of(text);

    std::vector<std::string> lines;
    Input_File whole;
    whole.open(path);
    while (!whole.end_of_file()) lines.push_back(whole.get_line());
    EXPECT_TRUE(lines == expected);

    // Character by character, line ends passed over: every other byte, in order.
    std::string chars, kept;
    for (const std::string& line : expected) kept += line;
    Input_File one_by_one;
    one_by_one.open(path);
    while (!one_by_one.end_of_file()) {
      char c;
      bool end_of_line;
      one_by_one.look_ahead(c, end_of_line);
      if (end_of_line) {
        one_by_one.skip_line();
      } else {
        chars += one_by_one.get_char();
      }
    }
    EXPECT_EQ(chars.size(), kept.size());
    EXPECT_TRUE(chars == kept);
  }
}
