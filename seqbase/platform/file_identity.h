// Which file a name designates, whatever the path that leads to it.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// A file as the system knows it: the device it lives on and its number there.
// Two names with the same identity are one file (links, "./" prefixes and
// symbolic links included).
struct File_Identity {
  std::uint64_t device;
  std::uint64_t inode;
  friend auto operator<=>(const File_Identity&, const File_Identity&) = default;
};

// The identity of the file that Name designates; none when there is no such
// file (or it cannot be looked at).
std::optional<File_Identity> file_identity(std::string_view name);

// Whether the two names designate one existing file.
bool same_file(std::string_view a, std::string_view b);

}  // namespace platform
