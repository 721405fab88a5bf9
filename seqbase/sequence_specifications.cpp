#include "sequence_specifications.h"

namespace sequence_specifications {

const char* Image(Sequence_Model value) noexcept {
  switch (value) {
    case Sequence_Model::NO: return "NO";
    case Sequence_Model::DNA: return "DNA";
    case Sequence_Model::RNA: return "RNA";
    case Sequence_Model::PROTEIN: return "PROTEIN";
  }
  return "?";
}

const char* Image(Sequence_Format value) noexcept {
  switch (value) {
    case Sequence_Format::PLAIN_ASCII: return "PLAIN_ASCII";
    case Sequence_Format::DNA_STRIDER: return "DNA_STRIDER";
    case Sequence_Format::GCG: return "GCG";
    case Sequence_Format::GENBANK: return "GENBANK";
    case Sequence_Format::UNKNOWN: return "UNKNOWN";
  }
  return "?";
}

const char* Image(Strand value) noexcept {
  switch (value) {
    case Strand::WATSON: return "WATSON";
    case Strand::CRICK: return "CRICK";
    case Strand::BOTH: return "BOTH";
  }
  return "?";
}

std::string Image(Nucleotide value) {
  return std::string("'") + Nucleotide_Image(value) + "'";
}

void detail::refuse(const platform::Exception_Id& id, Place place) {
  platform::raise(id, platform::place("sequence_specifications", int(place)));
}

void Find_Char(char item, strlib::Plain_View s, bool& found, std::int32_t& index) noexcept {
  const std::size_t at = s.view().find(item);
  found = at != std::string_view::npos;
  if (found) {
    index = std::int32_t(s.first() + std::int64_t(at));
  } else {
    index = s.empty() ? s.first() : s.last();
  }
}

}  // namespace sequence_specifications
