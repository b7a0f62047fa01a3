// The document's entry for each page: the block frames the views draw and select
// (parallel to the page's blocks), whether the page's blocks were changed since
// the frames were built, and the page list's edit mark.
#pragma once

#include <vector>

#include "document/model/model.h"

namespace lexova {

struct BlockFrame {
  int x = 0, y = 0, width = 0, height = 0;  // the block's box in page-image pixels
  int sec = kSecText;
  int kind = kBlockText;  // the block's type
  int direction = kHorizontal;
  int refNumber = 0;  // reference blocks (sec 1): their order from 1 among the page's; else 0
  int selected = 0;
};

struct PageEntry {
  std::vector<BlockFrame> frames;
  int referenceCount = 0;
  bool changed = false;  // the block edits set it; rebuilding the frames clears it
  bool edited = false;   // the page list's "*" mark
};

// Rebuilds the frames from the page's blocks, nothing selected; clears `changed`
// and keeps the edit mark.
void rebuildFrames(PageEntry& entry, const COcrPage& page);

}  // namespace lexova
