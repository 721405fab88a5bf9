// The sequence editor: reads one sequence file, reverses, complements, cuts,
// mutates or translates it, and writes it whole or in overlapping windows.
#pragma once

#include <cstdint>

#include "platform/exceptions.h"
#include "sequence_specifications-basic.h"

namespace brakto {

inline constexpr platform::Exception_Id INVALID_POSITION{"BRAKTO.INVALID_POSITION"};
inline constexpr platform::Exception_Id INVALID_COUPLE{"BRAKTO.INVALID_COUPLE"};
inline constexpr platform::Exception_Id OUT_OF_SEQUENCE{"BRAKTO.OUT_OF_SEQUENCE"};
// An output file would replace the sequence file; the message is its name.
inline constexpr platform::Exception_Id OUTPUT_IS_INPUT{"BRAKTO.OUTPUT_IS_INPUT"};
// An output file is another output file of the run (windows whose names lead
// to one file); the message is its name.
inline constexpr platform::Exception_Id SAME_OUTPUT{"BRAKTO.SAME_OUTPUT"};

// Where the editor raises: the number that follows "brakto" in the message,
// "brakto:111". These numbers are part of the printed messages and never
// change, whatever becomes of the source.
enum class Place : int {
  reversed_couple = 111, lone_start = 119,
  overlap_not_below_length = 146, unknown_word = 174, no_sequence_file = 181, windows_and_positions = 198,
  line_length_below_1 = 199,
  couple_outside = 477,
};

// Raises Id with the place as its message, "brakto:111".
[[noreturn]] void Raise_At(const platform::Exception_Id& id, Place place);

// One couple of positions, Stop never below Start.
struct Position_Couple {
  Position_Couple* Previous = nullptr;
  Position_Couple* Next = nullptr;
  std::int32_t Start = 0;
  std::int32_t Stop = 0;
};

// A doubly linked list of couples in the order they were appended. It owns
// its nodes and frees them all when it goes.
class Couple_List {
 public:
  Couple_List() = default;
  ~Couple_List();
  Couple_List(Couple_List&& other) noexcept;
  Couple_List& operator=(Couple_List&& other) noexcept;
  Couple_List(const Couple_List&) = delete;
  Couple_List& operator=(const Couple_List&) = delete;

  // Appends (Start, Stop) after the last node; a Stop below Start raises
  // BRAKTO.INVALID_POSITION and appends nothing.
  void Append(std::int32_t start, std::int32_t stop);
  void Clear() noexcept;

  const Position_Couple* First() const noexcept { return first_; }
  const Position_Couple* Last() const noexcept { return last_; }
  std::int32_t Count() const noexcept { return count_; }
  bool Is_Empty() const noexcept { return count_ == 0; }

 private:
  Position_Couple* first_ = nullptr;
  Position_Couple* last_ = nullptr;
  std::int32_t count_ = 0;
};

// Raises CONSTRAINT_ERROR unless the working range First..Last is empty or
// lies within the bounds of Text, so that no operation reads outside it.
void Check_Working_Range(const sequence_specifications::basic::SEQUENCE_DATA& sequence);

// What escapes the run-time's own exceptions (never expected).
inline constexpr platform::Exception_Id PROGRAM_ERROR{"PROGRAM_ERROR"};

// The main procedure: reads its work from the process's command line and
// reports everything, failures included, on standard output. Nothing escapes.
void Brakto() noexcept;

}  // namespace brakto
