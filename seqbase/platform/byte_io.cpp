#include "platform/byte_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/exceptions.h"
#include "platform/input_source.h"

namespace platform {

Byte_File::~Byte_File() { close(); }

void Byte_File::open(std::string_view name) {
  if (is_open()) raise(io_exceptions::USE_ERROR, "file already open");
  Input_Source source = open_input(name);
  fd_ = source.fd;
  kept_ = std::move(source.kept);
  name_ = std::string(name);
  pos_ = 0;
  if (kept_) {
    data_ = reinterpret_cast<const unsigned char*>(kept_->data());
    end_ = kept_->size();
  } else {
    data_ = buffer_;
    end_ = 0;
  }
}

void Byte_File::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  kept_.reset();
  data_ = buffer_;
  pos_ = end_ = 0;
}

bool Byte_File::fill() {
  if (!is_open()) raise(io_exceptions::USE_ERROR, "file not open");
  if (pos_ < end_) return true;
  if (kept_) return false;
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
  return data_[pos_++];
}

}  // namespace platform
