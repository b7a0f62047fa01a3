// The work-file reader: a hand-written, line-buffered scanner for exactly the
// element and attribute layout the recognition engine and our writer produce.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "document/model/model.h"
#include "io/byte_io.h"

namespace lexova::vuzozoviv {

// Results of a read. Any other code is shown as an unspecified error.
enum ReadCode : int {
  kReadOk = 0,
  kFileOpenError = -1,   // the file cannot be opened (reported by the caller)
  kTagError = -4,        // a tag is missing or misplaced
  kAttributeError = -5,  // an attribute is missing, misspelt or malformed
  kEncodingError = -6,   // the declared encoding is neither Shift_JIS nor EUC-JP
  kNoDataError = -7,     // no data at all, or nothing after the XML declaration
  kElementError = -8,    // an element's content is malformed
  kOtherError = -9,      // the input could not be read or memory ran out
};

// The progress window the reader drives while it reads.
class ReadProgress {
 public:
  virtual ~ReadProgress() = default;
  virtual void setText(std::u16string_view text) = 0;
  // Centres the window and shows it.
  virtual void show() = 0;
};

struct ReadResult {
  std::unique_ptr<COcrPaper> paper;  // null on failure
  int code = kReadOk;
  int line = 0;        // lineNumber of the scanner at the error
  std::string detail;  // for kFileOpenError and failed reads: what the system said
};

// Reads a whole work file. On failure nothing of the partly built paper is kept.
ReadResult readPaper(io::ByteSource& in, ReadProgress* progress = nullptr);
// Opens and reads path; an open failure, or a path that is not a regular file,
// gives kFileOpenError.
ReadResult readPaperFile(const std::string& path, ReadProgress* progress = nullptr);

// The message the document shows for a read result ("タグが間違っています。[12行目]").
std::u16string readErrorMessage(int code, int line);

// The number reading of attribute values: a decimal floating-point number
// (leading blanks, sign, fraction, exponent; stops at the first unusable
// character; nothing usable is 0) truncated toward zero. Values beyond the int
// range saturate to INT_MAX or INT_MIN by their sign.
int parseNumber(std::u16string_view value);

}  // namespace lexova::vuzozoviv
