// Files read one byte at a time (binary sequence formats).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// A pipe, a FIFO or a device is read whole at its first opening and served
// from that copy to every opening of the same name (as for text files).
class Byte_File {
 public:
  Byte_File() = default;
  ~Byte_File();
  Byte_File(const Byte_File&) = delete;
  Byte_File& operator=(const Byte_File&) = delete;

  // IO_EXCEPTIONS.NAME_ERROR when the file cannot be opened, is a folder or
  // its name holds a NUL character.
  void open(std::string_view name);
  void close() noexcept;
  bool is_open() const noexcept { return fd_ >= 0 || kept_ != nullptr; }
  bool end_of_file();
  // IO_EXCEPTIONS.END_ERROR past the last byte.
  std::uint8_t read();

 private:
  bool fill();

  int fd_ = -1;
  std::shared_ptr<const std::string> kept_;
  std::string name_;
  unsigned char buffer_[1 << 14];
  const unsigned char* data_ = buffer_;  // buffer_, or the kept content
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

}  // namespace platform
