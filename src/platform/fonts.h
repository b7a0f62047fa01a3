// Installed fonts, through fontconfig.
#pragma once

#include <string>
#include <string_view>

#include "settings/values.h"

namespace lexova::platform {

// The first installed font of a character set, in fontconfig's order for its
// language; a fixed face name when none is installed.
std::u16string firstInstalledFont(settings::Charset cs);

// The file of the installed font for a language (fontconfig's language tag, "ja",
// "zh-cn", "ko", "en") that covers the most of the given characters, the first of
// fontconfig's order among equals; empty when no font is installed.
std::string fontFileFor(const char* lang, const std::u32string& characters);

// The file of the installed face fontconfig gives for a stored face name (a
// leading "@" of a vertical Windows face is dropped) with the language, through
// its alias rules; empty when no font is installed.
std::string fontFileForFace(std::u16string_view face, const char* lang);

}  // namespace lexova::platform
