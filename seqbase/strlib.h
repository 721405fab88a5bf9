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

// ------------------------------------------------------------- searches

// Found, and where: an index in the searched string's own bounds.
struct Find_Result {
  bool found = false;
  std::int32_t index = 0;
};

// First occurrence of Item. Not found: Index is S's Last (S's First when S
// is empty); a null S is not searched.
Find_Result Find_Char(char item, Plain_View s) noexcept;
Find_Result Find_Char(char item, const String_Pointer& s) noexcept;

// First occurrence of Pattern by a plain scan. Nothing is found in an empty
// Source; an empty Pattern is found at Source's First. Not found (or a null
// operand): Index as for Find_Char on Source.
Find_Result Find_String(Plain_View source, Plain_View pattern) noexcept;
Find_Result Find_String(const String_Pointer& source, const String_Pointer& pattern) noexcept;
Find_Result Find_String(const String_Pointer& source, Plain_View pattern) noexcept;
Find_Result Find_String(Plain_View source, const String_Pointer& pattern) noexcept;

// First occurrence by a plain scan; STRLIB.STRING_NOT_FOUND when absent or
// when Source is empty, STRLIB.NULL_STRING for a null operand.
std::int32_t Simple_Index(Plain_View source, Plain_View pattern);
std::int32_t Simple_Index(const String_Pointer& source, const String_Pointer& pattern);
std::int32_t Simple_Index(const String_Pointer& source, Plain_View pattern);
std::int32_t Simple_Index(Plain_View source, const String_Pointer& pattern);

// First occurrence by Rabin-Karp; an empty Pattern is found at Source's
// First. STRLIB.STRING_NOT_FOUND when absent or longer than Source,
// STRLIB.NULL_STRING for a null operand.
std::int32_t Index(Plain_View source, Plain_View pattern);
std::int32_t Index(const String_Pointer& source, const String_Pointer& pattern);
std::int32_t Index(const String_Pointer& source, Plain_View pattern);
std::int32_t Index(Plain_View source, const String_Pointer& pattern);

// First index of the last occurrence, searching from the end; an empty
// Pattern is found at Source's Last + 1, the start of the empty window
// after the last character. Errors as for Index.
std::int32_t Backward_Index(Plain_View source, Plain_View pattern);
std::int32_t Backward_Index(const String_Pointer& source, const String_Pointer& pattern);
std::int32_t Backward_Index(const String_Pointer& source, Plain_View pattern);
std::int32_t Backward_Index(Plain_View source, const String_Pointer& pattern);

// Whether Index finds Pattern; a null operand still raises STRLIB.NULL_STRING.
bool Contains(Plain_View source, Plain_View pattern) noexcept;
bool Contains(const String_Pointer& source, const String_Pointer& pattern);
bool Contains(const String_Pointer& source, Plain_View pattern);
bool Contains(Plain_View source, const String_Pointer& pattern);

// ------------------------------------------------------- words, editing

// The word of Source that ends at or before From, the separators skipped
// going down. Word is replaced by the new word and the index before the word
// is returned (Source's First - 1 when the word starts at First). From
// outside Source's bounds raises STRLIB.INDEX_ERROR and keeps Word.
std::int32_t Previous_Word(Plain_View source, String_Pointer& word, std::int32_t from,
                           Plain_View separators);
// A null Source releases Word, leaves it null and returns From.
std::int32_t Previous_Word(const String_Pointer& source, String_Pointer& word,
                           std::int32_t from, Plain_View separators);
std::int32_t Next_Word(const String_Pointer& source, String_Pointer& word, std::int32_t from,
                       Plain_View separators);

// Releases Old; Source's first min(N, length) characters (empty for N <= 0).
// A null Source, or an empty plain Source, gives null.
String_Pointer Head(const String_Pointer& source, std::int32_t n, String_Pointer old);
String_Pointer Head(Plain_View source, std::int32_t n, String_Pointer old);

// S(Low..High) as a new string. Bounds outside S, or High < Low, raise
// STRLIB.INDEX_ERROR; a null S gives null when Low <= High.
String_Pointer Slice(const String_Pointer& s, std::int32_t low, std::int32_t high);

// Item inserted after (before) Source(Position), as a new string; a null
// Item counts as empty. A null Source gives a copy of Item, never null.
// Position outside Source's bounds raises STRLIB.INDEX_ERROR.
String_Pointer Insert_After(const String_Pointer& source, Plain_View item, std::int32_t position);
String_Pointer Insert_After(const String_Pointer& source, const String_Pointer& item,
                            std::int32_t position);
String_Pointer Insert_Before(const String_Pointer& source, Plain_View item, std::int32_t position);
String_Pointer Insert_Before(const String_Pointer& source, const String_Pointer& item,
                             std::int32_t position);

// Source without Source(Low..High), as a new string. A null Source, High <
// Low or bounds outside Source raise STRLIB.INDEX_ERROR.
String_Pointer Delete(const String_Pointer& source, std::int32_t low, std::int32_t high);

// Reverses S's characters where they are, whatever S's bounds; null stays null.
String_Pointer& Reverse_In_Place(String_Pointer& s) noexcept;
// S's characters last to first, bounds 1..length; null gives null.
String_Pointer Reverse_Copy(const String_Pointer& s);

// Item before (after) the other operand's characters; never null.
String_Pointer Concat(char item, const String_Pointer& right);
String_Pointer Concat(const String_Pointer& left, char item);

// Null Right equals exactly the empty Left.
bool Equal(Plain_View left, const String_Pointer& right) noexcept;
bool Not_Equal(Plain_View left, const String_Pointer& right) noexcept;
bool Not_Equal(const String_Pointer& left, Plain_View right) noexcept;
bool Not_Equal(const String_Pointer& left, const String_Pointer& right) noexcept;

// --------------------------------------------------------------- output

// S's characters, no line end; null writes nothing.
void Put_String(platform::Output_File& file, const String_Pointer& s);
void Put_String(const String_Pointer& s);

// As Put_Padded of a plain string; a null S writes nothing, not even blanks.
void Put_Padded(platform::Output_File& file, const String_Pointer& s, std::int32_t width);
void Put_Padded(Plain_View s, std::int32_t width);
void Put_Padded(const String_Pointer& s, std::int32_t width);

// S and a line end on File; null writes nothing at all.
void Put_Line_String(platform::Output_File& file, const String_Pointer& s);

// ---------------------------------------------------------------- input
// Every reader has a form on standard input. Reading past the end of the
// file raises IO_EXCEPTIONS.END_ERROR; what was read stays consumed.

enum class Read_Mode : std::uint8_t { NORMAL, REMOVING };
const char* Image(Read_Mode value) noexcept;

// Fills the whole of Item with the next characters that are not in Skip;
// line ends are passed over.
void Get_Skipping(platform::Input_File& file, std::span<char> item, Plain_View skip);
void Get_Skipping(std::span<char> item, Plain_View skip);

// Releases Old; the next word of the current line, at most Max characters,
// ended by a character of Stops (dropped) or by the line end (left unread).
// Stop characters before the word are skipped. Null when nothing was read.
String_Pointer Get_Word(platform::Input_File& file, String_Pointer old, std::int32_t max,
                        Plain_View stops);
String_Pointer Get_Word(String_Pointer old, std::int32_t max, Plain_View stops);

// Releases Old; exactly Max characters, line ends passed over. REMOVING drops
// trailing blanks but keeps the first character. Never null.
String_Pointer Get_Field(platform::Input_File& file, String_Pointer old, std::int32_t max,
                         Read_Mode mode);
String_Pointer Get_Field(String_Pointer old, std::int32_t max, Read_Mode mode);

// Releases Old; the rest of the current line, at most Max characters, read as
// a line into a buffer of Max characters (a longer line leaves the rest for
// the next read). Trimmed as Get_Field. Never null. Max <= 0 gives an empty
// string, also at the end of the file, and reads only a line end that is next.
String_Pointer Get_Line_Field(platform::Input_File& file, String_Pointer old, std::int32_t max,
                              Read_Mode mode);
String_Pointer Get_Line_Field(String_Pointer old, std::int32_t max, Read_Mode mode);

}  // namespace strlib
