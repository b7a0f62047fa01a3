// The folders of this platform the core needs: the program's folder, the per-user
// data location, and from them the user data folder of the settings.
#pragma once

#include <string>
#include <string_view>

#include "settings/values.h"

namespace lexova::platform {

// The folder of the running executable ("." when it cannot be found).
std::u16string programFolder();
// The per-user data location: $XDG_DATA_HOME when it is an absolute path, else
// ~/.local/share.
std::u16string userDataHome();
// A folder of the running user's own for the editor's lock and socket, made when
// missing and kept to the user alone (mode 0700): $XDG_RUNTIME_DIR/lexova when that
// is the user's private folder, else lexova/run in the user's cache folder; never
// a shared folder. Empty when none can be made safely.
std::string runtimeFolder();

// Gives Qt the user's private runtime folder when XDG_RUNTIME_DIR names none:
// without one Qt makes a folder in /tmp. Call before the Qt application is made.
void provideRuntimeFolder();

// A data file shipped with the program (help, readme): beside the executable, or
// in the installed share/lexova folder. Empty when neither holds it.
std::u16string programDataFile(std::u16string_view name);

// The name the current user logged in with (at most 256 units; empty when unknown).
std::u16string loginName();
// The user data folder of the settings (see settings::resolveUserDataFolder),
// with userDataHome() as the base and the program's folder as the fallback.
settings::UserDataFolder userDataFolder(const settings::AllSettings& s);

}  // namespace lexova::platform
