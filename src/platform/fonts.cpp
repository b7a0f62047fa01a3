#include "platform/fonts.h"

#include <fontconfig/fontconfig.h>

#include "text/utf.h"

namespace lexova::platform {
namespace {

// A pattern asking for the language (and the family, when given), with
// fontconfig's configured and default substitutions applied. FcPatternDestroy frees it.
FcPattern* matchPattern(const char* lang, const std::string& family = {}) {
  FcPattern* pattern = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcLangSet* langs = FcLangSetCreate();
  FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>(lang));
  FcPatternAddLangSet(pattern, FC_LANG, langs);  // the pattern keeps a copy
  FcLangSetDestroy(langs);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

}  // namespace

std::u16string firstInstalledFont(settings::Charset cs) {
  const char* lang = "en";
  const char16_t* fallback = u"Arial";
  switch (cs) {
    case settings::Charset::Ansi:
      break;
    case settings::Charset::Gb2312:
      lang = "zh-cn", fallback = u"SimSun";
      break;
    case settings::Charset::Big5:
      lang = "zh-tw", fallback = u"MingLiU";
      break;
    case settings::Charset::Hangul:
      lang = "ko", fallback = u"Gulim";
      break;
  }
  std::u16string found;
  if (FcInit()) {
    // fontconfig's own ranking for the language; the first family that covers it.
    FcPattern* pattern = matchPattern(lang);
    FcResult result;
    if (FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result)) {
      for (int i = 0; i < set->nfont && found.empty(); ++i) {
        FcLangSet* covered = nullptr;
        FcChar8* family = nullptr;
        if (FcPatternGetLangSet(set->fonts[i], FC_LANG, 0, &covered) == FcResultMatch &&
            FcLangSetHasLang(covered, reinterpret_cast<const FcChar8*>(lang)) == FcLangEqual &&
            FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch && family) {
          found = text::fromUtf8(reinterpret_cast<const char*>(family));
        }
      }
      FcFontSetDestroy(set);
    }
    FcPatternDestroy(pattern);
  }
  return found.empty() ? std::u16string(fallback) : found;
}

std::string fontFileFor(const char* lang, const std::u32string& characters) {
  std::string best;
  if (!FcInit()) return best;
  FcPattern* pattern = matchPattern(lang);
  FcResult result;
  if (FcFontSet* set = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result)) {
    long bestCovered = -1;
    for (int i = 0; i < set->nfont; ++i) {
      FcChar8* file = nullptr;
      FcCharSet* charset = nullptr;
      if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch || file == nullptr) continue;
      const std::string path(reinterpret_cast<const char*>(file));
      // Only fonts a subset can be made of: TrueType and OpenType files.
      if (path.size() < 4 ||
          (path.compare(path.size() - 4, 4, ".ttf") != 0 && path.compare(path.size() - 4, 4, ".otf") != 0 &&
           path.compare(path.size() - 4, 4, ".ttc") != 0)) {
        continue;
      }
      long covered = 0;
      if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch) {
        for (const char32_t c : characters) covered += FcCharSetHasChar(charset, c) ? 1 : 0;
      }
      if (covered > bestCovered) {
        bestCovered = covered;
        best = path;
      }
      if (covered == static_cast<long>(characters.size())) break;
    }
    FcFontSetDestroy(set);
  }
  FcPatternDestroy(pattern);
  return best;
}

std::string fontFileForFace(std::u16string_view face, const char* lang) {
  std::string file;
  if (!FcInit()) return file;
  if (!face.empty() && face.front() == u'@') face.remove_prefix(1);
  FcPattern* pattern = matchPattern(lang, text::toUtf8(face));
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* path = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
      file = reinterpret_cast<const char*>(path);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return file;
}

}  // namespace lexova::platform
