// What the process entry does before anything else: descriptors and memory
// that the rest of the run relies on.
#pragma once

#include <string_view>

namespace platform {

// What a program's entry does first, in the order it needs: standard
// descriptors (before anything opens a file), the command line, writes to a
// closed pipe or past the file-size limit failing rather than killing the
// process, and the memory reserve. False when not even the reserve can be
// had: the program then writes its report with write_standard_output_directly
// and stops.
bool start_up(int argc, const char* const* argv) noexcept;

// The end of a run: what standard output still holds is written; a standard
// output that is gone is left unreported, there being nowhere to say so.
void finish_standard_output() noexcept;

// Descriptors 0, 1 and 2 open: one that is closed is opened on /dev/null, so
// that no file the program opens takes the place of standard input, output
// or error (and gets standard output's text written into it).
void open_standard_descriptors() noexcept;

// Sets a little memory aside and gives it back at the first allocation that
// fails, which then raises std::bad_alloc: the failure can still be raised,
// caught and reported, even when the run-time's own reserve for exceptions
// could not be had. False when not even that little memory is there.
bool keep_memory_reserve() noexcept;

// Text written straight to descriptor 1, without allocating anything: for
// the one report left when no memory at all can be had.
void write_standard_output_directly(std::string_view text) noexcept;

}  // namespace platform
