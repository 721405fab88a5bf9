#include "platform/input_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "platform/exceptions.h"

namespace platform {

namespace {

[[noreturn]] void refuse(std::string_view name, const char* reason) {
  raise(io_exceptions::NAME_ERROR, std::string(name) + ": " + reason);
}

struct Kept_Input {
  dev_t device;
  ino_t inode;
  std::shared_ptr<const std::string> content;
};

// Keyed by name; an entry serves only while the name still designates the
// same pipe or device, so that a new pipe under an old name is read afresh.
std::mutex kept_lock;
std::map<std::string, Kept_Input, std::less<>>& kept_inputs() {
  static std::map<std::string, Kept_Input, std::less<>> inputs;
  return inputs;
}

// Read straight into the content, not through a buffer on the stack: a lack
// of memory is then a STORAGE_ERROR, where a stack that cannot grow would end
// the process.
std::shared_ptr<const std::string> read_all(int fd, std::string_view name) {
  constexpr std::size_t chunk = 1 << 16;
  auto content = std::make_shared<std::string>();
  std::size_t size = 0;
  for (;;) {
    content->resize(size + chunk);
    const ssize_t got = ::read(fd, content->data() + size, chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      raise(io_exceptions::DEVICE_ERROR, std::string(name) + ": " + std::strerror(error));
    }
    if (got == 0) break;
    size += std::size_t(got);
  }
  content->resize(size);
  ::close(fd);
  return content;
}

// A list run opens thousands of files, each more than once.
std::set<File_Identity>& opened() {
  static std::set<File_Identity> files;
  return files;
}

void remember(const struct stat& status) {
  const std::lock_guard<std::mutex> hold(kept_lock);
  opened().insert(File_Identity{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)});
}

}  // namespace

bool opened_as_input(std::string_view name) {
  const std::optional<File_Identity> identity = file_identity(name);
  return identity && opened_as_input(*identity);
}

bool opened_as_input(const File_Identity& identity) {
  const std::lock_guard<std::mutex> hold(kept_lock);
  return opened().contains(identity);
}

Input_Source open_input(std::string_view name) {
  // The system would open the name up to the NUL: another file than the one named.
  if (name.find('\0') != std::string_view::npos) refuse(name, "file name holds a NUL character");
  const std::string path(name);

  struct stat status;
  if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
    const std::lock_guard<std::mutex> hold(kept_lock);
    const auto kept = kept_inputs().find(path);
    if (kept != kept_inputs().end() && kept->second.device == status.st_dev &&
        kept->second.inode == status.st_ino) {
      return {-1, kept->second.content};
    }
  }

  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) refuse(name, std::strerror(errno));
  if (::fstat(fd, &status) != 0) {
    const int error = errno;
    ::close(fd);
    refuse(name, std::strerror(error));
  }
  // A folder opens on this system but holds no text.
  if (S_ISDIR(status.st_mode)) {
    ::close(fd);
    refuse(name, std::strerror(EISDIR));
  }
  remember(status);
  if (S_ISREG(status.st_mode)) return {fd, nullptr};

  // The readers open a file more than once; a pipe would be empty the second time.
  std::shared_ptr<const std::string> content = read_all(fd, name);
  const std::lock_guard<std::mutex> hold(kept_lock);
  kept_inputs().insert_or_assign(path, Kept_Input{status.st_dev, status.st_ino, content});
  return {-1, content};
}

}  // namespace platform
