// The XPS writer: a fixed page per page, its text as Glyphs of an embedded font
// (glyph indices of the installed font, kept by its subset), vertical text one
// glyph at a time in its vertical form, pictures as image brushes.
#include <algorithm>
#include <map>
#include <optional>

#include "export/office/glyph_font.h"
#include "export/office/office_writer.h"
#include "export/office/package_parts.h"
#include "export/office/xml_text.h"
#include "export/office/xps_parts.h"
#include "platform/fonts.h"

namespace lexova::office {

namespace {

constexpr double kPerPoint = 96.0 / 72.0;  // 1/96 inch a point

const char* languageTag(int langId) {
  switch (langId) {
    case 128:
      return "ja";
    case 134:
      return "zh-cn";
    case 136:
      return "zh-tw";
    case 129:
      return "ko";
    default:
      return "en";
  }
}

// The code points of a text, a lone surrogate as U+FFFD.
std::u32string codePoints(std::u16string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    out.push_back(c);
  }
  return out;
}

std::u16string utf16(char32_t c) {
  if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
  c -= 0x10000;
  return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

bool drawable(char32_t c) {
  return c >= 0x20 && c != 0xFFFE && c != 0xFFFF && !(c >= 0x7F && c < 0xA0);
}

class XpsWriter final : public OfficeLibrary::Writer {
 public:
  explicit XpsWriter(OpcPackage& package) : package_(package) {}

  void beginPage(const PageSetup& page) override {
    endPage();
    size_ = {page.widthPt * kPerPoint, page.heightPt * kPerPoint};
    content_ = xpsPageStart(*size_);
    resources_.clear();
    ++pages_;
    sizes_.push_back(*size_);
  }
  void text(const TextArea& area) override {
    if (!size_) return;
    lines(area.rect, area.lines, area.fontSize, -area.linePitch, area.direction == kVerticalText, area.langId);
  }
  void table(const TableArea& area) override {
    if (!size_) return;
    for (const TableCell& cell : area.cells) {
      const RectPt& r = cell.rect;
      xpsStroke(content_,
                {{r.x * kPerPoint, r.y * kPerPoint},
                 {(r.x + r.width) * kPerPoint, r.y * kPerPoint},
                 {(r.x + r.width) * kPerPoint, (r.y + r.height) * kPerPoint},
                 {r.x * kPerPoint, (r.y + r.height) * kPerPoint}},
                true);
      lines(r, cell.lines, cell.fontSize, cell.fontSize * 1.2, area.direction == kVerticalText, area.langId);
    }
  }
  void picture(const ImageArea& area) override {
    if (!size_ || area.data.empty()) return;
    const std::string uri =
        "/Resources/Images/image" + xmlInt(++pictures_) + (area.kind == kPicturePng ? ".png" : ".jpeg");
    package_.addPart(uri.substr(1), area.data);
    resources_.push_back(uri);
    const double res = area.resolution > 0 ? area.resolution : 96;
    xpsImage(content_, uri, area.rect.x * kPerPoint, area.rect.y * kPerPoint, area.rect.width * kPerPoint,
             area.rect.height * kPerPoint, area.pixelWidth * 96.0 / res, area.pixelHeight * 96.0 / res);
  }
  void line(const LineArea& area) override {
    if (!size_) return;
    const RectPt& r = area.rect;
    xpsStroke(content_,
              {{r.x * kPerPoint, r.y * kPerPoint}, {(r.x + r.width) * kPerPoint, (r.y + r.height) * kPerPoint}}, false);
  }
  void endPage() override {
    if (!size_) return;
    const std::string n = xmlInt(pages_);
    package_.addPart("Documents/1/Pages/" + n + ".fpage", content_ + xpsPageEnd());
    package_.addPart("Documents/1/Pages/_rels/" + n + ".fpage.rels", xpsPageRels(resources_));
    size_.reset();
  }
  void font(int langId, std::vector<std::uint8_t> bytes) override { subsets_[groupOf(langId)] = std::move(bytes); }
  std::vector<XpsFontUse> fontUsage() const override {
    std::vector<XpsFontUse> out;
    for (const auto& [group, f] : fonts_) out.push_back({group, f.font->path(), f.characters, f.glyphs});
    return out;
  }

  void finish() override {
    if (finished_) return;
    finished_ = true;
    endPage();
    // Each font used goes in as its subset, else whole.
    for (const auto& [group, f] : fonts_) {
      auto given = subsets_.find(group);
      std::vector<std::uint8_t> bytes =
          given != subsets_.end() ? given->second : f.font->subset(f.characters, f.glyphs);
      if (bytes.empty()) bytes = f.font->bytes();
      if (bytes.empty()) throw io::IoError("the font " + f.font->path() + " cannot be embedded");
      package_.addPart(fontUri(group).substr(1), bytes);
    }
    package_.addPart("[Content_Types].xml", xpsContentTypes());
    package_.addPart("_rels/.rels", xpsPackageRels());
    package_.addPart("FixedDocumentSequence.fdseq", xpsDocumentSequence());
    package_.addPart("Documents/1/FixedDocument.fdoc", xpsFixedDocument(sizes_));
    package_.addPart("docProps/core.xml", coreProperties());
  }

 private:
  struct UsedFont {
    std::unique_ptr<GlyphFont> font;
    std::set<char32_t> characters;
    std::set<unsigned> glyphs;
  };

  static int groupOf(int langId) { return langId == 128 ? 128 : 0; }
  static std::string fontUri(int group) {
    return group == 128 ? "/Resources/Fonts/japanese.ttf" : "/Resources/Fonts/other.ttf";
  }

  // The font of a group, chosen when the group first draws: the installed font of
  // its language that covers the most of what it draws first.
  UsedFont& fontFor(int langId, const std::u32string& sample) {
    const int group = groupOf(langId);
    auto it = fonts_.find(group);
    if (it != fonts_.end()) return it->second;
    const std::string file = platform::fontFileFor(languageTag(langId), sample);
    std::unique_ptr<GlyphFont> font = file.empty() ? nullptr : GlyphFont::load(file);
    if (!font) throw io::IoError("no installed font can draw the text of language " + xmlInt(langId));
    return fonts_.emplace(group, UsedFont{std::move(font), {}, {}}).first->second;
  }

  void use(std::set<std::string>& seen, int langId) {
    const std::string uri = fontUri(groupOf(langId));
    if (seen.insert(uri).second && std::find(resources_.begin(), resources_.end(), uri) == resources_.end()) {
      resources_.push_back(uri);
    }
  }

  // The lines of an area: horizontal lines one Glyphs each (a new line at code 13),
  // vertical columns one glyph at a time from the right.
  void lines(const RectPt& rect, const std::vector<OfficeLine>& lines, double size, double pitch, bool vertical,
             int langId) {
    std::u32string sample;
    for (const OfficeLine& l : lines) sample += codePoints(l.text);
    if (sample.empty()) return;
    UsedFont& f = fontFor(langId, sample);
    std::set<std::string> seen;
    use(seen, langId);
    const std::string uri = fontUri(groupOf(langId));
    const double em = size * kPerPoint;
    const double step = std::max(pitch, size) * kPerPoint;
    const double ascent = f.font->ascent() * em;
    int row = 0;
    for (const OfficeLine& line : lines) {
      const std::u32string cps = codePoints(line.text);
      std::size_t start = 0;
      for (std::size_t i = 0; i <= cps.size(); ++i) {
        if (i < cps.size() && cps[i] != 13) continue;
        std::u32string piece = cps.substr(start, i - start);
        piece.erase(std::remove_if(piece.begin(), piece.end(), [](char32_t c) { return !drawable(c); }), piece.end());
        if (vertical) {
          const double x = (rect.x + rect.width) * kPerPoint - (row + 1) * step + (step - em) / 2;
          double y = rect.y * kPerPoint + ascent;
          for (const char32_t c : piece) {
            const unsigned g = f.font->verticalGlyph(c);
            record(f, c, g);
            xpsGlyphs(content_, uri, em, x, y, utf16(c), {{g, f.font->advance(g)}});
            y += em;
          }
        } else {
          const double x = rect.x * kPerPoint;
          const double y = rect.y * kPerPoint + ascent + row * step;
          std::vector<XpsGlyph> glyphs;
          std::u16string text;
          for (const char32_t c : piece) {
            const unsigned g = f.font->glyph(c);
            record(f, c, g);
            glyphs.push_back({g, f.font->advance(g)});
            text += utf16(c);
          }
          xpsGlyphs(content_, uri, em, x, y, text, glyphs);
        }
        ++row;
        start = i + 1;
      }
    }
  }

  static void record(UsedFont& f, char32_t c, unsigned g) {
    f.characters.insert(c);
    f.glyphs.insert(g);
  }

  OpcPackage& package_;
  std::optional<XpsPageSize> size_;
  std::vector<XpsPageSize> sizes_;
  std::string content_;
  std::vector<std::string> resources_;
  std::map<int, UsedFont> fonts_;
  std::map<int, std::vector<std::uint8_t>> subsets_;
  int pictures_ = 0;
  bool finished_ = false;
};

}  // namespace

std::unique_ptr<OfficeLibrary::Writer> makeXpsWriter(OpcPackage& package) {
  return std::make_unique<XpsWriter>(package);
}

}  // namespace lexova::office
