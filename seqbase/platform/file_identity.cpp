#include "platform/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <string>

namespace platform {

std::optional<File_Identity> file_identity(std::string_view name) {
  const std::string path(name);
  struct stat status;
  int result;
  do {
    result = ::stat(path.c_str(), &status);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return std::nullopt;
  return File_Identity{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)};
}

bool same_file(std::string_view a, std::string_view b) {
  const std::optional<File_Identity> first = file_identity(a);
  if (!first) return false;
  const std::optional<File_Identity> second = file_identity(b);
  return second && *first == *second;
}

}  // namespace platform
