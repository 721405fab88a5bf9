// Exceptions that carry an identity, a message and an information text.
//
// Every unit declares its exceptions as `inline constexpr Exception_Id`
// objects; an inline variable has one address in the whole program, so
// handlers compare identities by address and never look at the text.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace platform {

struct Exception_Id {
  const char* name;  // printed full name, e.g. "STRLIB.INDEX_ERROR"
};

class Error : public std::exception {
 public:
  Error(const Exception_Id& id, std::string message);

  const Exception_Id& identity() const noexcept { return *id_; }
  bool is(const Exception_Id& id) const noexcept { return id_ == &id; }
  const char* name() const noexcept { return id_->name; }
  const std::string& message() const noexcept { return message_; }
  // The occurrence as one text: "raised NAME : message" (no message: "raised NAME").
  std::string information() const;

  const char* what() const noexcept override { return what_.c_str(); }

 private:
  const Exception_Id* id_;
  std::string message_;
  std::string what_;
};

[[noreturn]] void raise(const Exception_Id& id, std::string message = {});

// The message of a plain raise: the raising unit and the number of the place
// it raises at, "strlib:500". The numbers come from each unit's table of its
// places; they are printed, so they never change.
std::string place(std::string_view unit, int number);

}  // namespace platform

// Exceptions of the run-time and its input-output library.
namespace io_exceptions {
inline constexpr platform::Exception_Id NAME_ERROR{"IO_EXCEPTIONS.NAME_ERROR"};
inline constexpr platform::Exception_Id END_ERROR{"IO_EXCEPTIONS.END_ERROR"};
inline constexpr platform::Exception_Id DATA_ERROR{"IO_EXCEPTIONS.DATA_ERROR"};
inline constexpr platform::Exception_Id USE_ERROR{"IO_EXCEPTIONS.USE_ERROR"};
inline constexpr platform::Exception_Id LAYOUT_ERROR{"IO_EXCEPTIONS.LAYOUT_ERROR"};
inline constexpr platform::Exception_Id DEVICE_ERROR{"IO_EXCEPTIONS.DEVICE_ERROR"};
}  // namespace io_exceptions

namespace standard {
inline constexpr platform::Exception_Id CONSTRAINT_ERROR{"CONSTRAINT_ERROR"};
inline constexpr platform::Exception_Id STORAGE_ERROR{"STORAGE_ERROR"};
}  // namespace standard
