#include <gtest/gtest.h>

#include "test_support.h"

#include <array>
#include <string>

#include "strlib.h"

using namespace strlib;

namespace {

String_Pointer bounded(std::string_view text, std::int32_t first) {
  String_Pointer s = String_Pointer::make(first, std::int32_t(first + text.size() - 1));
  for (std::size_t i = 0; i < text.size(); ++i) s(std::int32_t(first + i)) = text[i];
  return s;
}

String_Pointer empty_string() { return String_Pointer::make(1, 0); }


}  // namespace

TEST(HeapStrings, LengthAndPlainForms) {
  EXPECT_EQ(String_Length(String_Pointer()), 0);
  EXPECT_EQ(String_Length(empty_string()), 0);
  EXPECT_EQ(String_Length(bounded("abc", 5)), 3);

  const Plain_String of_null = To_String(String_Pointer());
  EXPECT_EQ(of_null.first, 1);
  EXPECT_EQ(of_null.last(), 0);
  const Plain_String kept = To_String(bounded("xyz", 5));
  EXPECT_EQ(kept.chars, "xyz");
  EXPECT_EQ(kept.first, 5);
  EXPECT_EQ(kept.last(), 7);

  EXPECT_TRUE(To_Pointer("").is_null());
  const String_Pointer p = To_Pointer(Plain_View("cde", 3));
  EXPECT_EQ(p.first(), 1);
  EXPECT_EQ(p.last(), 3);
  EXPECT_EQ(p.view(), "cde");
}

TEST(HeapStrings, CopiesReleaseTheOldValue) {
  String_Pointer held = To_Pointer("old");
  held = Copy_String(String_Pointer(), std::move(held));
  EXPECT_TRUE(held.is_null());
  held = Copy_String(empty_string(), std::move(held));
  EXPECT_FALSE(held.is_null());
  EXPECT_EQ(held.length(), 0);
  held = Copy_String(bounded("abc", 7), std::move(held));
  EXPECT_EQ(held.first(), 1);
  EXPECT_EQ(held.view(), "abc");
  held = Copy_Non_Empty("", std::move(held));
  EXPECT_TRUE(held.is_null());
  held = Copy_Non_Empty("q", std::move(held));
  EXPECT_EQ(held.view(), "q");
  held = Free_String(std::move(held));
  EXPECT_TRUE(held.is_null());
}

TEST(HeapStrings, NullVersusEmptyInEquality) {
  EXPECT_TRUE(Equal(String_Pointer(), Plain_View("")));
  EXPECT_FALSE(Equal(String_Pointer(), Plain_View("A")));
  EXPECT_TRUE(Equal(bounded("abc", 1), Plain_View("abc", 10)));
  EXPECT_FALSE(Equal(bounded("abc", 1), Plain_View("ABC")));
  EXPECT_TRUE(Equal(String_Pointer(), String_Pointer()));
  EXPECT_FALSE(Equal(String_Pointer(), empty_string()));
  EXPECT_FALSE(Equal(empty_string(), String_Pointer()));
  EXPECT_TRUE(Equal(empty_string(), empty_string()));
  EXPECT_TRUE(Equal(bounded("ab", 4), bounded("ab", 1)));
}

TEST(HeapStrings, Concatenation) {
  EXPECT_TRUE(Concat(String_Pointer(), String_Pointer()).is_null());
  const String_Pointer one_empty = Concat(String_Pointer(), empty_string());
  EXPECT_FALSE(one_empty.is_null());
  EXPECT_EQ(one_empty.length(), 0);
  EXPECT_FALSE(Concat(Plain_View(""), String_Pointer()).is_null());
  EXPECT_FALSE(Concat(String_Pointer(), Plain_View("")).is_null());
  const String_Pointer both = Concat(bounded("ab", 5), bounded("cd", 9));
  EXPECT_EQ(both.first(), 1);
  EXPECT_EQ(both.view(), "abcd");
  EXPECT_EQ(Concat("Raised ", To_Pointer("X")).view(), "Raised X");
  EXPECT_EQ(Concat(To_Pointer("X"), " end").view(), "X end");
}

TEST(HeapStrings, NextWordWalksALine) {
  String_Pointer word;
  const Plain_View line("  ab cd");
  EXPECT_EQ(Next_Word(line, word, 1, " "), 5);
  EXPECT_EQ(word.view(), "ab");
  EXPECT_EQ(Next_Word(line, word, 5, " "), 8);
  EXPECT_EQ(word.view(), "cd");
  EXPECT_EQ(test_support::raised([&] { Next_Word(line, word, 8, " "); }), "STRLIB.INDEX_ERROR strlib:500");
  EXPECT_EQ(word.view(), "cd");  // kept by the failing call

  EXPECT_EQ(Next_Word("   ", word, 1, " "), 4);
  EXPECT_FALSE(word.is_null());
  EXPECT_EQ(word.length(), 0);
  EXPECT_EQ(test_support::raised([&] { Next_Word("", word, 1, " "); }), "STRLIB.INDEX_ERROR strlib:500");

  // Indices in the source's own bounds, 11..20.
  const Plain_View shifted("xy:zw  tuv", 11);
  EXPECT_EQ(Next_Word(shifted, word, 11, " :"), 13);
  EXPECT_EQ(word.view(), "xy");
  EXPECT_EQ(Next_Word(shifted, word, 13, " :"), 16);
  EXPECT_EQ(word.view(), "zw");
  EXPECT_EQ(Next_Word(shifted, word, 16, " :"), 21);
  EXPECT_EQ(word.view(), "tuv");
  EXPECT_EQ(test_support::raised([&] { Next_Word(shifted, word, 10, " "); }), "STRLIB.INDEX_ERROR strlib:500");

  EXPECT_EQ(Next_Word("a b", word, 1, ""), 4);  // no separators: the rest is one word
  EXPECT_EQ(word.view(), "a b");
}

TEST(HeapStrings, MovePadded) {
  struct Case {
    const char* source;
    const char* expected;
  };
  for (const Case& c : {Case{"ab", "ab   "}, Case{"abcdefg", "cdefg"}, Case{"abcde", "abcde"},
                        Case{"", "     "}}) {
    std::array<char, 5> target{};
    Move_Padded(target, Plain_View(c.source));
    EXPECT_EQ(std::string(target.data(), 5), c.expected) << c.source;
  }
  std::array<char, 5> target{'x', 'x', 'x', 'x', 'x'};
  Move_Padded(target, String_Pointer());
  EXPECT_EQ(std::string(target.data(), 5), "     ");
  std::array<char, 0> none{};
  Move_Padded(none, Plain_View("abc"));
  // Overlapping source and target.
  char buffer[] = "abcdefgh";
  Move_Padded(std::span<char>(buffer + 1, 5), Plain_View(std::string_view(buffer, 3)));
  EXPECT_EQ(std::string(buffer), "aabc  gh");
}

TEST(HeapStrings, PutPaddedAndPutLine) {
  struct Case {
    const char* s;
    int width;
    const char* expected;
  };
  for (const Case& c : {Case{"abc", 5, "abc  "}, Case{"abcdef", 4, "cdef"}, Case{"abc", 0, ""},
                        Case{"abc", -3, ""}, Case{"abc", 3, "abc"}}) {
    platform::Output_File out;
    out.create_in_memory();
    Put_Padded(out, c.s, c.width);
    EXPECT_EQ(out.contents(), c.expected) << c.s << " " << c.width;
  }
  platform::Standard_Output_Capture capture;
  Put_Line_String(String_Pointer());
  EXPECT_EQ(capture.text(), "");
  Put_Line_String(To_Pointer("hi"));
  EXPECT_EQ(capture.text(), "hi\n");
}
