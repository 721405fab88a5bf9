// Text files: line-oriented input, column-tracked output, numeric fields.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_identity.h"

namespace platform {

// A text file open for reading. Lines end with a line feed, a carriage
// return and a line feed, or a carriage return alone (the files of classic
// Mac editors); the last line may lack one. A terminator ends a line:
// "abc\n" holds one line, "abc\n\n" two, the second empty. A pipe, a
// FIFO or a device is read whole at its first opening and served from that
// copy to every opening of the same name in the process.
class Input_File {
 public:
  Input_File() = default;
  ~Input_File();
  Input_File(const Input_File&) = delete;
  Input_File& operator=(const Input_File&) = delete;

  // IO_EXCEPTIONS.NAME_ERROR when the file cannot be opened, is a folder or
  // its name holds a NUL character.
  void open(std::string_view name);
  void close() noexcept;
  bool is_open() const noexcept { return fd_ >= 0 || kept_ != nullptr; }

  // True at the start of a line with nothing left to read; after part of a
  // line has been read, the rest of that line (perhaps empty) is still there.
  bool end_of_file();
  bool end_of_line();
  // True when the next read begins a line: nothing of the current one has
  // been read, or the last read reached its end.
  bool at_line_start() const noexcept { return line_start_; }

  // Reads the rest of the current line into Buffer and returns the part
  // filled. A line longer than the buffer arrives in pieces of at most
  // Buffer.size() characters (at_line_start() is false between them); the
  // line terminator is consumed with the piece that reaches it.
  // IO_EXCEPTIONS.END_ERROR at end of file.
  std::string_view get_line(std::span<char> buffer);
  // The whole rest of the line, whatever its length.
  std::string get_line();
  // Passes over the rest of the current line and its terminator.
  void skip_line();

  // The next character without consuming it; End_Of_Line is true (and the
  // character meaningless) when a line terminator or the end is next.
  void look_ahead(char& item, bool& end_of_line);
  // The next character, passing over line terminators; END_ERROR at the end.
  char get_char();

 private:
  friend Input_File& standard_input();
  // At least Wanted bytes available, unless at the end. Reads no more than
  // the descriptor has ready once Wanted bytes are there.
  bool fill(std::size_t wanted);
  std::size_t read_piece(char* out, std::size_t capacity);
  std::size_t terminator_length();  // of the line terminator next, 0 when none
  void reset_window() noexcept;

  int fd_ = -1;
  std::shared_ptr<const std::string> kept_;  // the whole content, when kept
  std::string name_;
  // What was read ahead: only its first Filled bytes hold anything. Never
  // cleared beforehand, since nothing past Filled is looked at.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = 0;
  std::size_t filled_ = 0;
  const char* data_ = nullptr;  // the bytes at hand: buffer_, or *kept_
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  bool eof_ = false;
  bool line_start_ = true;
};

// A text file open for writing, or standard output. The current column is
// tracked per file; columns count from 1. A failed write raises
// IO_EXCEPTIONS.DEVICE_ERROR naming the file, except on standard output:
// once a write there fails (a reader gone, a full device), standard output
// takes nothing more and the program goes on with its files. A write that
// would block (a non-blocking descriptor whose reader is slow) waits.
class Output_File {
 public:
  Output_File() = default;
  ~Output_File();
  Output_File(const Output_File&) = delete;
  Output_File& operator=(const Output_File&) = delete;

  // Creates (or replaces) the named file; IO_EXCEPTIONS.NAME_ERROR on failure.
  // A FIFO is written to when a program reads it; one that nothing reads is
  // a NAME_ERROR at once, rather than a wait. In a folder that others write
  // into (sticky, and writable by its group or by others, as /tmp), the
  // name is taken as create_in_shared_folder takes it.
  void create(std::string_view name);
  // The same for a folder that others may write into, such as /tmp: a name
  // there may already lead elsewhere. Never follows a symbolic link, and
  // replaces only a regular file of the user's own that no other name leads
  // to; anything else is a NAME_ERROR.
  void create_in_shared_folder(std::string_view name);

  // A creation in two steps, so that a run can look at every file it will
  // write before any of them loses what it holds. Open_Unemptied takes the
  // file as create (by_folder) or create_in_shared_folder (shared_folder)
  // would, but leaves its contents; a missing file is made. False, with
  // nothing opened, for a FIFO that nothing reads. Then either Empty, which
  // ends the creation, or Abandon, which closes the file and removes it
  // again when this opening made it.
  enum class Rules { by_folder, shared_folder };
  bool open_unemptied(std::string_view name, Rules rules);
  void empty();
  void abandon() noexcept;
  // The file opened by the calls above.
  const File_Identity& identity() const noexcept { return identity_; }
  // Collects the output in memory (for tests); contents() reads it.
  void create_in_memory();
  void close();
  bool is_open() const noexcept { return kind_ != Kind::closed; }
  const std::string& contents() const noexcept { return pending_; }

  void put(char item);
  void put(std::string_view item);
  void new_line(int spacing = 1);
  void put_line(std::string_view item) {
    put(item);
    new_line();
  }

  int col() const noexcept { return col_; }
  // Blanks up to column C; nothing when already there; when past C, a line
  // end and C - 1 blanks on the next line.
  void set_col(int c);

  void flush();

 private:
  friend Output_File& standard_output();
  friend class Standard_Output_Capture;
  enum class Kind { closed, descriptor, memory };

  void take(int fd, std::string path);

  Kind kind_ = Kind::closed;
  int fd_ = -1;
  bool owns_fd_ = false;
  std::string made_;      // the path of the file this opening made, if it made one
  bool regular_ = false;  // a regular file: emptying it truncates it
  File_Identity identity_{};
  bool standard_ = false;  // standard output: a failed write silences it
  bool silenced_ = false;
  std::string name_;
  std::string pending_;
  int col_ = 1;
};

Output_File& standard_output();

// Writes all Size bytes at Data to descriptor FD; false, with errno set, when
// the system refuses a write. A descriptor left non-blocking by whoever
// started the program refuses a write only for the moment when its reader is
// slow: the write waits until it can go on.
bool write_all(int fd, const char* data, std::size_t size) noexcept;

// A reader of standard output that goes away, or a file that reaches the
// size limit the process was given, makes the write fail instead of ending
// the process: the failure is then reported, or (standard output) passed
// over so that the files being written are finished.
void ignore_failed_write_signals() noexcept;

// Standard input as a text file. Closing it leaves descriptor 0 open; the
// next call reopens it there.
Input_File& standard_input();

// While alive, everything written to standard output is kept in memory.
class Standard_Output_Capture {
 public:
  Standard_Output_Capture();
  ~Standard_Output_Capture();
  Standard_Output_Capture(const Standard_Output_Capture&) = delete;
  Standard_Output_Capture& operator=(const Standard_Output_Capture&) = delete;
  std::string text() const;
};

// Decimal digits, a leading blank when not negative, "-" when negative.
std::string integer_image(std::int64_t value);
// The value right-aligned in Width characters, widened when it needs more.
std::string integer_field(std::int64_t value, int width);
// The value rounded (half away from zero) to Aft digits, fixed notation,
// integer part with its sign right-aligned in Fore characters.
std::string fixed_field(double value, int fore, int aft);

void put_integer(Output_File& file, std::int64_t value, int width);
void put_fixed(Output_File& file, double value, int fore, int aft);

// Formatted input from a string whose first character has index First.
// Leading blanks and tabs are skipped. END_ERROR when nothing else is
// there, DATA_ERROR when no number of the kind starts there or it does not
// fit. Last is the index of the number's last character.
struct Integer_Read {
  std::int32_t value;
  std::int32_t last;
};
struct Float_Read {
  float value;
  std::int32_t last;
};
Integer_Read get_integer(std::string_view text, std::int32_t first = 1);
Float_Read get_float(std::string_view text, std::int32_t first = 1);

}  // namespace platform
