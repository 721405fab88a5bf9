#include "strlib.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>

namespace strlib {

namespace {

constexpr std::string_view unit = "strlib";

// Where this unit raises: the number that follows its name in the message,
// "strlib:500". These numbers are part of the printed messages and never
// change, whatever becomes of the source.
enum class Place : int {
  new_string_too_long = 29, index_beyond_bounds = 38,
  next_word_from = 500, previous_word_from = 559,
  simple_index_not_found = 213, simple_index_null_source = 220, simple_index_null_strings = 229,
  simple_index_null_pattern = 238,
  index_pattern_longer = 254, index_not_found = 278, index_null_source = 285, index_null_strings = 294,
  index_null_pattern = 303,
  backward_index_pattern_longer = 321, backward_index_not_found = 345, backward_index_null_source = 352,
  backward_index_null_strings = 361, backward_index_null_pattern = 370,
  slice_of_null = 182, slice_outside = 186,
  insert_before_position = 621, insert_after_position = 650, delete_range = 682,
};

[[noreturn]] void raise_at(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place(unit, int(place)));
}

bool is_separator(char c, Plain_View separators) {
  return separators.view().find(c) != std::string_view::npos;
}

constexpr std::int64_t max_index = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t min_index = std::numeric_limits<std::int32_t>::min();

// The length of a new string made of parts, refused before anything is
// allocated when its bounds 1..length would not fit 32 bits.
std::int32_t new_length(std::initializer_list<std::size_t> sizes) {
  std::uint64_t total = 0;
  for (std::size_t size : sizes) {
    total += size;
    if (total > std::uint64_t(max_index)) raise_at(standard::CONSTRAINT_ERROR, Place::new_string_too_long);
  }
  return std::int32_t(total);
}

// An index computed beyond the 32-bit bounds is refused, never wrapped.
std::int32_t checked_index(std::int64_t index) {
  if (index > max_index || index < min_index) raise_at(standard::CONSTRAINT_ERROR, Place::index_beyond_bounds);
  return std::int32_t(index);
}

String_Pointer joined(std::string_view left, std::string_view right) {
  String_Pointer result = String_Pointer::make(1, new_length({left.size(), right.size()}));
  if (!left.empty()) std::memcpy(result.data(), left.data(), left.size());
  if (!right.empty()) std::memcpy(result.data() + left.size(), right.data(), right.size());
  return result;
}

constexpr std::int64_t hash_base = 32;
constexpr std::int64_t hash_modulus = 33554393;

std::int64_t byte(char c) { return std::int64_t(static_cast<unsigned char>(c)); }

// Index of the character at Offset in S, in S's own bounds.
std::int32_t index_of(Plain_View s, std::size_t offset) {
  return std::int32_t(std::int64_t(s.first()) + std::int64_t(offset));
}

// The index a search gives when nothing is found.
std::int32_t not_found_index(Plain_View s) { return s.empty() ? s.first() : s.last(); }

constexpr std::size_t absent = std::string_view::npos;

// Offset of the first start at which Pattern lies whole within Source,
// comparing character by character; an empty Pattern fits at every start.
std::size_t plain_scan(std::string_view source, std::string_view pattern) {
  if (source.empty() || pattern.size() > source.size()) return absent;
  const std::size_t m = pattern.size();
  for (std::size_t j = 0; j + m <= source.size(); ++j) {
    std::size_t k = 0;
    while (k < m && source[j + k] == pattern[k]) ++k;
    if (k == m) return j;
  }
  return absent;
}

// Hash of M characters from Chars, each step from Chars[i] to Chars[i + Step].
std::int64_t window_hash(const char* chars, std::size_t m, std::ptrdiff_t step) {
  std::int64_t h = byte(*chars);
  for (std::size_t i = 1; i < m; ++i) {
    chars += step;
    h = (h * hash_base + byte(*chars)) % hash_modulus;
  }
  return h;
}

// Weight of the character that leaves a window of M characters.
std::int64_t leaving_weight(std::size_t m) {
  std::int64_t d = 1;
  for (std::size_t i = 1; i < m; ++i) d = d * hash_base % hash_modulus;
  return d;
}

// Removes Leaving from a window hash and brings Entering in; every remainder
// in 0..Q-1 so that equal windows always hash alike.
std::int64_t roll(std::int64_t h, std::int64_t d, char leaving, char entering) {
  h = (h - d * byte(leaving)) % hash_modulus;
  if (h < 0) h += hash_modulus;
  return (h * hash_base + byte(entering)) % hash_modulus;
}

bool same_at(std::string_view source, std::size_t j, std::string_view pattern) {
  return std::memcmp(source.data() + j, pattern.data(), pattern.size()) == 0;
}

// Rabin-Karp: offset of the first occurrence; Pattern not longer than Source.
std::size_t forward_search(std::string_view source, std::string_view pattern) {
  const std::size_t m = pattern.size();
  if (m == 0) return 0;
  const std::int64_t d = leaving_weight(m);
  const std::int64_t hp = window_hash(pattern.data(), m, 1);
  std::int64_t h = window_hash(source.data(), m, 1);
  const std::size_t last_start = source.size() - m;
  for (std::size_t j = 0;; ++j) {
    if (h == hp && same_at(source, j, pattern)) return j;
    if (j == last_start) return absent;
    h = roll(h, d, source[j], source[j + m]);
  }
}

// Rabin-Karp from the end, hashes formed from a window's last character to
// its first: offset of the last occurrence; Pattern not longer than Source.
std::size_t backward_search(std::string_view source, std::string_view pattern) {
  const std::size_t m = pattern.size();
  if (m == 0) return source.size();
  const std::int64_t d = leaving_weight(m);
  const std::int64_t hp = window_hash(pattern.data() + (m - 1), m, -1);
  std::size_t j = source.size() - m;
  std::int64_t h = window_hash(source.data() + (j + m - 1), m, -1);
  for (;; --j) {
    if (h == hp && same_at(source, j, pattern)) return j;
    if (j == 0) return absent;
    h = roll(h, d, source[j + m - 1], source[j - 1]);
  }
}

void require(const String_Pointer& s, Place place) {
  if (s.is_null()) raise_at(NULL_STRING, place);
}

void require(const String_Pointer& a, const String_Pointer& b, Place place) {
  if (a.is_null() || b.is_null()) raise_at(NULL_STRING, place);
}

bool outside(const String_Pointer& s, std::int32_t i) { return i < s.first() || i > s.last(); }

// Offset of index I in S's characters.
std::size_t offset_in(const String_Pointer& s, std::int32_t i) {
  return std::size_t(std::int64_t(i) - s.first());
}

String_Pointer three_parts(std::string_view a, std::string_view b, std::string_view c) {
  String_Pointer result = String_Pointer::make(1, new_length({a.size(), b.size(), c.size()}));
  char* out = result.data();
  for (std::string_view part : {a, b, c}) {
    if (!part.empty()) std::memcpy(out, part.data(), part.size());
    out += part.size();
  }
  return result;
}

String_Pointer inserted(const String_Pointer& source, std::string_view item,
                        std::int32_t position, std::int32_t split_after, Place place) {
  if (source.is_null()) return joined(item, {});
  if (outside(source, position)) raise_at(INDEX_ERROR, place);
  const std::string_view text = source.view();
  const std::size_t cut = offset_in(source, position) + std::size_t(split_after);
  return three_parts(text.substr(0, cut), item, text.substr(cut));
}

void put_padded(platform::Output_File& file, const String_Pointer& s, std::int32_t width) {
  if (s.is_null()) return;
  Put_Padded(file, s.plain(), width);
}

bool next_ends_line(platform::Input_File& file) {
  char c;
  bool end_of_line;
  file.look_ahead(c, end_of_line);
  return end_of_line;
}

String_Pointer field_result(std::string& field, Read_Mode mode) {
  if (mode == Read_Mode::REMOVING) {
    while (field.size() > 1 && field.back() == ' ') field.pop_back();
  }
  return joined(field, {});
}

}  // namespace

std::int32_t String_Length(const String_Pointer& s) noexcept { return s.length(); }

Plain_String To_String(const String_Pointer& s) {
  if (s.is_null()) return {};
  return {std::string(s.view()), s.first()};
}

String_Pointer To_Pointer(Plain_View s) {
  if (s.empty()) return {};
  return joined(s.view(), {});
}

String_Pointer Free_String(String_Pointer s) noexcept {
  s.reset();
  return {};
}

String_Pointer Copy_String(const String_Pointer& source, String_Pointer old) {
  old.reset();
  if (source.is_null()) return {};
  return joined(source.view(), {});
}

String_Pointer Copy_Non_Empty(Plain_View source, String_Pointer old) {
  old.reset();
  return To_Pointer(source);
}

bool Equal(const String_Pointer& left, Plain_View right) noexcept {
  if (left.is_null()) return right.empty();
  return left.view() == right.view();
}

bool Equal(const String_Pointer& left, const String_Pointer& right) noexcept {
  if (left.is_null() || right.is_null()) return left.is_null() && right.is_null();
  return left.view() == right.view();
}

String_Pointer Concat(const String_Pointer& left, const String_Pointer& right) {
  if (left.is_null() && right.is_null()) return {};
  return joined(left.view(), right.view());
}

String_Pointer Concat(Plain_View left, const String_Pointer& right) {
  return joined(left.view(), right.view());
}

String_Pointer Concat(const String_Pointer& left, Plain_View right) {
  return joined(left.view(), right.view());
}

std::int32_t Next_Word(Plain_View source, String_Pointer& word, std::int32_t from,
                       Plain_View separators) {
  if (source.empty() || from < source.first() || from > source.last()) raise_at(INDEX_ERROR, Place::next_word_from);
  // The new word is made before the old one goes, so that a Source seen in
  // the old word's own storage is still readable; a Next beyond the 32-bit
  // bounds is refused before either.
  std::int32_t p = from;
  const std::int32_t last = source.last();
  while (p < last && is_separator(source(p), separators)) ++p;
  if (is_separator(source(p), separators)) {
    const std::int32_t next = checked_index(std::int64_t(last) + 1);
    word = String_Pointer::make(1, 0);
    return next;
  }
  std::int32_t q = p;
  while (q < last && !is_separator(source(q + 1), separators)) ++q;
  const std::int32_t next = checked_index(std::int64_t(q) + 1);
  word = joined(source.slice(p, q).view(), {});
  return next;
}

void Move_Padded(std::span<char> target, Plain_View source) noexcept {
  const std::size_t t = target.size();
  const std::size_t l = std::size_t(source.length());
  if (t == 0) return;
  if (l >= t) {
    std::memmove(target.data(), source.view().data() + (l - t), t);
  } else {
    if (l > 0) std::memmove(target.data(), source.view().data(), l);
    std::memset(target.data() + l, ' ', t - l);
  }
}

void Move_Padded(std::span<char> target, const String_Pointer& source) noexcept {
  if (source.is_null()) {
    std::memset(target.data(), ' ', target.size());
    return;
  }
  Move_Padded(target, source.plain());
}

void Put_Padded(platform::Output_File& file, Plain_View s, std::int32_t width) {
  const std::int32_t l = s.length();
  if (l < width) {
    file.put(s.view());
    file.put(std::string(std::size_t(width - l), ' '));
  } else if (width > 0) {
    file.put(s.view().substr(std::size_t(l - width)));
  }
}

void Put_Line_String(const String_Pointer& s) {
  if (s.is_null()) return;
  platform::standard_output().put_line(s.view());
}

// ------------------------------------------------------------- searches

Find_Result Find_Char(char item, Plain_View s) noexcept {
  const std::size_t at = s.view().find(item);
  if (at == absent) return {false, not_found_index(s)};
  return {true, index_of(s, at)};
}

Find_Result Find_Char(char item, const String_Pointer& s) noexcept {
  if (s.is_null()) return {false, not_found_index(s.plain())};
  return Find_Char(item, s.plain());
}

Find_Result Find_String(Plain_View source, Plain_View pattern) noexcept {
  const std::size_t at = plain_scan(source.view(), pattern.view());
  if (at == absent) return {false, not_found_index(source)};
  return {true, index_of(source, at)};
}

Find_Result Find_String(const String_Pointer& source, const String_Pointer& pattern) noexcept {
  if (source.is_null() || pattern.is_null()) return {false, not_found_index(source.plain())};
  return Find_String(source.plain(), pattern.plain());
}

Find_Result Find_String(const String_Pointer& source, Plain_View pattern) noexcept {
  if (source.is_null()) return {false, not_found_index(source.plain())};
  return Find_String(source.plain(), pattern);
}

Find_Result Find_String(Plain_View source, const String_Pointer& pattern) noexcept {
  if (pattern.is_null()) return {false, not_found_index(source)};
  return Find_String(source, pattern.plain());
}

std::int32_t Simple_Index(Plain_View source, Plain_View pattern) {
  const std::size_t at = plain_scan(source.view(), pattern.view());
  if (at == absent) raise_at(STRING_NOT_FOUND, Place::simple_index_not_found);
  return index_of(source, at);
}

std::int32_t Simple_Index(const String_Pointer& source, const String_Pointer& pattern) {
  require(source, pattern, Place::simple_index_null_strings);
  return Simple_Index(source.plain(), pattern.plain());
}

std::int32_t Simple_Index(const String_Pointer& source, Plain_View pattern) {
  require(source, Place::simple_index_null_source);
  return Simple_Index(source.plain(), pattern);
}

std::int32_t Simple_Index(Plain_View source, const String_Pointer& pattern) {
  require(pattern, Place::simple_index_null_pattern);
  return Simple_Index(source, pattern.plain());
}

std::int32_t Index(Plain_View source, Plain_View pattern) {
  if (pattern.length() > source.length()) raise_at(STRING_NOT_FOUND, Place::index_pattern_longer);
  const std::size_t at = forward_search(source.view(), pattern.view());
  if (at == absent) raise_at(STRING_NOT_FOUND, Place::index_not_found);
  return index_of(source, at);
}

std::int32_t Index(const String_Pointer& source, const String_Pointer& pattern) {
  require(source, pattern, Place::index_null_strings);
  return Index(source.plain(), pattern.plain());
}

std::int32_t Index(const String_Pointer& source, Plain_View pattern) {
  require(source, Place::index_null_source);
  return Index(source.plain(), pattern);
}

std::int32_t Index(Plain_View source, const String_Pointer& pattern) {
  require(pattern, Place::index_null_pattern);
  return Index(source, pattern.plain());
}

std::int32_t Backward_Index(Plain_View source, Plain_View pattern) {
  if (pattern.length() > source.length()) raise_at(STRING_NOT_FOUND, Place::backward_index_pattern_longer);
  const std::size_t at = backward_search(source.view(), pattern.view());
  if (at == absent) raise_at(STRING_NOT_FOUND, Place::backward_index_not_found);
  // An empty Pattern is found after the last character, which may lie
  // beyond the 32-bit bounds.
  return checked_index(std::int64_t(source.first()) + std::int64_t(at));
}

std::int32_t Backward_Index(const String_Pointer& source, const String_Pointer& pattern) {
  require(source, pattern, Place::backward_index_null_strings);
  return Backward_Index(source.plain(), pattern.plain());
}

std::int32_t Backward_Index(const String_Pointer& source, Plain_View pattern) {
  require(source, Place::backward_index_null_source);
  return Backward_Index(source.plain(), pattern);
}

std::int32_t Backward_Index(Plain_View source, const String_Pointer& pattern) {
  require(pattern, Place::backward_index_null_pattern);
  return Backward_Index(source, pattern.plain());
}

bool Contains(Plain_View source, Plain_View pattern) noexcept {
  if (pattern.length() > source.length()) return false;
  return forward_search(source.view(), pattern.view()) != absent;
}

bool Contains(const String_Pointer& source, const String_Pointer& pattern) {
  require(source, pattern, Place::index_null_strings);
  return Contains(source.plain(), pattern.plain());
}

bool Contains(const String_Pointer& source, Plain_View pattern) {
  require(source, Place::index_null_source);
  return Contains(source.plain(), pattern);
}

bool Contains(Plain_View source, const String_Pointer& pattern) {
  require(pattern, Place::index_null_pattern);
  return Contains(source, pattern.plain());
}

// ------------------------------------------------------- words, editing

std::int32_t Previous_Word(Plain_View source, String_Pointer& word, std::int32_t from,
                           Plain_View separators) {
  if (source.empty() || from < source.first() || from > source.last()) raise_at(INDEX_ERROR, Place::previous_word_from);
  // As in Next_Word, the new word is made before the old one goes.
  const std::int32_t first = source.first();
  std::int32_t r = from;
  while (r > first && is_separator(source(r), separators)) --r;
  if (is_separator(source(r), separators)) {
    const std::int32_t next = checked_index(std::int64_t(first) - 1);
    word = String_Pointer::make(1, 0);
    return next;
  }
  std::int32_t p = r;
  while (p > first && !is_separator(source(p - 1), separators)) --p;
  const std::int32_t next = checked_index(std::int64_t(p) - 1);
  word = joined(source.slice(p, r).view(), {});
  return next;
}

std::int32_t Previous_Word(const String_Pointer& source, String_Pointer& word,
                           std::int32_t from, Plain_View separators) {
  if (source.is_null()) {
    word.reset();
    return from;
  }
  return Previous_Word(source.plain(), word, from, separators);
}

std::int32_t Next_Word(const String_Pointer& source, String_Pointer& word, std::int32_t from,
                       Plain_View separators) {
  if (source.is_null()) {
    word.reset();
    return from;
  }
  return Next_Word(source.plain(), word, from, separators);
}

String_Pointer Head(const String_Pointer& source, std::int32_t n, String_Pointer old) {
  old.reset();
  if (source.is_null()) return {};
  const std::int32_t count = std::max(0, std::min(n, source.length()));
  return joined(source.view().substr(0, std::size_t(count)), {});
}

String_Pointer Head(Plain_View source, std::int32_t n, String_Pointer old) {
  old.reset();
  if (source.empty()) return {};
  const std::int32_t count = std::max(0, std::min(n, source.length()));
  return joined(source.view().substr(0, std::size_t(count)), {});
}

String_Pointer Slice(const String_Pointer& s, std::int32_t low, std::int32_t high) {
  if (s.is_null()) {
    if (high < low) raise_at(INDEX_ERROR, Place::slice_of_null);
    return {};
  }
  if (high < low || low < s.first() || high > s.last()) raise_at(INDEX_ERROR, Place::slice_outside);
  return joined(s.view().substr(offset_in(s, low), std::size_t(std::int64_t(high) - low + 1)), {});
}

String_Pointer Insert_After(const String_Pointer& source, Plain_View item, std::int32_t position) {
  return inserted(source, item.view(), position, 1, Place::insert_after_position);
}

String_Pointer Insert_After(const String_Pointer& source, const String_Pointer& item,
                            std::int32_t position) {
  return inserted(source, item.view(), position, 1, Place::insert_after_position);
}

String_Pointer Insert_Before(const String_Pointer& source, Plain_View item,
                             std::int32_t position) {
  return inserted(source, item.view(), position, 0, Place::insert_before_position);
}

String_Pointer Insert_Before(const String_Pointer& source, const String_Pointer& item,
                             std::int32_t position) {
  return inserted(source, item.view(), position, 0, Place::insert_before_position);
}

String_Pointer Delete(const String_Pointer& source, std::int32_t low, std::int32_t high) {
  if (source.is_null() || high < low || low < source.first() || high > source.last()) {
    raise_at(INDEX_ERROR, Place::delete_range);
  }
  const std::string_view text = source.view();
  return joined(text.substr(0, offset_in(source, low)), text.substr(offset_in(source, high) + 1));
}

String_Pointer& Reverse_In_Place(String_Pointer& s) noexcept {
  if (!s.is_null()) {
    char* chars = s.data();
    std::reverse(chars, chars + s.length());
  }
  return s;
}

String_Pointer Reverse_Copy(const String_Pointer& s) {
  if (s.is_null()) return {};
  String_Pointer result = joined(s.view(), {});
  Reverse_In_Place(result);
  return result;
}

String_Pointer Concat(char item, const String_Pointer& right) {
  return joined(std::string_view(&item, 1), right.view());
}

String_Pointer Concat(const String_Pointer& left, char item) {
  return joined(left.view(), std::string_view(&item, 1));
}

bool Equal(Plain_View left, const String_Pointer& right) noexcept { return Equal(right, left); }

bool Not_Equal(Plain_View left, const String_Pointer& right) noexcept {
  return !Equal(left, right);
}

bool Not_Equal(const String_Pointer& left, Plain_View right) noexcept {
  return !Equal(left, right);
}

bool Not_Equal(const String_Pointer& left, const String_Pointer& right) noexcept {
  return !Equal(left, right);
}

// --------------------------------------------------------------- output

void Put_String(platform::Output_File& file, const String_Pointer& s) {
  if (!s.is_null()) file.put(s.view());
}

void Put_String(const String_Pointer& s) { Put_String(platform::standard_output(), s); }

void Put_Padded(platform::Output_File& file, const String_Pointer& s, std::int32_t width) {
  put_padded(file, s, width);
}

void Put_Padded(Plain_View s, std::int32_t width) {
  Put_Padded(platform::standard_output(), s, width);
}

void Put_Padded(const String_Pointer& s, std::int32_t width) {
  put_padded(platform::standard_output(), s, width);
}

void Put_Line_String(platform::Output_File& file, const String_Pointer& s) {
  if (s.is_null()) return;
  file.put_line(s.view());
}

// ---------------------------------------------------------------- input

const char* Image(Read_Mode value) noexcept {
  return value == Read_Mode::REMOVING ? "REMOVING" : "NORMAL";
}

void Get_Skipping(platform::Input_File& file, std::span<char> item, Plain_View skip) {
  for (char& slot : item) {
    char c;
    do {
      c = file.get_char();
    } while (is_separator(c, skip));
    slot = c;
  }
}

void Get_Skipping(std::span<char> item, Plain_View skip) {
  Get_Skipping(platform::standard_input(), item, skip);
}

String_Pointer Get_Word(platform::Input_File& file, String_Pointer old, std::int32_t max,
                        Plain_View stops) {
  old.reset();
  std::string word;
  while (std::int64_t(word.size()) < max && !next_ends_line(file)) {
    const char c = file.get_char();
    if (is_separator(c, stops)) {
      if (!word.empty()) break;
      continue;
    }
    word.push_back(c);
  }
  if (word.empty()) return {};
  return joined(word, {});
}

String_Pointer Get_Word(String_Pointer old, std::int32_t max, Plain_View stops) {
  return Get_Word(platform::standard_input(), std::move(old), max, stops);
}

String_Pointer Get_Field(platform::Input_File& file, String_Pointer old, std::int32_t max,
                         Read_Mode mode) {
  old.reset();
  std::string field;
  // Grown as read, so that a large Max costs only what the file holds.
  while (std::int64_t(field.size()) < max) field.push_back(file.get_char());
  return field_result(field, mode);
}

String_Pointer Get_Field(String_Pointer old, std::int32_t max, Read_Mode mode) {
  return Get_Field(platform::standard_input(), std::move(old), max, mode);
}

String_Pointer Get_Line_Field(platform::Input_File& file, String_Pointer old, std::int32_t max,
                              Read_Mode mode) {
  old.reset();
  std::string field;
  // An empty buffer reads nothing, not even at the end of the file, but a
  // line end that comes next.
  if (max <= 0) {
    if (!file.end_of_file() && next_ends_line(file)) file.skip_line();
    return field_result(field, mode);
  }
  // The platform's line reading into a buffer of Max characters, done a
  // character at a time so that no buffer of Max characters is allocated:
  // the end of the file is an error, the line end stops the reading and is
  // consumed, and so is a line end that comes right after a full buffer.
  // Nothing beyond the line end is waited for.
  if (file.end_of_file()) file.get_line(std::span<char>());  // raises END_ERROR
  while (std::int64_t(field.size()) < max && !next_ends_line(file)) {
    field.push_back(file.get_char());
  }
  if (next_ends_line(file)) file.skip_line();
  return field_result(field, mode);
}

String_Pointer Get_Line_Field(String_Pointer old, std::int32_t max, Read_Mode mode) {
  return Get_Line_Field(platform::standard_input(), std::move(old), max, mode);
}

}  // namespace strlib
