// The aligner's one place where failures become words.
#pragma once

#include "platform/exceptions.h"

namespace zarn_report {

// Writes "Program interrupted!" and the sentence that the exception's
// identity and message key select, on standard output. It never raises:
// a message that lacks a word the sentence needs reads that word as empty.
void Report_Exception(const platform::Error& occurrence) noexcept;

}  // namespace zarn_report
