// Opening an input file by name, for the text and byte readers alike.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_identity.h"

namespace platform {

// Where the bytes of an opened input come from: a descriptor on a regular
// file, or the whole content of anything else (a pipe, a FIFO, a device),
// read at its first opening in the process and kept, so that every later
// opening of the same name reads the same bytes again.
struct Input_Source {
  int fd = -1;
  std::shared_ptr<const std::string> kept;
};

// IO_EXCEPTIONS.NAME_ERROR, with the name and the reason, when Name cannot
// be opened, is a folder or holds a NUL character.
Input_Source open_input(std::string_view name);

// Whether Name designates, by whatever path, a file opened for reading so
// far in the process: what an output file must never be.
bool opened_as_input(std::string_view name);
bool opened_as_input(const File_Identity& identity);

}  // namespace platform
