#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "strlib.h"

using namespace strlib;

namespace {

String_Pointer bounded(std::string_view text, std::int32_t first) {
  String_Pointer s = String_Pointer::make(first, std::int32_t(first + std::int64_t(text.size()) - 1));
  for (std::size_t i = 0; i < text.size(); ++i) s(std::int32_t(first + i)) = text[i];
  return s;
}

String_Pointer empty_string() { return String_Pointer::make(1, 0); }

// "null", or the characters between brackets with the bounds: "[abc]1..3".
std::string shown(const String_Pointer& s) {
  if (s.is_null()) return "null";
  std::ostringstream text;
  text << '[' << s.view() << ']' << s.first() << ".." << s.last();
  return text.str();
}

std::string outcome(const std::function<String_Pointer()>& edit) {
  try {
    return shown(edit());
  } catch (const platform::Error& e) {
    return std::string(e.name()) + " " + e.message();
  }
}

std::string raised(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Error& e) {
    return std::string(e.name()) + " " + e.message();
  }
  return "nothing raised";
}

std::string index_error(int line) { return "STRLIB.INDEX_ERROR strlib:" + std::to_string(line); }

}  // namespace

TEST(Words, PreviousWordWalksALineBackwards) {
  String_Pointer word;
  EXPECT_EQ(Previous_Word("ab cd", word, 5, " "), 3);
  EXPECT_EQ(shown(word), "[cd]1..2");
  EXPECT_EQ(Previous_Word("ab cd", word, 3, " "), 0);
  EXPECT_EQ(shown(word), "[ab]1..2");
  EXPECT_EQ(Previous_Word("ab cd", word, 4, " "), 3);  // inside a word: its part up to From
  EXPECT_EQ(shown(word), "[c]1..1");

  // Indices in the source's own bounds, 11..20.
  const Plain_View shifted("xy:zw  tuv", 11);
  EXPECT_EQ(Previous_Word(shifted, word, 20, " :"), 17);
  EXPECT_EQ(shown(word), "[tuv]1..3");
  EXPECT_EQ(Previous_Word(shifted, word, 17, " :"), 13);
  EXPECT_EQ(shown(word), "[zw]1..2");
  EXPECT_EQ(Previous_Word(shifted, word, 13, " :"), 10);
  EXPECT_EQ(shown(word), "[xy]1..2");

  EXPECT_EQ(Previous_Word("   ab", word, 3, " "), 0);  // only separators down to First
  EXPECT_EQ(shown(word), "[]1..0");
  EXPECT_EQ(Previous_Word("a b", word, 3, ""), 0);  // no separators: one word
  EXPECT_EQ(shown(word), "[a b]1..3");

  word = To_Pointer("kept");
  for (std::int32_t from : {0, 6}) {
    EXPECT_EQ(raised([&] { Previous_Word("ab cd", word, from, " "); }),
              index_error(559));
    EXPECT_EQ(shown(word), "[kept]1..4");
  }
  EXPECT_EQ(raised([&] { Previous_Word("", word, 1, " "); }),
            index_error(559));
}

TEST(Words, PointerSources) {
  String_Pointer word = To_Pointer("old");
  EXPECT_EQ(Next_Word(String_Pointer(), word, 4, " "), 4);
  EXPECT_TRUE(word.is_null());
  word = To_Pointer("old");
  EXPECT_EQ(Previous_Word(String_Pointer(), word, 4, " "), 4);
  EXPECT_TRUE(word.is_null());

  const String_Pointer line = bounded(" ab cd", 5);
  EXPECT_EQ(Next_Word(line, word, 5, " "), 8);
  EXPECT_EQ(shown(word), "[ab]1..2");
  EXPECT_EQ(Previous_Word(line, word, 10, " "), 8);
  EXPECT_EQ(shown(word), "[cd]1..2");
  EXPECT_EQ(raised([&] { Next_Word(line, word, 11, " "); }), index_error(500));
  EXPECT_EQ(raised([&] { Previous_Word(line, word, 4, " "); }),
            index_error(559));
  EXPECT_EQ(shown(word), "[cd]1..2");

  // The old word's own text as the source is read before the old word goes.
  word = To_Pointer("xy zw");
  EXPECT_EQ(Next_Word(word, word, 3, " "), 6);
  EXPECT_EQ(shown(word), "[zw]1..2");
  EXPECT_EQ(Previous_Word(word, word, 1, " "), 0);
  EXPECT_EQ(shown(word), "[z]1..1");
}

TEST(Editing, Results) {
  const String_Pointer abc = bounded("abc", 1);
  const String_Pointer shifted = bounded("abcdef", 5);  // bounds 5..10
  struct Case {
    const char* what;
    std::function<String_Pointer()> edit;
    std::string expected;
  };
  const Case cases[] = {
      {"Head past the length", [&] { return Head(abc, 5, To_Pointer("old")); }, "[abc]1..3"},
      {"Head", [&] { return Head(shifted, 2, {}); }, "[ab]1..2"},
      {"Head of zero", [&] { return Head(abc, 0, {}); }, "[]1..0"},
      {"Head negative", [&] { return Head(abc, -4, {}); }, "[]1..0"},
      {"Head of an empty string", [&] { return Head(empty_string(), 2, {}); }, "[]1..0"},
      {"Head of null", [&] { return Head(String_Pointer(), 2, To_Pointer("old")); }, "null"},
      {"Head plain", [&] { return Head(Plain_View("xyz", 7), 2, {}); }, "[xy]1..2"},
      {"Head plain, zero", [&] { return Head("xyz", 0, {}); }, "[]1..0"},
      {"Head of an empty plain string", [&] { return Head("", 2, To_Pointer("old")); }, "null"},
      {"Slice", [&] { return Slice(shifted, 6, 8); }, "[bcd]1..3"},
      {"Slice whole", [&] { return Slice(shifted, 5, 10); }, "[abcdef]1..6"},
      {"Slice of null", [&] { return Slice(String_Pointer(), 2, 3); }, "null"},
      {"Insert_After at the end", [&] { return Insert_After(abc, "X", 3); }, "[abcX]1..4"},
      {"Insert_After", [&] { return Insert_After(shifted, To_Pointer("XY"), 5); },
       "[aXYbcdef]1..8"},
      {"Insert_After null item", [&] { return Insert_After(abc, String_Pointer(), 2); }, "[abc]1..3"},
      {"Insert_After null source", [&] { return Insert_After(String_Pointer(), "X", 9); }, "[X]1..1"},
      {"Insert_After null source, empty item", [&] { return Insert_After(String_Pointer(), "", 1); },
       "[]1..0"},
      {"Insert_After nulls", [&] { return Insert_After(String_Pointer(), String_Pointer(), 1); },
       "[]1..0"},
      {"Insert_Before at the start", [&] { return Insert_Before(abc, "X", 1); }, "[Xabc]1..4"},
      {"Insert_Before", [&] { return Insert_Before(shifted, To_Pointer("XY"), 10); },
       "[abcdeXYf]1..8"},
      {"Insert_Before null source", [&] { return Insert_Before(String_Pointer(), To_Pointer("XY"), 0); },
       "[XY]1..2"},
      {"Delete", [&] { return Delete(bounded("abcdef", 1), 2, 3); }, "[adef]1..4"},
      {"Delete in other bounds", [&] { return Delete(shifted, 9, 10); }, "[abcd]1..4"},
      {"Delete all", [&] { return Delete(shifted, 5, 10); }, "[]1..0"},
      {"Reverse_Copy", [&] { return Reverse_Copy(bounded("ab\xE9z", 3)); }, "[z\xE9" "ba]1..4"},
      {"Reverse_Copy empty", [&] { return Reverse_Copy(empty_string()); }, "[]1..0"},
      {"Reverse_Copy null", [&] { return Reverse_Copy(String_Pointer()); }, "null"},
      {"Concat char first", [&] { return Concat('x', bounded("ab", 4)); }, "[xab]1..3"},
      {"Concat char first, null", [&] { return Concat('x', String_Pointer()); }, "[x]1..1"},
      {"Concat char last", [&] { return Concat(bounded("ab", 4), 'x'); }, "[abx]1..3"},
      {"Concat char last, null", [&] { return Concat(String_Pointer(), 'x'); }, "[x]1..1"},
  };
  for (const Case& c : cases) EXPECT_EQ(outcome(c.edit), c.expected) << c.what;

  String_Pointer s = bounded("abcde", 1);
  EXPECT_EQ(&Reverse_In_Place(s), &s);
  EXPECT_EQ(shown(s), "[edcba]1..5");
  s = bounded("abcd", 4);  // keeps its bounds
  Reverse_In_Place(s);
  EXPECT_EQ(shown(s), "[dcba]4..7");
  String_Pointer null;
  EXPECT_TRUE(Reverse_In_Place(null).is_null());
}

TEST(Editing, BoundsErrors) {
  const String_Pointer null;
  const String_Pointer shifted = bounded("abcdef", 5);  // bounds 5..10
  struct Case {
    const char* what;
    std::function<String_Pointer()> edit;
    int line;
  };
  const Case cases[] = {
      {"Slice of null, reversed", [&] { return Slice(null, 3, 2); }, 182},
      {"Slice reversed", [&] { return Slice(bounded("abcdef", 1), 5, 4); }, 186},
      {"Slice below", [&] { return Slice(shifted, 4, 6); }, 186},
      {"Slice above", [&] { return Slice(shifted, 9, 11); }, 186},
      {"Slice of an empty string", [&] { return Slice(empty_string(), 1, 1); }, 186},
      {"Insert_After below", [&] { return Insert_After(shifted, "X", 4); }, 650},
      {"Insert_After above", [&] { return Insert_After(shifted, To_Pointer("X"), 11); }, 650},
      {"Insert_After into empty", [&] { return Insert_After(empty_string(), "X", 0); }, 650},
      {"Insert_Before below", [&] { return Insert_Before(shifted, To_Pointer("X"), 4); }, 621},
      {"Insert_Before above", [&] { return Insert_Before(shifted, "X", 11); }, 621},
      {"Delete of null", [&] { return Delete(null, 1, 1); }, 682},
      {"Delete reversed", [&] { return Delete(shifted, 7, 6); }, 682},
      {"Delete below", [&] { return Delete(shifted, 4, 6); }, 682},
      {"Delete above", [&] { return Delete(shifted, 9, 11); }, 682},
  };
  for (const Case& c : cases) EXPECT_EQ(outcome(c.edit), index_error(c.line)) << c.what;
  EXPECT_EQ(shown(shifted), "[abcdef]5..10");
}

TEST(Comparison, EqualAndNotEqual) {
  const String_Pointer null;
  const String_Pointer empty = empty_string();
  const String_Pointer abc = bounded("abc", 1);
  struct Case {
    const char* what;
    bool equal;
    bool not_equal;
    bool expected;
  };
  const Case cases[] = {
      {"empty plain, null", Equal("", null), Not_Equal("", null), true},
      {"plain, null", Equal("A", null), Not_Equal("A", null), false},
      {"plain, same in other bounds", Equal(Plain_View("abc", 10), abc),
       Not_Equal(Plain_View("abc", 10), abc), true},
      {"plain, other case", Equal("ABC", abc), Not_Equal("ABC", abc), false},
      {"null, empty plain", Equal(null, Plain_View("")), Not_Equal(null, Plain_View("")), true},
      {"pointer, longer plain", Equal(abc, Plain_View("abcd")), Not_Equal(abc, Plain_View("abcd")),
       false},
      {"null, null", Equal(null, null), Not_Equal(null, null), true},
      {"null, empty", Equal(null, empty), Not_Equal(null, empty), false},
      {"empty, empty", Equal(empty, empty_string()), Not_Equal(empty, empty_string()), true},
      {"same characters", Equal(abc, bounded("abc", 7)), Not_Equal(abc, bounded("abc", 7)), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.equal, c.expected) << c.what;
    EXPECT_EQ(c.not_equal, !c.expected) << c.what;
  }
}

TEST(Output, StringAndPaddedForms) {
  const String_Pointer null;
  const String_Pointer abc = bounded("abc", 4);
  platform::Output_File out;
  out.create_in_memory();
  Put_String(out, abc);
  Put_String(out, null);
  out.put('|');
  Put_Padded(out, abc, 5);
  Put_Padded(out, null, 5);  // not even the blanks
  out.put('|');
  Put_Padded(out, bounded("abcdef", 1), 4);
  out.put('|');
  Put_Line_String(out, abc);
  Put_Line_String(out, null);  // not even the line end
  Put_Line_String(out, empty_string());
  EXPECT_EQ(out.contents(), "abc|abc  |cdef|abc\n\n");

  platform::Standard_Output_Capture capture;
  Put_String(abc);
  Put_String(null);
  Put_Padded("xy", 3);
  Put_Padded("wxyz", 2);
  Put_Padded(abc, 2);
  Put_Padded(null, 3);
  Put_Padded(abc, 0);
  EXPECT_EQ(capture.text(), "abcxy yzbc");
}
