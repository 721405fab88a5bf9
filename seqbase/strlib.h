// The string library: owned heap strings with their own bounds, plain
// strings with their own bounds, and the operations on them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/exceptions.h"
#include "platform/heap_array.h"
#include "platform/text_io.h"

namespace strlib {

inline constexpr platform::Exception_Id INDEX_ERROR{"STRLIB.INDEX_ERROR"};
inline constexpr platform::Exception_Id STRING_NOT_FOUND{"STRLIB.STRING_NOT_FOUND"};
inline constexpr platform::Exception_Id NULL_STRING{"STRLIB.NULL_STRING"};

// A plain string seen in place: its characters and the index of the first
// one. Every index taken or returned is in these bounds. Empty: Last = First - 1.
class Plain_View {
 public:
  constexpr Plain_View() noexcept = default;
  constexpr Plain_View(std::string_view chars, std::int32_t first = 1) noexcept
      : chars_(chars), first_(first) {}
  constexpr Plain_View(const char* chars) noexcept : chars_(chars) {}
  Plain_View(const std::string& chars) noexcept : chars_(chars) {}

  constexpr std::int32_t first() const noexcept { return first_; }
  constexpr std::int32_t last() const noexcept {
    return std::int32_t(first_ + std::int64_t(chars_.size()) - 1);
  }
  constexpr std::int32_t length() const noexcept { return std::int32_t(chars_.size()); }
  constexpr bool empty() const noexcept { return chars_.empty(); }
  constexpr std::string_view view() const noexcept { return chars_; }
  // The character at index I, I within First..Last.
  constexpr char operator()(std::int32_t i) const noexcept {
    return chars_[std::size_t(std::int64_t(i) - first_)];
  }
  // S(Low..High), keeping S's indices; Low..High must lie within the bounds
  // (or be empty).
  constexpr Plain_View slice(std::int32_t low, std::int32_t high) const noexcept {
    if (high < low) return {std::string_view(), low};
    return {chars_.substr(std::size_t(std::int64_t(low) - first_),
                          std::size_t(std::int64_t(high) - low + 1)),
            low};
  }

 private:
  std::string_view chars_;
  std::int32_t first_ = 1;
};

// A plain string returned by value, with its own bounds.
struct Plain_String {
  std::string chars;
  std::int32_t first = 1;

  operator Plain_View() const noexcept { return {chars, first}; }
  std::int32_t last() const noexcept { return std::int32_t(first + std::int64_t(chars.size()) - 1); }
  std::int32_t length() const noexcept { return std::int32_t(chars.size()); }
  bool empty() const noexcept { return chars.empty(); }
  const std::string& view() const noexcept { return chars; }
};

// A nullable, owned heap string with its own bounds, in one allocation.
// Null (no string) differs from a non-null empty string.
class String_Pointer : public platform::Heap_Array<char> {
 public:
  using Heap_Array::Heap_Array;
  String_Pointer(Heap_Array<char>&& other) noexcept : Heap_Array(std::move(other)) {}

  // The characters; empty for null.
  std::string_view view() const noexcept { return {data(), std::size_t(length())}; }
  // The characters with their bounds; null gives the empty string 1..0.
  Plain_View plain() const noexcept {
    return is_null() ? Plain_View() : Plain_View(view(), first());
  }
};

// Number of characters; 0 for null.
std::int32_t String_Length(const String_Pointer& s) noexcept;
// The characters with S's own bounds; null gives the empty string 1..0.
Plain_String To_String(const String_Pointer& s);
// Null for an empty S, else a new string 1..length.
String_Pointer To_Pointer(Plain_View s);
// Releases S; the result is always null.
String_Pointer Free_String(String_Pointer s) noexcept;
// Releases Old, then copies Source (null stays null; empty stays non-null).
String_Pointer Copy_String(const String_Pointer& source, String_Pointer old);
// Releases Old, then null for an empty Source, else a copy 1..length.
String_Pointer Copy_Non_Empty(Plain_View source, String_Pointer old);

// Null equals exactly the empty plain string.
bool Equal(const String_Pointer& left, Plain_View right) noexcept;
// Equal when both are null, or both non-null with the same characters.
bool Equal(const String_Pointer& left, const String_Pointer& right) noexcept;

// Two nulls give null; one null gives a copy of the other.
String_Pointer Concat(const String_Pointer& left, const String_Pointer& right);
// Never null.
String_Pointer Concat(Plain_View left, const String_Pointer& right);
String_Pointer Concat(const String_Pointer& left, Plain_View right);

// The word of Source that begins at or after From, the separators skipped.
// Word is replaced by the new word (released first) and the index after the
// word is returned. From outside Source's bounds raises STRLIB.INDEX_ERROR
// and keeps Word.
std::int32_t Next_Word(Plain_View source, String_Pointer& word, std::int32_t from,
                       Plain_View separators);

// Fills the whole of Target: Source then blanks, or Source's last characters.
void Move_Padded(std::span<char> target, Plain_View source) noexcept;
void Move_Padded(std::span<char> target, const String_Pointer& source) noexcept;

// S then blanks up to Width, or only S's last Width characters.
void Put_Padded(platform::Output_File& file, Plain_View s, std::int32_t width);

// S and a line end on standard output; null writes nothing at all.
void Put_Line_String(const String_Pointer& s);

}  // namespace strlib
