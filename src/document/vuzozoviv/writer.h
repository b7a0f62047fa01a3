// The work-file writer: serialises a paper, or a range of its pages, in the fixed
// layout other programs of the package read (element and attribute order,
// indentation, CR LF, the irregular blanks), in Shift_JIS or EUC-JP.
#pragma once

#include <string>
#include <string_view>

#include "document/model/model.h"
#include "io/byte_io.h"

namespace lexova::vuzozoviv {

// Writes pages firstPage..lastPage (indexes from 0, inclusive, -1 for no bound) in
// `encoding` (0: the paper's own; 1 Shift_JIS; anything else EUC-JP). Link ids are
// numbered afresh in each block that holds an annotation line; a block type the
// format does not know is written as text. The paper is not changed. Returns 0;
// the sink reports its own failures by throwing io::IoError.
int writePaper(const COcrPaper& paper, io::ByteSink& out, int encoding = 0, int firstPage = -1, int lastPage = -1);

enum WriteFileResult : int { kWriteOk = 0, kCreateError = -1, kWriteError = -2 };

// writePaper into path, safely: a temporary file beside it, then a rename. A work
// file marked read-only is refused, not replaced. On failure the target is
// untouched and *error (when given) says why.
int writePaperFile(const COcrPaper& paper, const std::string& path, int encoding = 0, int firstPage = -1,
                   int lastPage = -1, std::string* error = nullptr);

// The Unicode flag the writer gives a character's result: 0 plain text, 1 the
// first unit has no form in the encoding, 2 the code has a second unit.
int unicodeFlag(const CharCode& code, int encoding);

}  // namespace lexova::vuzozoviv
