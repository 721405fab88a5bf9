#include "kernel/sequence_alignment-kernel.h"

#include "platform/text_io.h"

namespace sequence_alignment::kernel {

void internal_error(const Error_Context& context, Place place, const char* printed) {
  if (printed) platform::standard_output().put_line(printed);
  platform::raise(*context.internal_error, platform::place(context.unit, int(place)) + " instantiated at " +
                                                platform::place(context.unit, context.instantiated_at));
}

std::int32_t to_score(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min()) {
    platform::raise(standard::CONSTRAINT_ERROR, "alignment score beyond the 32-bit range");
  }
  return std::int32_t(value);
}

}  // namespace sequence_alignment::kernel
