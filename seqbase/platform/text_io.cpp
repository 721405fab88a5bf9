#include "platform/text_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/exceptions.h"
#include "platform/input_source.h"

namespace platform {

namespace {

constexpr std::size_t chunk_size = 1 << 16;

std::string system_reason(std::string_view name) {
  return std::string(name) + ": " + std::strerror(errno);
}

// The first byte of Size at Start that begins a line terminator, or null.
// Eight bytes at a time: a byte equal to B is a zero byte of Word ^ B, and
// (X - ones) & ~X has a high bit set exactly when X has a zero byte; the
// word that has one is then looked at byte by byte.
const char* find_terminator(const char* start, std::size_t size) {
  constexpr std::uint64_t ones = 0x0101010101010101u;
  constexpr std::uint64_t highs = 0x8080808080808080u;
  const char* p = start;
  const char* const end = start + size;
  for (; end - p >= 8; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t line_feeds = word ^ (ones * '\n');
    const std::uint64_t returns = word ^ (ones * '\r');
    if ((((line_feeds - ones) & ~line_feeds) | ((returns - ones) & ~returns)) & highs) break;
  }
  for (; p != end; ++p) {
    if (*p == '\n' || *p == '\r') return p;
  }
  return nullptr;
}

// The system's open, tried again when a signal interrupts it; a file it
// creates gets 0666 less the umask.
int open_path(const char* path, int flags) {
  int fd;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool own_regular(const struct stat& st) {
  return S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && st.st_nlink == 1;
}

// An existing file when it is a regular file of this user's that no other
// name leads to; -1 with errno set otherwise. It is looked at before it is
// opened for writing, so that no FIFO or device is ever opened so, and
// looked at again once open, in case it was swapped in between.
int open_own_regular(const char* path) {
  struct stat before {};
  const int probe = ::open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (probe < 0) return -1;
  const bool acceptable = ::fstat(probe, &before) == 0 && own_regular(before);
  ::close(probe);
  if (!acceptable) {
    errno = EPERM;
    return -1;
  }
  const int fd = open_path(path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat after {};
  if (::fstat(fd, &after) != 0 || !own_regular(after) || after.st_dev != before.st_dev ||
      after.st_ino != before.st_ino) {
    ::close(fd);
    errno = EPERM;
    return -1;
  }
  return fd;
}

// A name in a folder that others may write into: a new file, never through
// a symbolic link nor over anything already there, or else an existing
// regular file of the user's own. A file removed between the two openings is
// made on the next round. Made is set to the path of a file this made.
int open_in_shared_folder(const char* path, std::string& made) {
  for (int round = 0; round < 3; ++round) {
    int fd = open_path(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      made = path;
      return fd;
    }
    if (errno == EEXIST) fd = open_own_regular(path);
    if (fd >= 0 || errno != ENOENT) return fd;
  }
  return -1;
}

// A name in the user's own folder, as the system leads to it (through a
// link of the user's own too). A FIFO is opened without waiting for a
// reader: with none, the opening fails with ENXIO. Made is set to the path
// of a file this made.
int open_in_own_folder(const char* path, std::string& made) {
  for (int round = 0; round < 3; ++round) {
    int fd = open_path(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0 || errno != ENOENT) return fd;
    fd = open_path(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC);
    if (fd >= 0) {
      made = path;
      return fd;
    }
    if (errno != EEXIST) return -1;
    // A symbolic link to a name not there yet: the file is made where it
    // leads, a path that the system tells from the descriptor.
    fd = open_path(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      char target[4096];
      const std::string link = "/proc/self/fd/" + std::to_string(fd);
      const ssize_t size = ::readlink(link.c_str(), target, sizeof target);
      if (size > 0 && std::size_t(size) < sizeof target) made.assign(target, std::size_t(size));
    }
    if (fd >= 0 || errno != ENOENT) return fd;
  }
  return -1;
}

// Whether others may plant names in the folder that holds Path: its sticky
// bit lets each remove only their own, but anyone there may add one.
bool in_shared_folder(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string_view::npos ? std::string(".")
                             : slash == 0                    ? std::string("/")
                                                             : std::string(path.substr(0, slash));
  struct stat status {};
  if (::stat(folder.c_str(), &status) != 0) return false;
  return (status.st_mode & S_ISVTX) != 0 && (status.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

bool write_all(int fd, const char* data, std::size_t size) noexcept {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd ready{fd, POLLOUT, 0};
        // A reader gone wakes the wait too; the write then fails for good.
        if (::poll(&ready, 1, -1) >= 0 || errno == EINTR) continue;
      }
      return false;
    }
    data += written;
    size -= std::size_t(written);
  }
  return true;
}

// ---------------------------------------------------------------- input

Input_File::~Input_File() { close(); }

void Input_File::open(std::string_view name) {
  if (is_open()) raise(io_exceptions::USE_ERROR, "file already open");
  Input_Source source = open_input(name);
  fd_ = source.fd;
  kept_ = std::move(source.kept);
  name_ = std::string(name);
  filled_ = 0;
  pos_ = 0;
  eof_ = kept_ != nullptr;
  line_start_ = true;
  reset_window();
}

void Input_File::close() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  kept_.reset();
  buffer_.reset();
  capacity_ = 0;
  filled_ = 0;
  pos_ = 0;
  eof_ = false;
  line_start_ = true;
  reset_window();
}

void Input_File::reset_window() noexcept {
  if (kept_) {
    data_ = kept_->data();
    size_ = kept_->size();
  } else {
    data_ = buffer_.get();
    size_ = filled_;
  }
}

bool Input_File::fill(std::size_t wanted) {
  if (!is_open()) raise(io_exceptions::USE_ERROR, "file not open");
  while (size_ - pos_ < wanted && !eof_) {
    if (pos_ > 0) {
      std::memmove(buffer_.get(), buffer_.get() + pos_, filled_ - pos_);
      filled_ -= pos_;
      pos_ = 0;
      reset_window();
    }
    if (capacity_ - filled_ < chunk_size) {
      // Room for a whole chunk after the byte or two a terminator may leave.
      const std::size_t capacity = filled_ + chunk_size + 64;
      auto larger = std::make_unique_for_overwrite<char[]>(capacity);
      if (filled_ > 0) std::memcpy(larger.get(), buffer_.get(), filled_);
      buffer_ = std::move(larger);
      capacity_ = capacity;
    }
    ssize_t got;
    do {
      got = ::read(fd_, buffer_.get() + filled_, chunk_size);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      reset_window();
      raise(io_exceptions::DEVICE_ERROR, system_reason(name_));
    }
    filled_ += std::size_t(got);
    if (got == 0) eof_ = true;
    reset_window();
  }
  return size_ - pos_ >= wanted;
}

// A line terminator is a line feed, a carriage return and a line feed, or
// a carriage return alone, so that files written on other systems read the
// same. Only a carriage return needs the byte after it.
std::size_t Input_File::terminator_length() {
  if (!fill(1)) return 0;
  if (data_[pos_] == '\n') return 1;
  if (data_[pos_] != '\r') return 0;
  return fill(2) && data_[pos_ + 1] == '\n' ? 2 : 1;
}

bool Input_File::end_of_file() { return line_start_ && !fill(1); }

bool Input_File::end_of_line() {
  if (!fill(1)) return true;
  return terminator_length() > 0;
}

std::string_view Input_File::get_line(std::span<char> out) {
  const std::size_t count = read_piece(out.data(), out.size());
  return {out.data(), count};
}

std::string Input_File::get_line() {
  std::string line;
  char piece[4096];
  do {
    line.append(piece, read_piece(piece, sizeof piece));
  } while (!line_start_);
  return line;
}

std::size_t Input_File::read_piece(char* out, std::size_t capacity) {
  if (end_of_file()) raise(io_exceptions::END_ERROR, name_ + ": end of file");
  const bool started_line = line_start_;
  std::size_t count = 0;
  while (count < capacity) {
    if (pos_ == size_ && !fill(1)) {  // the end of the file ends the line
      line_start_ = true;
      return count;
    }
    const char* start = data_ + pos_;
    const std::size_t span = std::min(size_ - pos_, capacity - count);
    if (const char* terminator = find_terminator(start, span)) {
      const std::size_t n = std::size_t(terminator - start);
      std::memcpy(out + count, start, n);
      pos_ += n;
      count += n;
      pos_ += terminator_length();
      line_start_ = true;
      return count;
    }
    std::memcpy(out + count, start, span);
    count += span;
    pos_ += span;
  }
  // The piece is full: a terminator right after it, or the end of the file,
  // ends the line with this piece.
  line_start_ = true;
  if (!fill(1)) return count;
  if (const std::size_t t = terminator_length(); t > 0) {
    pos_ += t;
  } else {
    line_start_ = started_line && count == 0;  // an empty buffer reads nothing
  }
  return count;
}

void Input_File::skip_line() {
  if (end_of_file()) raise(io_exceptions::END_ERROR, name_ + ": end of file");
  line_start_ = true;
  while (fill(1)) {
    const char* start = data_ + pos_;
    const std::size_t available = size_ - pos_;
    if (const char* terminator = find_terminator(start, available)) {
      pos_ += std::size_t(terminator - start);
      pos_ += terminator_length();
      return;
    }
    pos_ += available;
  }
}

void Input_File::look_ahead(char& item, bool& end_of_line) {
  if (!fill(1) || terminator_length() > 0) {
    item = ' ';
    end_of_line = true;
    return;
  }
  item = data_[pos_];
  end_of_line = false;
}

char Input_File::get_char() {
  for (;;) {
    if (!fill(1)) raise(io_exceptions::END_ERROR, name_ + ": end of file");
    if (const std::size_t t = terminator_length(); t > 0) {
      pos_ += t;
      line_start_ = true;
      continue;
    }
    line_start_ = false;
    return data_[pos_++];
  }
}

// --------------------------------------------------------------- output

Output_File::~Output_File() {
  try {
    if (kind_ == Kind::descriptor) flush();
  } catch (...) {
  }
  if (owns_fd_ && fd_ >= 0) ::close(fd_);
}

void Output_File::create(std::string_view name) {
  if (!open_unemptied(name, Rules::by_folder)) {
    raise(io_exceptions::NAME_ERROR, std::string(name) + ": a FIFO that no program reads");
  }
  empty();
}

void Output_File::create_in_shared_folder(std::string_view name) {
  open_unemptied(name, Rules::shared_folder);
  empty();
}

bool Output_File::open_unemptied(std::string_view name, Rules rules) {
  if (is_open()) raise(io_exceptions::USE_ERROR, "file already open");
  std::string path(name);
  std::string made;
  const int fd = rules == Rules::shared_folder || in_shared_folder(path)
                     ? open_in_shared_folder(path.c_str(), made)
                     : open_in_own_folder(path.c_str(), made);
  struct stat status {};
  if (fd < 0) {
    const int error = errno;
    if (error == ENXIO && ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode)) return false;
    errno = error;
    raise(io_exceptions::NAME_ERROR, system_reason(name));
  }
  // Opened without waiting; from here on a write waits for room as usual.
  if (::fstat(fd, &status) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    const std::string reason = system_reason(name);
    ::close(fd);
    if (!made.empty()) ::unlink(made.c_str());
    raise(io_exceptions::NAME_ERROR, reason);
  }
  take(fd, std::move(path));
  made_ = std::move(made);
  regular_ = S_ISREG(status.st_mode);
  identity_ = File_Identity{std::uint64_t(status.st_dev), std::uint64_t(status.st_ino)};
  return true;
}

void Output_File::empty() {
  if (kind_ != Kind::descriptor) raise(io_exceptions::USE_ERROR, "file not open");
  // What an existing file held goes; a FIFO or a device has nothing to lose.
  if (regular_ && ::ftruncate(fd_, 0) != 0) {
    const std::string reason = system_reason(name_);
    abandon();
    raise(io_exceptions::NAME_ERROR, reason);
  }
  made_.clear();
}

void Output_File::abandon() noexcept {
  if (kind_ != Kind::descriptor) return;
  if (owns_fd_) ::close(fd_);
  if (!made_.empty()) ::unlink(made_.c_str());
  kind_ = Kind::closed;
  fd_ = -1;
  owns_fd_ = false;
  made_.clear();
  pending_.clear();
  col_ = 1;
}

void Output_File::take(int fd, std::string path) {
  kind_ = Kind::descriptor;
  fd_ = fd;
  owns_fd_ = true;
  name_ = std::move(path);
  pending_.clear();
  col_ = 1;
}

void Output_File::create_in_memory() {
  if (is_open()) raise(io_exceptions::USE_ERROR, "file already open");
  kind_ = Kind::memory;
  pending_.clear();
  col_ = 1;
}

void Output_File::close() {
  if (kind_ == Kind::descriptor) {
    flush();
    if (owns_fd_) ::close(fd_);
    fd_ = -1;
    owns_fd_ = false;
    made_.clear();
    pending_.clear();
  }
  if (kind_ != Kind::memory) kind_ = Kind::closed;
  col_ = 1;
}

void Output_File::flush() {
  if (kind_ != Kind::descriptor || pending_.empty()) return;
  if (silenced_) {
    pending_.clear();
    return;
  }
  if (write_all(fd_, pending_.data(), pending_.size())) {
    pending_.clear();
    return;
  }
  // What was not written is dropped, so that no later flush writes it twice.
  const std::string reason = system_reason(name_);
  pending_.clear();
  if (!standard_) raise(io_exceptions::DEVICE_ERROR, reason);
  silenced_ = true;
}

void Output_File::put(char item) {
  if (kind_ == Kind::closed) raise(io_exceptions::USE_ERROR, "file not open");
  pending_.push_back(item);
  if (item == '\n') {
    col_ = 1;
  } else {
    ++col_;
  }
  if (kind_ == Kind::descriptor && pending_.size() >= chunk_size) flush();
}

void Output_File::put(std::string_view item) {
  if (kind_ == Kind::closed) raise(io_exceptions::USE_ERROR, "file not open");
  pending_.append(item);
  const std::size_t newline = item.rfind('\n');
  if (newline == std::string_view::npos) {
    col_ += int(item.size());
  } else {
    col_ = int(item.size() - newline);
  }
  if (kind_ == Kind::descriptor && pending_.size() >= chunk_size) flush();
}

void Output_File::new_line(int spacing) {
  for (int i = 0; i < spacing; ++i) put('\n');
}

void Output_File::set_col(int c) {
  if (c < 1) raise(standard::CONSTRAINT_ERROR, "column below 1");
  if (col_ > c) {
    new_line();
  }
  if (col_ < c) put(std::string(std::size_t(c - col_), ' '));
}

Output_File& standard_output() {
  static Output_File out;
  if (out.kind_ == Output_File::Kind::closed) {
    out.kind_ = Output_File::Kind::descriptor;
    out.fd_ = 1;
    out.owns_fd_ = false;
    out.standard_ = true;
    out.name_ = "standard output";
  }
  return out;
}

void ignore_failed_write_signals() noexcept {
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

Input_File& standard_input() {
  static Input_File in;
  if (!in.is_open()) {
    // A duplicate descriptor, so that closing the file leaves 0 alone. When
    // 0 is not open the file stays closed and reading it is a USE_ERROR.
    const int fd = ::fcntl(0, F_DUPFD_CLOEXEC, 0);
    if (fd >= 0) {
      in.fd_ = fd;
      in.name_ = "standard input";
      in.filled_ = 0;
      in.pos_ = 0;
      in.eof_ = false;
      in.line_start_ = true;
      in.reset_window();
    }
  }
  return in;
}

Standard_Output_Capture::Standard_Output_Capture() {
  Output_File& out = standard_output();
  out.flush();
  out.kind_ = Output_File::Kind::memory;
  out.pending_.clear();
  out.col_ = 1;
}

Standard_Output_Capture::~Standard_Output_Capture() {
  Output_File& out = standard_output();
  out.pending_.clear();
  out.kind_ = Output_File::Kind::descriptor;
  out.col_ = 1;
}

std::string Standard_Output_Capture::text() const { return standard_output().pending_; }

// --------------------------------------------------------------- fields

std::string integer_image(std::int64_t value) {
  std::string text = std::to_string(value);
  if (value >= 0) text.insert(text.begin(), ' ');
  return text;
}

std::string integer_field(std::int64_t value, int width) {
  std::string text = std::to_string(value);
  if (int(text.size()) < width) text.insert(0, std::size_t(width) - text.size(), ' ');
  return text;
}

std::string fixed_field(double value, int fore, int aft) {
  if (aft < 1) aft = 1;
  const int field = fore + 1 + aft;
  std::string text;
  if (std::isnan(value) || std::isinf(value)) {
    text = std::isnan(value) ? "NaN" : (value < 0 ? "-Inf" : "Inf");
  } else {
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    // Enough digits for the exact binary value, so that a tie is seen as one.
    int exact_digits = 0;
    if (magnitude != 0.0) {
      int exponent;
      const double mantissa = std::frexp(magnitude, &exponent);
      std::uint64_t bits = std::uint64_t(std::ldexp(mantissa, 53));
      int low = exponent - 53;
      while (bits != 0 && (bits & 1u) == 0) {
        bits >>= 1;
        ++low;
      }
      exact_digits = low < 0 ? -low : 0;
    }
    const int precision = exact_digits > aft + 1 ? exact_digits : aft + 1;
    // At most 309 integer digits and 1075 fraction digits for a double.
    char buffer[1536];
    const int size = std::snprintf(buffer, sizeof buffer, "%.*f", precision, magnitude);
    const std::string digits(buffer, std::size_t(size > 0 ? size : 0));
    const std::size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string fraction = digits.substr(point + 1, std::size_t(aft));
    const bool round_up = digits[point + 1 + std::size_t(aft)] >= '5';
    if (round_up) {
      int i = aft - 1;
      for (; i >= 0; --i) {
        if (fraction[std::size_t(i)] == '9') {
          fraction[std::size_t(i)] = '0';
        } else {
          ++fraction[std::size_t(i)];
          break;
        }
      }
      if (i < 0) {
        int j = int(whole.size()) - 1;
        for (; j >= 0; --j) {
          if (whole[std::size_t(j)] == '9') {
            whole[std::size_t(j)] = '0';
          } else {
            ++whole[std::size_t(j)];
            break;
          }
        }
        if (j < 0) whole.insert(whole.begin(), '1');
      }
    }
    text = (negative ? "-" : "") + whole + "." + fraction;
  }
  if (int(text.size()) < field) text.insert(0, std::size_t(field) - text.size(), ' ');
  return text;
}

void put_integer(Output_File& file, std::int64_t value, int width) {
  file.put(integer_field(value, width));
}

void put_fixed(Output_File& file, double value, int fore, int aft) {
  file.put(fixed_field(value, fore, aft));
}

// ---------------------------------------------------------------- input

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Index (offset) of the first character that is neither blank nor tab;
// END_ERROR when there is none.
std::size_t skip_blanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i == text.size()) raise(io_exceptions::END_ERROR, "no number before the end of the text");
  return i;
}

}  // namespace

Integer_Read get_integer(std::string_view text, std::int32_t first) {
  std::size_t i = skip_blanks(text);
  const std::size_t start = i;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  if (i == digits) raise(io_exceptions::DATA_ERROR, "no integer literal");
  std::int64_t value = 0;
  for (std::size_t k = digits; k < i; ++k) {
    value = value * 10 + (text[k] - '0');
    if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1) {
      raise(io_exceptions::DATA_ERROR, "integer out of range");
    }
  }
  if (text[start] == '-') value = -value;
  if (value > std::numeric_limits<std::int32_t>::max() ||
      value < std::numeric_limits<std::int32_t>::min()) {
    raise(io_exceptions::DATA_ERROR, "integer out of range");
  }
  return {std::int32_t(value), std::int32_t(first + std::int64_t(i) - 1)};
}

Float_Read get_float(std::string_view text, std::int32_t first) {
  std::size_t i = skip_blanks(text);
  const std::size_t start = i;
  if (text[i] == '+' || text[i] == '-') ++i;
  const std::size_t digits = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  if (i == digits) raise(io_exceptions::DATA_ERROR, "no real literal");
  if (i + 1 < text.size() && text[i] == '.' && is_digit(text[i + 1])) {
    i += 2;
    while (i < text.size() && is_digit(text[i])) ++i;
  }
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    std::size_t k = i + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (k < text.size() && is_digit(text[k])) {
      while (k < text.size() && is_digit(text[k])) ++k;
      i = k;
    }
  }
  std::size_t from = start;
  if (text[from] == '+') ++from;
  float value = 0.0f;
  const auto result = std::from_chars(text.data() + from, text.data() + i, value);
  if (result.ec == std::errc::result_out_of_range) {
    // Underflow to zero is a value; overflow is not.
    double wide = 0.0;
    std::from_chars(text.data() + from, text.data() + i, wide);
    if (std::fabs(wide) > double(std::numeric_limits<float>::max()) || std::isinf(wide)) {
      raise(io_exceptions::DATA_ERROR, "real out of range");
    }
    value = float(wide);
  } else if (result.ec != std::errc() || std::isinf(value)) {
    raise(io_exceptions::DATA_ERROR, "real out of range");
  }
  return {value, std::int32_t(first + std::int64_t(i) - 1)};
}

}  // namespace platform
