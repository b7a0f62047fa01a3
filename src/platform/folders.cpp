#include "platform/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

namespace {

std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return home;
  const passwd* pw = ::getpwuid(::getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

// A folder of this user alone: a real folder (not a link), owned by the user,
// with no access for others (tightened when it has some).
bool privateFolder(const std::string& path, bool create) {
  if (create && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return false;
  if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) return false;
  return true;
}

}  // namespace

std::string runtimeFolder() {
  if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && xdg[0] == '/') {
    struct stat st {};
    if (::lstat(xdg, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0) {
      const std::string folder = std::string(xdg) + "/lexova";
      if (privateFolder(folder, true)) return folder;
    }
  }
  std::string cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') {
    cache = xdg;
  } else {
    const std::string home = homeFolder();
    if (home.empty()) return {};
    cache = home + "/.cache";
  }
  std::error_code ec;
  std::filesystem::create_directories(cache, ec);
  const std::string lexova = cache + "/lexova";
  if (!privateFolder(lexova, true)) return {};
  const std::string run = lexova + "/run";
  return privateFolder(run, true) ? run : std::string();
}

void provideRuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return;
  const std::string folder = runtimeFolder();
  if (!folder.empty()) ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

std::u16string programDataFile(std::u16string_view name) {
  const std::string program = text::toUtf8(programFolder());
  const std::string file = text::toUtf8(name);
  for (const std::string& candidate : {program + "/" + file, program + "/../share/lexova/" + file}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(candidate, ec)) {
      return text::fromUtf8(std::filesystem::weakly_canonical(candidate, ec).string());
    }
  }
  return {};
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
