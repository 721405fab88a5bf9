// Files read one byte at a time (binary sequence formats).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class Byte_File {
 public:
  Byte_File() = default;
  ~Byte_File();
  Byte_File(const Byte_File&) = delete;
  Byte_File& operator=(const Byte_File&) = delete;

  // IO_EXCEPTIONS.NAME_ERROR when the file cannot be opened.
  void open(std::string_view name);
  void close() noexcept;
  bool is_open() const noexcept { return fd_ >= 0; }
  bool end_of_file();
  // IO_EXCEPTIONS.END_ERROR past the last byte.
  std::uint8_t read();

 private:
  bool fill();

  int fd_ = -1;
  std::string name_;
  unsigned char buffer_[1 << 14];
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

}  // namespace platform
