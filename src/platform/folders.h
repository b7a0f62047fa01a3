// The folders of this platform the core needs: the program's folder, the per-user
// data location, and from them the user data folder of the settings.
#pragma once

#include <string>

#include "settings/values.h"

namespace lexova::platform {

// The folder of the running executable ("." when it cannot be found).
std::u16string programFolder();
// The per-user data location: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share.
std::u16string userDataHome();
// The name the current user logged in with (at most 256 units; empty when unknown).
std::u16string loginName();
// The user data folder of the settings (see settings::resolveUserDataFolder),
// with userDataHome() as the base and the program's folder as the fallback.
settings::UserDataFolder userDataFolder(const settings::AllSettings& s);

}  // namespace lexova::platform
