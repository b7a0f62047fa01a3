// Installed fonts, through fontconfig.
#pragma once

#include <string>

#include "settings/values.h"

namespace lexova::platform {

// The first installed font of a character set, in fontconfig's order for its
// language; a fixed face name when none is installed.
std::u16string firstInstalledFont(settings::Charset cs);

}  // namespace lexova::platform
