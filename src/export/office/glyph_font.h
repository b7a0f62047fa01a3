// A font file as the XPS writer uses it: glyph indices (and the vertical forms
// of vertical text) by character, advances, and a subset of the glyphs used,
// through HarfBuzz.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace lexova::office {

class GlyphFont {
 public:
  // The font in path (the first face of a collection); nothing when it cannot be read.
  static std::unique_ptr<GlyphFont> load(const std::string& path);
  ~GlyphFont();
  GlyphFont(const GlyphFont&) = delete;
  GlyphFont& operator=(const GlyphFont&) = delete;

  const std::string& path() const { return path_; }
  // The glyph of a character (0 when the font lacks it), and its vertical form.
  unsigned glyph(char32_t c) const;
  unsigned verticalGlyph(char32_t c) const;
  // The advance of a glyph in hundredths of the em, as XPS indices take it.
  double advance(unsigned glyph) const;
  // The ascender as a share of the em.
  double ascent() const;
  // A font of the given characters and glyphs, glyph indices kept; empty when
  // HarfBuzz cannot make it.
  std::vector<std::uint8_t> subset(const std::set<char32_t>& characters, const std::set<unsigned>& glyphs) const;
  // The whole font file.
  std::vector<std::uint8_t> bytes() const;

 private:
  GlyphFont() = default;
  std::string path_;
  struct Handles;
  std::unique_ptr<Handles> h_;
};

}  // namespace lexova::office
