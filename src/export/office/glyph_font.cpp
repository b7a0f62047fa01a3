#include "export/office/glyph_font.h"

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

namespace lexova::office {

struct GlyphFont::Handles {
  hb_blob_t* blob = nullptr;
  hb_face_t* face = nullptr;
  hb_font_t* font = nullptr;
  unsigned upem = 1000;
  ~Handles() {
    if (font != nullptr) hb_font_destroy(font);
    if (face != nullptr) hb_face_destroy(face);
    if (blob != nullptr) hb_blob_destroy(blob);
  }
};

std::unique_ptr<GlyphFont> GlyphFont::load(const std::string& path) {
  std::unique_ptr<GlyphFont> f(new GlyphFont);
  f->path_ = path;
  f->h_ = std::make_unique<Handles>();
  f->h_->blob = hb_blob_create_from_file_or_fail(path.c_str());
  if (f->h_->blob == nullptr) return nullptr;
  f->h_->face = hb_face_create(f->h_->blob, 0);
  if (hb_face_get_glyph_count(f->h_->face) == 0) return nullptr;
  f->h_->upem = hb_face_get_upem(f->h_->face);
  f->h_->font = hb_font_create(f->h_->face);
  hb_font_set_scale(f->h_->font, static_cast<int>(f->h_->upem), static_cast<int>(f->h_->upem));
  return f;
}

GlyphFont::~GlyphFont() = default;

unsigned GlyphFont::glyph(char32_t c) const {
  hb_codepoint_t g = 0;
  return hb_font_get_nominal_glyph(h_->font, c, &g) ? g : 0;
}

unsigned GlyphFont::verticalGlyph(char32_t c) const {
  hb_buffer_t* buf = hb_buffer_create();
  const std::uint32_t text[1] = {c};
  hb_buffer_add_utf32(buf, text, 1, 0, 1);
  hb_buffer_guess_segment_properties(buf);
  hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
  hb_feature_t vert;
  hb_feature_from_string("vert", -1, &vert);
  hb_shape(h_->font, buf, &vert, 1);
  unsigned count = 0;
  const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &count);
  const unsigned g = count > 0 ? info[0].codepoint : 0;
  hb_buffer_destroy(buf);
  return g != 0 ? g : glyph(c);
}

double GlyphFont::advance(unsigned g) const {
  return hb_font_get_glyph_h_advance(h_->font, g) * 100.0 / h_->upem;
}

double GlyphFont::ascent() const {
  hb_font_extents_t e;
  if (hb_font_get_h_extents(h_->font, &e) && e.ascender > 0) return static_cast<double>(e.ascender) / h_->upem;
  return 0.88;
}

std::vector<std::uint8_t> GlyphFont::subset(const std::set<char32_t>& characters,
                                            const std::set<unsigned>& glyphs) const {
  std::vector<std::uint8_t> out;
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (input == nullptr) return out;
  for (const char32_t c : characters) hb_set_add(hb_subset_input_unicode_set(input), c);
  for (const unsigned g : glyphs) hb_set_add(hb_subset_input_glyph_set(input), g);
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_face_t* sub = hb_subset_or_fail(h_->face, input);
  hb_subset_input_destroy(input);
  if (sub == nullptr) return out;
  hb_blob_t* blob = hb_face_reference_blob(sub);
  unsigned length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  out.assign(reinterpret_cast<const std::uint8_t*>(data), reinterpret_cast<const std::uint8_t*>(data) + length);
  hb_blob_destroy(blob);
  hb_face_destroy(sub);
  return out;
}

std::vector<std::uint8_t> GlyphFont::bytes() const {
  unsigned length = 0;
  const char* data = hb_blob_get_data(h_->blob, &length);
  return std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(data),
                                   reinterpret_cast<const std::uint8_t*>(data) + length);
}

}  // namespace lexova::office
