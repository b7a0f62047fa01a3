#include "editing/block_frames.h"

namespace lexova {

void rebuildFrames(PageEntry& entry, const COcrPage& page) {
  entry.frames.clear();
  entry.frames.reserve(page.blocks.size());
  entry.referenceCount = 0;
  for (const COcrBlock& b : page.blocks) {
    BlockFrame f;
    f.x = b.x, f.y = b.y, f.width = b.width, f.height = b.height;
    f.sec = b.sec;
    f.kind = b.type;
    f.direction = b.direction;
    if (b.sec == kSecRef) f.refNumber = ++entry.referenceCount;
    entry.frames.push_back(f);
  }
  entry.changed = false;
}

}  // namespace lexova
