// Any file, read under every type and format (detection included), ends in
// a record or an exception, never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/exceptions.h"
#include "platform/text_io.h"
#include "sequence_io.h"

using namespace sequence_specifications;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/zarn-fuzz-sequence-" + std::to_string(::getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  platform::Standard_Output_Capture quiet;
  for (Sequence_Model model : {Sequence_Model::NO, Sequence_Model::DNA, Sequence_Model::PROTEIN}) {
    for (Sequence_Format format :
         {Sequence_Format::UNKNOWN, Sequence_Format::PLAIN_ASCII, Sequence_Format::DNA_STRIDER,
          Sequence_Format::GCG, Sequence_Format::GENBANK}) {
      for (bool as_text : {true, false}) {
        basic::SEQUENCE_DATA seq;
        try {
          sequence_io::Read_Sequence(path, seq, model, format, as_text);
          const std::int32_t stored = as_text ? seq.Text.length()
                                      : seq.Model == Sequence_Model::PROTEIN ? seq.Amino_Acids.length()
                                                                              : seq.Nucleotides.length();
          if (seq.Length < 0 || seq.Last != seq.Length || stored != seq.Length) __builtin_trap();
        } catch (const platform::Error&) {
        }
      }
    }
  }
  return 0;
}
