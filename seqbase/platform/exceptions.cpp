#include "platform/exceptions.h"

#include <utility>

namespace platform {

Error::Error(const Exception_Id& id, std::string message)
    : id_(&id), message_(std::move(message)) {
  what_ = std::string(id_->name) + (message_.empty() ? "" : ": " + message_);
}

std::string Error::information() const {
  std::string text = "raised ";
  text += id_->name;
  if (!message_.empty()) {
    text += " : ";
    text += message_;
  }
  return text;
}

void raise(const Exception_Id& id, std::string message) { throw Error(id, std::move(message)); }

std::string place(std::string_view unit, int number) {
  return std::string(unit) + ":" + std::to_string(number);
}

}  // namespace platform
