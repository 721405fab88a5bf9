// Any score-matrix file ends in a matrix or an exception, never a crash.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/exceptions.h"
#include "sequence_alignment-utils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/zarn-fuzz-matrix-" + std::to_string(::getpid());
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  try {
    sequence_alignment::utils::Read_Nucleic_Matrix(path);
  } catch (const platform::Error&) {
  }
  try {
    sequence_alignment::utils::Read_Protein_Matrix(path);
  } catch (const platform::Error&) {
  }
  return 0;
}
