#include "document/vuzozoviv/scanner.h"

#include <bit>
#include <cstring>

namespace lexova::vuzozoviv {
namespace {
constexpr std::size_t kByteBuffer = 1 << 16;
constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHigh = 0x8080808080808080ull;
// Whether a word of ASCII bytes holds the byte c.
constexpr bool hasByte(std::uint64_t w, std::uint8_t c) {
  const std::uint64_t v = w ^ (kOnes * c);
  return ((v - kOnes) & ~v & kHigh) != 0;
}
// Four bytes to four UTF-16 units (little-endian order, as the buffer is read).
constexpr std::uint64_t widen(std::uint64_t x) {
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
  return (x | (x << 8)) & 0x00FF00FF00FF00FFull;
}
static_assert(std::endian::native == std::endian::little, "the scanner widens bytes in little-endian order");
}  // namespace

LineScanner::LineScanner(io::ByteSource& in) : in_(in), bytes_(new std::uint8_t[kByteBuffer]) {}

// Makes at least n unread bytes available unless the input ends first.
bool LineScanner::ensureBytes(std::size_t n) {
  if (byteEnd_ - bytePos_ >= n) return true;
  if (inputEnded_) return byteEnd_ > bytePos_;
  std::memmove(bytes_.get(), bytes_.get() + bytePos_, byteEnd_ - bytePos_);
  byteEnd_ -= bytePos_;
  bytePos_ = 0;
  while (byteEnd_ < n && !inputEnded_) {
    const std::size_t k = in_.read(bytes_.get() + byteEnd_, kByteBuffer - byteEnd_);
    if (k == 0) inputEnded_ = true;
    byteEnd_ += k;
  }
  return byteEnd_ > bytePos_;
}

bool LineScanner::readLine() {
  len_ = 0;
  pos_ = 0;
  if (endCounted_) return false;
  ++lineNumber_;
  const std::uint8_t* b = bytes_.get();
  while (len_ < kMaxRead) {
    if (bytePos_ == byteEnd_ && !ensureBytes(1)) break;
    // Plain ASCII runs without CR or LF.
    std::size_t p = bytePos_;
    const std::size_t stop = std::min(byteEnd_, p + (kMaxRead - len_));
    // Eight bytes at a time while none is non-ASCII, CR or LF.
    while (p + 8 <= stop) {
      std::uint64_t w;
      std::memcpy(&w, b + p, 8);
      if ((w & kHigh) != 0 || hasByte(w, '\n') || hasByte(w, '\r')) break;
      const std::uint64_t lo = widen(w & 0xFFFFFFFFu), hi = widen(w >> 32);
      std::memcpy(buf_ + len_, &lo, 8);
      std::memcpy(buf_ + len_ + 4, &hi, 8);
      len_ += 8;
      p += 8;
    }
    while (p < stop) {
      const std::uint8_t c = b[p];
      if (c >= 0x80 || c == '\n' || c == '\r') break;
      buf_[len_++] = c;
      ++p;
    }
    bytePos_ = p;
    if (len_ == kMaxRead || bytePos_ == byteEnd_) continue;
    const std::uint8_t c = b[bytePos_];
    if (c == '\n') {
      buf_[len_++] = u'\n';
      ++bytePos_;
      return true;
    }
    if (c == '\r') {
      ensureBytes(2);
      b = bytes_.get();
      if (byteEnd_ - bytePos_ >= 2 && b[bytePos_ + 1] == '\n') {
        buf_[len_++] = u'\n';
        bytePos_ += 2;
        return true;
      }
      buf_[len_++] = u'\r';
      ++bytePos_;
      continue;
    }
    ensureBytes(3);
    b = bytes_.get();
    const text::Decoded d = text::decode(encoding_, b + bytePos_, b + byteEnd_);
    buf_[len_++] = d.unit;
    bytePos_ += d.length;
  }
  if (len_ == 0) {
    endCounted_ = true;
    return false;
  }
  return true;
}

}  // namespace lexova::vuzozoviv
