#include "strlib.h"

#include <cstring>

namespace strlib {

namespace {

constexpr std::string_view unit = "strlib";

bool is_separator(char c, Plain_View separators) {
  return separators.view().find(c) != std::string_view::npos;
}

String_Pointer joined(std::string_view left, std::string_view right) {
  String_Pointer result =
      String_Pointer::make(1, std::int32_t(std::int64_t(left.size()) + std::int64_t(right.size())));
  if (!left.empty()) std::memcpy(result.data(), left.data(), left.size());
  if (!right.empty()) std::memcpy(result.data() + left.size(), right.data(), right.size());
  return result;
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
  if (from < source.first() || from > source.last()) {
    platform::raise(INDEX_ERROR, platform::place(unit, 500));
  }
  word.reset();
  std::int32_t p = from;
  const std::int32_t last = source.last();
  while (p <= last && is_separator(source(p), separators)) ++p;
  if (p > last) {
    word = String_Pointer::make(1, 0);
    return last + 1;
  }
  std::int32_t q = p;
  while (q < last && !is_separator(source(q + 1), separators)) ++q;
  word = joined(source.slice(p, q).view(), {});
  return q + 1;
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

}  // namespace strlib
