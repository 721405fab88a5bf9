#include "platform/byte_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"

namespace platform {

Byte_File::~Byte_File() { close(); }

void Byte_File::open(std::string_view name) {
  if (is_open()) raise(io_exceptions::USE_ERROR, "file already open");
  const std::string path(name);
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) raise(io_exceptions::NAME_ERROR, path + ": " + std::strerror(errno));
  fd_ = fd;
  name_ = path;
  pos_ = end_ = 0;
}

void Byte_File::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pos_ = end_ = 0;
}

bool Byte_File::fill() {
  if (!is_open()) raise(io_exceptions::USE_ERROR, "file not open");
  if (pos_ < end_) return true;
  ssize_t got;
  do {
    got = ::read(fd_, buffer_, sizeof buffer_);
  } while (got < 0 && errno == EINTR);
  if (got < 0) raise(io_exceptions::DEVICE_ERROR, name_ + ": " + std::strerror(errno));
  pos_ = 0;
  end_ = std::size_t(got);
  return end_ > 0;
}

bool Byte_File::end_of_file() { return !fill(); }

std::uint8_t Byte_File::read() {
  if (!fill()) raise(io_exceptions::END_ERROR, name_ + ": end of file");
  return buffer_[pos_++];
}

}  // namespace platform
