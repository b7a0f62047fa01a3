#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/utf.h"

namespace lexova::platform {

std::u16string programFolder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::u16string(u".") : text::fromUtf8(exe.parent_path().string());
}

std::u16string userDataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return text::fromUtf8(xdg);
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : "";
  }
  return text::fromUtf8(std::string(home) + "/.local/share");
}

std::u16string loginName() {
  std::string name;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr) name = pw->pw_name;
  if (name.empty()) {
    if (const char* user = std::getenv("USER"); user != nullptr) name = user;
  }
  std::u16string text = text::fromUtf8(name);
  if (text.size() > 256) text.resize(256);
  return text;
}

settings::UserDataFolder userDataFolder(const settings::AllSettings& s) {
  return settings::resolveUserDataFolder(s.folderPath.userDataFolder, userDataHome(), programFolder(),
                                         settings::kProductName);
}

}  // namespace lexova::platform
