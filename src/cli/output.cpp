#include "cli/output.h"

#include <cerrno>

namespace lexova::cli {
namespace {

int firstError = 0;

}  // namespace

void writeTo(std::FILE* out, std::string_view bytes) {
  if (bytes.empty()) return;
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() && out == stdout && firstError == 0) {
    firstError = errno != 0 ? errno : EIO;
  }
}

bool flushTo(std::FILE* out) {
  errno = 0;
  if (std::fflush(out) == 0 && !std::ferror(out)) return true;
  if (out == stdout && firstError == 0) firstError = errno != 0 ? errno : EIO;
  return false;
}

int standardOutputError() {
  return firstError;
}

}  // namespace lexova::cli
