#include "platform/start_up.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/command_line.h"
#include "platform/text_io.h"

namespace platform {

namespace {

// Enough to raise the failure and write the report.
constexpr std::size_t reserve_size = std::size_t(64) << 10;

void* reserve = nullptr;

void give_back_reserve() {
  std::free(reserve);
  reserve = nullptr;
  std::set_new_handler(nullptr);
  throw std::bad_alloc();
}

bool is_open(int fd) noexcept { return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF; }

}  // namespace

void open_standard_descriptors() noexcept {
  for (int fd = 0; fd <= 2; ++fd) {
    if (is_open(fd)) continue;
    // The lowest free descriptor is FD itself, those below it being open.
    int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    // Without /dev/null, a folder holds the place: writes to it fail, which
    // standard output takes as a reader gone.
    if (opened < 0) opened = ::open("/", O_RDONLY | O_DIRECTORY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
}

bool keep_memory_reserve() noexcept {
  if (reserve) return true;
  reserve = std::malloc(reserve_size);
  if (!reserve) return false;
  std::set_new_handler(give_back_reserve);
  return true;
}

bool start_up(int argc, const char* const* argv) noexcept {
  open_standard_descriptors();
  set_command_line(argc, argv);
  ignore_failed_write_signals();
  return keep_memory_reserve();
}

void finish_standard_output() noexcept {
  try {
    standard_output().flush();
  } catch (...) {
  }
}

void write_standard_output_directly(std::string_view text) noexcept {
  write_all(1, text.data(), text.size());
}

}  // namespace platform
