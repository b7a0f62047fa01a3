// Standard output of the lexova tool, with its first failure remembered: output
// that did not arrive (a full disk, a closed pipe) makes the command fail.
#pragma once

#include <cstdio>
#include <string_view>

namespace lexova::cli {

// Writes bytes to out; a failure on standard output is remembered.
void writeTo(std::FILE* out, std::string_view bytes);
// Flushes out; a failure on standard output is remembered. False on failure.
bool flushTo(std::FILE* out);
// The error (an errno value) of the first failed write to standard output, 0 when none.
int standardOutputError();

}  // namespace lexova::cli
