// The sequence record: name, label, type, format, residues as text or as
// codes, and the working range; with its reverse, complement, build and
// release operations.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/heap_array.h"
#include "sequence_specifications.h"
#include "strlib.h"

namespace sequence_specifications::basic {

using Nucleotide_Array = platform::Heap_Array<Nucleotide>;
using Amino_Acid_Array = platform::Heap_Array<Amino_Acid>;

// The record owns what its fields designate. It is move-only: a second
// record with the same residues is built on purpose, never by copying.
class SEQUENCE_DATA {
 public:
  strlib::String_Pointer Name;
  strlib::String_Pointer Identifier;
  Sequence_Model Model = Sequence_Model::NO;
  Sequence_Format Format = Sequence_Format::UNKNOWN;
  std::int32_t Length = 0;
  strlib::String_Pointer Text;
  Nucleotide_Array Nucleotides;
  Amino_Acid_Array Amino_Acids;
  std::int32_t First = -1;
  std::int32_t Last = -1;

  SEQUENCE_DATA() = default;
  SEQUENCE_DATA(SEQUENCE_DATA&&) noexcept = default;
  SEQUENCE_DATA& operator=(SEQUENCE_DATA&&) noexcept = default;
  SEQUENCE_DATA(const SEQUENCE_DATA&) = delete;
  SEQUENCE_DATA& operator=(const SEQUENCE_DATA&) = delete;

  void Reverse_Sequence();
  void Complement_Sequence();
  void Build_Nucleotides();
  void Build_Amino_Acids();
  void Build_Text();
  void Free_Nucleotides() noexcept { Nucleotides.reset(); }
  void Free_Amino_Acids() noexcept { Amino_Acids.reset(); }
  void Free_Text() noexcept { Text.reset(); }
  void Clear() noexcept;
};

// An array of records with bounds chosen at creation; default-constructed
// it holds no array at all (null).
class Sequence_Data_Array {
 public:
  Sequence_Data_Array() = default;
  Sequence_Data_Array(std::int32_t first, std::int32_t last);

  bool is_null() const noexcept { return null_; }
  std::int32_t first() const noexcept { return first_; }
  std::int32_t last() const noexcept { return std::int32_t(first_ + std::int64_t(items_.size()) - 1); }
  std::int32_t length() const noexcept { return std::int32_t(items_.size()); }
  SEQUENCE_DATA& operator()(std::int32_t i) { return items_[std::size_t(std::int64_t(i) - first_)]; }
  const SEQUENCE_DATA& operator()(std::int32_t i) const {
    return items_[std::size_t(std::int64_t(i) - first_)];
  }

 private:
  bool null_ = true;
  std::int32_t first_ = 1;
  std::vector<SEQUENCE_DATA> items_;
};

// "W", "C" or "B".
char Strand_Letter(Strand item) noexcept;

}  // namespace sequence_specifications::basic
