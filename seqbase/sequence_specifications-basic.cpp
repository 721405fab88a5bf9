#include "sequence_specifications-basic.h"

#include <algorithm>
#include <limits>
#include <string>

namespace sequence_specifications::basic {

namespace {

// Where this unit raises: the number that follows its name in the message,
// "sequence_specifications-basic:83". These numbers are part of the printed
// messages and never change, whatever becomes of the source.
enum class Place : int {
  reverse_model = 83, complement_model = 126,
  nucleotides_model = 141, nucleotides_letter = 160, amino_acids_model = 168, amino_acids_letter = 187,
  text_model = 243, text_nucleotide = 211, text_amino_acid = 235,
};

[[noreturn]] void refuse(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place("sequence_specifications-basic", int(place)));
}

// Reverses Items as positions of a sequence of N residues: position k goes
// to N + 1 - k. In place when the bounds are 1..N; otherwise into a new
// array with the mirrored bounds.
template <class Array>
void reverse_positions(Array& items, std::int32_t n) {
  if (items.is_null()) return;
  const std::int32_t f = items.first();
  const std::int32_t l = items.last();
  if (f == 1 && l == n) {
    std::reverse(items.data(), items.data() + items.length());
    return;
  }
  Array mirrored = Array::make(std::int32_t(std::int64_t(n) - l + 1), std::int32_t(std::int64_t(n) - f + 1));
  if (items.length() > 0) std::reverse_copy(items.data(), items.data() + items.length(), mirrored.data());
  items = std::move(mirrored);
}

}  // namespace

void SEQUENCE_DATA::Reverse_Sequence() {
  if (!Is_Nucleic(Model)) refuse(NOT_NUCLEOTIDIC, Place::reverse_model);
  reverse_positions(Text, Length);
  reverse_positions(Nucleotides, Length);
}

void SEQUENCE_DATA::Complement_Sequence() {
  if (!Is_Nucleic(Model)) refuse(NOT_NUCLEOTIDIC, Place::complement_model);
  for (char& c : Text.span()) {
    switch (c) {
      case 'A': c = 'T'; break;
      case 'T': c = 'A'; break;
      case 'U': c = 'A'; break;  // as its code, that of T
      case 'C': c = 'G'; break;
      case 'G': c = 'C'; break;
      default: break;
    }
  }
  for (Nucleotide& code : Nucleotides.span()) {
    switch (code) {
      case Nucleotide::A: code = Nucleotide::T; break;
      case Nucleotide::T: code = Nucleotide::A; break;
      case Nucleotide::G: code = Nucleotide::C; break;
      case Nucleotide::C: code = Nucleotide::G; break;
      default: break;
    }
  }
}

void SEQUENCE_DATA::Build_Nucleotides() {
  if (!Is_Nucleic(Model)) refuse(NOT_NUCLEOTIDIC, Place::nucleotides_model);
  if (Text.length() == 0) return;
  Nucleotides = Nucleotide_Array::make(Text.first(), Text.last());
  try {
    for (std::int32_t i = Text.first(); i <= Text.last(); ++i) Nucleotides(i) = To_Nucleotide(Text(i));
  } catch (const platform::Error&) {
    Nucleotides.reset();
    refuse(NOT_NUCLEOTIDIC, Place::nucleotides_letter);
  }
}

void SEQUENCE_DATA::Build_Amino_Acids() {
  if (Model != Sequence_Model::PROTEIN) refuse(NOT_PROTEINIC, Place::amino_acids_model);
  if (Text.length() == 0) return;
  Amino_Acids = Amino_Acid_Array::make(Text.first(), Text.last());
  try {
    for (std::int32_t i = Text.first(); i <= Text.last(); ++i) Amino_Acids(i) = To_Amino_Acid(Text(i));
  } catch (const platform::Error&) {
    Amino_Acids.reset();
    refuse(NOT_PROTEINIC, Place::amino_acids_letter);
  }
}

void SEQUENCE_DATA::Build_Text() {
  if (Model == Sequence_Model::NO) refuse(NOT_IMPLEMENTED, Place::text_model);
  if (Is_Nucleic(Model)) {
    if (Nucleotides.length() == 0) return;
    Text = strlib::String_Pointer::make(Nucleotides.first(), Nucleotides.last());
    try {
      for (std::int32_t i = Nucleotides.first(); i <= Nucleotides.last(); ++i) {
        Text(i) = Nucleotide_Image(Nucleotides(i));
      }
    } catch (const platform::Error&) {
      Text.reset();
      refuse(NOT_NUCLEOTIDIC, Place::text_nucleotide);
    }
  } else {
    if (Amino_Acids.length() == 0) return;
    Text = strlib::String_Pointer::make(Amino_Acids.first(), Amino_Acids.last());
    try {
      for (std::int32_t i = Amino_Acids.first(); i <= Amino_Acids.last(); ++i) {
        Text(i) = Amino_Acid_Image(Amino_Acids(i));
      }
    } catch (const platform::Error&) {
      Text.reset();
      refuse(NOT_PROTEINIC, Place::text_amino_acid);
    }
  }
}

void SEQUENCE_DATA::Clear() noexcept {
  Name.reset();
  Nucleotides.reset();
  Amino_Acids.reset();
  Text.reset();
  Model = Sequence_Model::NO;
  Length = 0;
  First = -1;
  Last = -1;
}

Sequence_Data_Array::Sequence_Data_Array(std::int32_t first, std::int32_t last)
    : null_(false), first_(first) {
  if (last < first) return;
  const std::int64_t count = std::int64_t(last) - first + 1;
  // Its length must fit the 32-bit count that every caller reads.
  if (count > std::numeric_limits<std::int32_t>::max()) {
    platform::raise(standard::CONSTRAINT_ERROR,
                    std::to_string(count) + " records: more than an array's length can count");
  }
  items_.resize(std::size_t(count));
}

char Strand_Letter(Strand item) noexcept {
  switch (item) {
    case Strand::WATSON: return 'W';
    case Strand::CRICK: return 'C';
    case Strand::BOTH: return 'B';
  }
  return '?';
}

}  // namespace sequence_specifications::basic
