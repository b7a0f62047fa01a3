// The corrected text as Unicode text: UTF-16LE with a byte order mark, the
// characters of every line as they stand, a line-break character as CR LF, table
// cells separated by TAB and rows ended by CR LF. No paragraph logic of its own:
// the text flow is what reconstruction left in the model.
#pragma once

#include <string>

#include "document/model/model.h"
#include "host/host.h"
#include "io/byte_io.h"

namespace lexova::exporting {

// Writes the pages first..last (positions from 0, inclusive) to out, byte order
// mark first. A lone surrogate is written as U+FFFD.
void writeUnicodeText(const COcrPaper& paper, int first, int last, io::ByteSink& out);

// writeUnicodeText into path through the safe file writer (an existing file stays
// whole on failure). Returns 0, or -1 after telling the user "ファイル %s が保存
// できません。".
int WriteUnicodeText(const COcrPaper& paper, const std::u16string& path, int first, int last, Host& host);

}  // namespace lexova::exporting
