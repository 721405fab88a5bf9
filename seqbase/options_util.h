// Option words: abbreviation matching and word tables, words to strands,
// types and formats, numbers from text, a conversion's error re-keyed to its
// option, upper case, base names of paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace options_util {

// Raised by the programs' command-line parsers for a bad argument.
inline constexpr platform::Exception_Id ARGUMENT_ERROR{"OPTIONS_UTIL.ARGUMENT_ERROR"};

// Word has at least Min_Length and at most Keyword's length characters and
// is a prefix of Keyword, case ignored.
bool Is_Abbreviation(strlib::Plain_View word, strlib::Plain_View keyword, std::int32_t min_length);

// A row of a word table (a program's keywords, or the value words after
// one): a keyword, its shortest accepted abbreviation and what it stands for.
template <class Result>
struct Word_Row {
  const char* keyword;
  std::int32_t minimum;
  Result result;
};

// The result of the first row whose keyword Word abbreviates; null when none.
template <class Result, std::size_t N>
const Result* Find_Word(strlib::Plain_View word, const Word_Row<Result> (&rows)[N]) {
  for (const Word_Row<Result>& row : rows) {
    if (Is_Abbreviation(word, row.keyword, row.minimum)) return &row.result;
  }
  return nullptr;
}

// Convert's result. The exception Caught alone is raised again as Raised
// with Key as its message, so that the error names the option; every other
// exception passes through unchanged.
template <class Convert>
auto With_Key(const platform::Exception_Id& caught, const platform::Exception_Id& raised,
              std::string_view key, Convert convert) -> decltype(convert()) {
  try {
    return convert();
  } catch (const platform::Error& e) {
    if (e.is(caught)) platform::raise(raised, std::string(key));
    throw;
  }
}

sequence_specifications::Strand To_Strand(strlib::Plain_View word);
sequence_specifications::Sequence_Model To_Sequence_Model(strlib::Plain_View word);
sequence_specifications::Sequence_Format To_Sequence_Format(strlib::Plain_View word);

// One number from the text; IO_EXCEPTIONS.END_ERROR or DATA_ERROR pass through.
std::int32_t To_Integer(strlib::Plain_View s);
float To_Float(strlib::Plain_View s);

// The 26 ASCII letters in upper case, everything else unchanged; S's bounds.
strlib::Plain_String To_Upper(strlib::Plain_View s);

// The last path component up to its first "."; keeps S's indexing.
strlib::Plain_String Base_Name(strlib::Plain_View s);
// Empty for null or empty, else the plain form on S's characters.
strlib::Plain_String Base_Name(const strlib::String_Pointer& s);

}  // namespace options_util
