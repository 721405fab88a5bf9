#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "strlib.h"

using namespace strlib;

namespace {

String_Pointer bounded(std::string_view text, std::int32_t first) {
  String_Pointer s = String_Pointer::make(first, std::int32_t(first + std::int64_t(text.size()) - 1));
  for (std::size_t i = 0; i < text.size(); ++i) s(std::int32_t(first + i)) = text[i];
  return s;
}

// The index a search gives, or the name and message of what it raised.
std::string outcome(const std::function<std::int32_t()>& search) {
  try {
    return std::to_string(search());
  } catch (const platform::Error& e) {
    return std::string(e.name()) + " " + e.message();
  }
}

std::string not_found(int line) { return "STRLIB.STRING_NOT_FOUND strlib:" + std::to_string(line); }
std::string null_string(int line) { return "STRLIB.NULL_STRING strlib:" + std::to_string(line); }

// Every start offset at which Pattern lies whole within Source.
std::vector<std::size_t> occurrences(const std::string& source, const std::string& pattern) {
  std::vector<std::size_t> found;
  for (std::size_t j = 0; j + pattern.size() <= source.size(); ++j) {
    if (source.compare(j, pattern.size(), pattern) == 0) found.push_back(j);
  }
  return found;
}

// Random text over a few letters, bytes above 127 among them.
std::string random_text(std::mt19937& random, std::size_t length, std::string_view letters) {
  std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
  std::string text(length, ' ');
  for (char& c : text) c = letters[pick(random)];
  return text;
}

}  // namespace

TEST(Searches, FindChar) {
  struct Case {
    char item;
    std::string text;
    std::int32_t first;
    bool found;
    std::int32_t index;
  };
  const Case cases[] = {
      {'>', ">seq", 1, true, 1},
      {':', "a:b:", 5, true, 6},     // the first occurrence, in the string's own bounds
      {'\xE9', "ab\xE9", 1, true, 3},
      {'z', "a:bc", 5, false, 8},    // not found: Last
      {'z', "", 3, false, 3},        // empty: First
  };
  for (const Case& c : cases) {
    const Find_Result plain = Find_Char(c.item, Plain_View(c.text, c.first));
    EXPECT_EQ(plain.found, c.found) << c.text;
    EXPECT_EQ(plain.index, c.index) << c.text;
    const Find_Result pointer = Find_Char(c.item, bounded(c.text, c.first));
    EXPECT_EQ(pointer.found, c.found) << c.text;
    EXPECT_EQ(pointer.index, c.index) << c.text;
  }
  const Find_Result in_null = Find_Char('a', String_Pointer());
  EXPECT_FALSE(in_null.found);
  EXPECT_EQ(in_null.index, 1);
}

TEST(Searches, EdgeRules) {
  struct Case {
    std::string source;
    std::string pattern;
    std::string simple, index, backward;  // outcomes
  };
  const Case cases[] = {
      {"abcabc", "bc", "2", "2", "5"},
      {"abc", "", "1", "1", "4"},   // empty pattern: First, and Last + 1 from the end
      {"", "", not_found(213), "1", "1"},
      {"", "a", not_found(213), not_found(254), not_found(321)},
      {"ab", "abc", not_found(213), not_found(254), not_found(321)},
      {"abc", "x", not_found(213), not_found(278), not_found(345)},
      {"abc", "cd", not_found(213), not_found(278), not_found(345)},
      {"abc", "abc", "1", "1", "1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(outcome([&] { return Simple_Index(c.source, c.pattern); }), c.simple)
        << c.source << " / " << c.pattern;
    EXPECT_EQ(outcome([&] { return Index(c.source, c.pattern); }), c.index)
        << c.source << " / " << c.pattern;
    EXPECT_EQ(outcome([&] { return Backward_Index(c.source, c.pattern); }), c.backward)
        << c.source << " / " << c.pattern;
    EXPECT_EQ(Contains(c.source, c.pattern), c.index.find("STRLIB") == std::string::npos)
        << c.source << " / " << c.pattern;
  }
  const Find_Result empty_in_abc = Find_String("abc", "");
  EXPECT_TRUE(empty_in_abc.found);
  EXPECT_EQ(empty_in_abc.index, 1);
  EXPECT_FALSE(Find_String("", "").found);
  EXPECT_FALSE(Find_String("abc", "cd").found);
  EXPECT_FALSE(Contains("abc", "abcd"));
}

TEST(Searches, AgreeWithAPlainReferenceOnRandomText) {
  std::mt19937 random(20240517);
  const std::string_view letters[] = {"ab", "ab\xE9\xFF", "\x80\xFF\x7F"};
  for (int round = 0; round < 3000; ++round) {
    const std::string_view alphabet = letters[round % 3];
    const std::string source = random_text(random, random() % 40, alphabet);
    std::string pattern;
    if (round % 2 == 0 && !source.empty()) {
      const std::size_t at = random() % source.size();
      pattern = source.substr(at, random() % 6);
    } else {
      pattern = random_text(random, random() % 5, alphabet);
    }
    const std::int32_t first = std::int32_t(random() % 7) - 3;  // bounds not from 1 too
    const Plain_View s(source, first);
    const std::vector<std::size_t> occ = occurrences(source, pattern);
    const std::string what = "round " + std::to_string(round);

    const bool plain_found = !source.empty() && !occ.empty();
    const Find_Result f = Find_String(s, pattern);
    EXPECT_EQ(f.found, plain_found) << what;
    if (plain_found) {
      EXPECT_EQ(f.index, first + std::int32_t(occ.front())) << what;
      EXPECT_EQ(Simple_Index(s, pattern), f.index) << what;
    } else {
      EXPECT_EQ(f.index, source.empty() ? first : s.last()) << what;
      EXPECT_EQ(outcome([&] { return Simple_Index(s, pattern); }), not_found(213)) << what;
    }

    if (pattern.size() > source.size()) {
      EXPECT_EQ(outcome([&] { return Index(s, pattern); }), not_found(254)) << what;
      EXPECT_EQ(outcome([&] { return Backward_Index(s, pattern); }), not_found(321)) << what;
      EXPECT_FALSE(Contains(s, pattern)) << what;
    } else if (pattern.empty()) {
      EXPECT_EQ(Index(s, pattern), first) << what;
      EXPECT_EQ(Backward_Index(s, pattern), first + std::int32_t(source.size())) << what;
      EXPECT_TRUE(Contains(s, pattern)) << what;
    } else if (occ.empty()) {
      EXPECT_EQ(outcome([&] { return Index(s, pattern); }), not_found(278)) << what;
      EXPECT_EQ(outcome([&] { return Backward_Index(s, pattern); }), not_found(345)) << what;
      EXPECT_FALSE(Contains(s, pattern)) << what;
    } else {
      EXPECT_EQ(Index(s, pattern), first + std::int32_t(occ.front())) << what;
      EXPECT_EQ(Backward_Index(s, pattern), first + std::int32_t(occ.back())) << what;
      EXPECT_TRUE(Contains(s, pattern)) << what;
    }
  }
}

TEST(Searches, RabinKarpFindsEveryOccurrenceOfLongPatterns) {
  // Long windows of high bytes: the rolled hash must stay equal to the hash
  // of the window it stands for, with no wrap and no negative remainder.
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    const std::string unit = random_text(random, 1 + random() % 3, "\xFF\xFE\x80");
    std::string source;
    while (source.size() < 600) source += (random() % 4 == 0) ? std::string("\xFF") : unit;
    const std::size_t m = 10 + random() % 120;
    const std::string pattern = source.substr(random() % (source.size() - m), m);
    const std::vector<std::size_t> occ = occurrences(source, pattern);
    const std::string what = "round " + std::to_string(round);

    // Forward, each search starting just after the previous find.
    std::vector<std::size_t> forward;
    for (std::size_t from = 0; from + m <= source.size();) {
      const Plain_View rest(std::string_view(source).substr(from), std::int32_t(from + 1));
      if (!Contains(rest, pattern)) break;
      const std::size_t at = std::size_t(Index(rest, pattern) - 1);
      forward.push_back(at);
      from = at + 1;
    }
    EXPECT_EQ(forward, occ) << what;

    // Backward, each search ending just before the previous find's last character.
    std::vector<std::size_t> backward;
    for (std::size_t end = source.size(); end >= m;) {
      const Plain_View head(std::string_view(source).substr(0, end), 1);
      std::int32_t at;
      try {
        at = Backward_Index(head, pattern);
      } catch (const platform::Error&) {
        break;
      }
      backward.insert(backward.begin(), std::size_t(at - 1));
      end = std::size_t(at - 1) + m - 1;
    }
    EXPECT_EQ(backward, occ) << what;
  }
}

TEST(Searches, EqualHashesAreVerified) {
  // Each couple has the same hash in the direction searched.
  EXPECT_EQ(outcome([] { return Index("oopyrv", "jopyxy"); }), not_found(278));
  EXPECT_EQ(Index("oopyrvjopyxy", "jopyxy"), 7);
  EXPECT_FALSE(Contains("oopyrv", "jopyxy"));
  EXPECT_EQ(outcome([] { return Backward_Index("gxemno", "alemny"); }), not_found(345));
  EXPECT_EQ(Backward_Index("alemnygxemno", "alemny"), 1);
}

TEST(Searches, PointerFormsAndNullOperands) {
  const String_Pointer null;
  const String_Pointer source = bounded("xabcab", 10);
  const String_Pointer pattern = To_Pointer("ab");
  const std::string long_plain = "abcdefghijklmnop";  // a null operand is tested first

  struct Case {
    const char* what;
    std::function<std::int32_t()> search;
    std::string expected;
  };
  const Case cases[] = {
      {"Simple_Index plain/pointer", [&] { return Simple_Index("x", null); }, null_string(238)},
      {"Simple_Index pointer/pointer", [&] { return Simple_Index(source, null); }, null_string(229)},
      {"Simple_Index null/null", [&] { return Simple_Index(null, null); }, null_string(229)},
      {"Simple_Index pointer/plain", [&] { return Simple_Index(null, "x"); }, null_string(220)},
      {"Index plain/pointer", [&] { return Index("x", null); }, null_string(303)},
      {"Index pointer/pointer", [&] { return Index(null, pattern); }, null_string(294)},
      {"Index pointer/plain", [&] { return Index(null, long_plain); }, null_string(285)},
      {"Backward_Index plain/pointer", [&] { return Backward_Index("x", null); }, null_string(370)},
      {"Backward_Index pointer/pointer", [&] { return Backward_Index(source, null); },
       null_string(361)},
      {"Backward_Index pointer/plain", [&] { return Backward_Index(null, long_plain); },
       null_string(352)},
      {"Contains plain/pointer", [&] { return std::int32_t(Contains("x", null)); }, null_string(303)},
      {"Contains pointer/pointer", [&] { return std::int32_t(Contains(null, pattern)); },
       null_string(294)},
      {"Contains pointer/plain", [&] { return std::int32_t(Contains(null, long_plain)); },
       null_string(285)},
      // Found, in the pointer's own bounds.
      {"Simple_Index pointers", [&] { return Simple_Index(source, pattern); }, "11"},
      {"Simple_Index pointer source", [&] { return Simple_Index(source, "ca"); }, "13"},
      {"Simple_Index pointer pattern", [&] { return Simple_Index("zab", pattern); }, "2"},
      {"Index pointers", [&] { return Index(source, pattern); }, "11"},
      {"Index pointer source", [&] { return Index(source, "b"); }, "12"},
      {"Index pointer pattern", [&] { return Index("zzab", pattern); }, "3"},
      {"Backward_Index pointers", [&] { return Backward_Index(source, pattern); }, "14"},
      {"Backward_Index pointer source", [&] { return Backward_Index(source, "a"); }, "14"},
      {"Backward_Index pointer pattern", [&] { return Backward_Index("abab", pattern); }, "3"},
      {"Contains pointers", [&] { return std::int32_t(Contains(source, pattern)); }, "1"},
      {"Contains absent", [&] { return std::int32_t(Contains(source, "ba")); }, "0"},
      {"Contains longer", [&] { return std::int32_t(Contains(pattern, long_plain)); }, "0"},
      {"Contains pointer pattern", [&] { return std::int32_t(Contains("b", pattern)); }, "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(outcome(c.search), c.expected) << c.what;

  // Find_String: a null operand is simply not found.
  struct Find_Case {
    const char* what;
    Find_Result result;
    bool found;
    std::int32_t index;
  };
  const Find_Case finds[] = {
      {"pointers", Find_String(source, pattern), true, 11},
      {"pointer source", Find_String(source, "ca"), true, 13},
      {"pointer pattern", Find_String("zab", pattern), true, 2},
      {"absent", Find_String(source, "ba"), false, 15},
      {"null source", Find_String(null, pattern), false, 1},
      {"null pattern", Find_String(source, null), false, 15},
      {"null source, plain pattern", Find_String(null, ""), false, 1},
      {"plain source, null pattern", Find_String("abc", null), false, 3},
  };
  for (const Find_Case& c : finds) {
    EXPECT_EQ(c.result.found, c.found) << c.what;
    EXPECT_EQ(c.result.index, c.index) << c.what;
  }
}
