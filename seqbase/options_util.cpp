#include "options_util.h"

#include "platform/text_io.h"

namespace options_util {

using sequence_specifications::Sequence_Format;
using sequence_specifications::Sequence_Model;
using sequence_specifications::Strand;

namespace {

// Where this unit raises: the number that follows its name in the message,
// "options_util:136". These numbers are part of the printed messages and
// never change, whatever becomes of the source.
enum class Place : int { format_word = 106, model_word = 123, strand_word = 136 };

constexpr char upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

constexpr Word_Row<Strand> strand_words[] = {
    {"WATSON", 1, Strand::WATSON},
    {"CRICK", 1, Strand::CRICK},
    {"BOTH", 1, Strand::BOTH},
};

constexpr Word_Row<Sequence_Model> model_words[] = {
    {"DNA", 1, Sequence_Model::DNA},     {"ADN", 3, Sequence_Model::DNA},
    {"RNA", 1, Sequence_Model::RNA},     {"ARN", 3, Sequence_Model::RNA},
    {"Protein", 1, Sequence_Model::PROTEIN},
};

constexpr Word_Row<Sequence_Format> format_words[] = {
    {"ASCII", 1, Sequence_Format::PLAIN_ASCII},
    {"DNA_STRIDER", 5, Sequence_Format::DNA_STRIDER},
    {"STRIDER", 1, Sequence_Format::DNA_STRIDER},
    {"GCG", 2, Sequence_Format::GCG},
    {"GENBANK", 2, Sequence_Format::GENBANK},
};

template <class Result, std::size_t N>
Result convert(strlib::Plain_View word, const Word_Row<Result> (&rows)[N],
               const platform::Exception_Id& refused, Place place) {
  if (const Result* found = Find_Word(word, rows)) return *found;
  platform::raise(refused, platform::place("options_util", int(place)));
}

}  // namespace

bool Is_Abbreviation(strlib::Plain_View word, strlib::Plain_View keyword, std::int32_t min_length) {
  const std::int32_t w = word.length();
  if (w < min_length || w > keyword.length()) return false;
  const std::string_view a = word.view();
  const std::string_view b = keyword.view();
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

Strand To_Strand(strlib::Plain_View word) {
  return convert(word, strand_words, sequence_specifications::INVALID_STRAND, Place::strand_word);
}

Sequence_Model To_Sequence_Model(strlib::Plain_View word) {
  return convert(word, model_words, sequence_specifications::INVALID_SEQUENCE_MODEL, Place::model_word);
}

Sequence_Format To_Sequence_Format(strlib::Plain_View word) {
  return convert(word, format_words, sequence_specifications::INVALID_SEQUENCE_FORMAT, Place::format_word);
}

std::int32_t To_Integer(strlib::Plain_View s) { return platform::get_integer(s.view(), s.first()).value; }

float To_Float(strlib::Plain_View s) { return platform::get_float(s.view(), s.first()).value; }

strlib::Plain_String To_Upper(strlib::Plain_View s) {
  strlib::Plain_String result{std::string(s.view()), s.first()};
  for (char& c : result.chars) c = upper(c);
  return result;
}

strlib::Plain_String Base_Name(strlib::Plain_View s) {
  if (s.empty()) return {std::string(), s.first()};
  std::int32_t dot = s.last();
  std::int32_t start = s.first();
  for (std::int32_t i = s.last(); i >= s.first(); --i) {
    if (s(i) == '.') dot = i - 1;
    if (s(i) == '/') {
      start = i + 1;
      break;
    }
  }
  if (dot < start) return {std::string(), start};
  return {std::string(s.slice(start, dot).view()), start};
}

strlib::Plain_String Base_Name(const strlib::String_Pointer& s) {
  if (s.length() == 0) return {};
  return Base_Name(s.plain());
}

}  // namespace options_util
