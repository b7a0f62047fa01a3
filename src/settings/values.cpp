#include "settings/values.h"

#include <locale.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "text/utf.h"

namespace lexova::settings {

ReconstructionOptions reconstructionOptions(const SettingsValues& s) {
  ReconstructionOptions o;
  o.blankLinesBetweenBlocks = s.blankLinesBetweenBlocks != 0;
  o.indentWithSpaces = s.indentWithSpaces != 0;
  o.naturalLineBreaks = s.naturalLineBreaks;
  o.noBreakAtBlockEnd = s.noBreakAtBlockEnd != 0;
  o.monoRuby = s.monoRuby != 0;
  o.smallKanaToNormal = s.smallKanaToNormal != 0;
  return o;
}

BackupOptions backupOptions(const AllSettings& s) {
  return {s.backup.doBackup != 0, s.backup.backupInterval, s.output.encoding};
}

void settleDisplayValues(SettingsValues& s) {
  const SettingsValues defaults;
  s.displayScale = s.displayScale >= 10 && s.displayScale <= 104 ? std::min(100, (s.displayScale + 5) / 10 * 10)
                                                                 : defaults.displayScale;
  const auto within = [](int& v, int low, int high, int fallback) {
    if (v < low || v > high) v = fallback;
  };
  within(s.textLayout, 0, 2, defaults.textLayout);
  within(s.imageMode, 0, 2, defaults.imageMode);
  within(s.placement, 0, 2, defaults.placement);
  within(s.previousPlacement, 0, 1, defaults.previousPlacement);
  within(s.rejectLevel, 1, 9, defaults.rejectLevel);
}

int clampMaxMru(int v) {
  return v > 15 ? 16 : v;
}
int clampBackupInterval(int v) {
  return v >= 14401 ? 14400 : v;
}

std::vector<int> parseNumberPrefix(std::u16string_view text, std::size_t most) {
  std::vector<int> out;
  std::size_t i = 0;
  while (out.size() < most && i <= text.size()) {
    std::size_t end = text.find(u',', i);
    if (end == std::u16string_view::npos) end = text.size();
    std::u16string_view token = text.substr(i, end - i);
    while (!token.empty() && token.front() == u' ') token.remove_prefix(1);
    while (!token.empty() && token.back() == u' ') token.remove_suffix(1);
    std::size_t k = 0;
    const bool negative = !token.empty() && token[0] == u'-';
    if (negative || (!token.empty() && token[0] == u'+')) k = 1;
    if (k >= token.size()) break;
    long long v = 0;
    bool ok = true;
    for (; k < token.size(); ++k) {
      if (token[k] < u'0' || token[k] > u'9' || v > 0xFFFFFFFFll) {
        ok = false;
        break;
      }
      v = v * 10 + (token[k] - u'0');
    }
    if (!ok) break;
    out.push_back(static_cast<int>(static_cast<std::uint32_t>(negative ? -v : v)));
    i = end + 1;
  }
  return out;
}

template <std::size_t N>
std::array<int, N> parseNumberList(std::u16string_view text, const std::array<int, N>& defaults) {
  std::array<int, N> out = defaults;
  const std::vector<int> parsed = parseNumberPrefix(text, N);
  for (std::size_t i = 0; i < parsed.size(); ++i) out[i] = parsed[i];
  return out;
}
template std::array<int, kCharKinds> parseNumberList(std::u16string_view, const std::array<int, kCharKinds>&);

std::u16string joinNumbers(const int* values, std::size_t n) {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) {
    if (i) s += ',';
    s += std::to_string(values[i]);
  }
  return text::fromUtf8(s);
}

std::array<int, kCharKinds> parseKindColours(std::u16string_view text) {
  const std::array<int, kCharKinds> defaults = SettingsValues{}.kindColourIndex;
  std::array<int, kCharKinds> out = parseNumberList(text, defaults);
  for (std::size_t i = 0; i < out.size(); ++i) {
    // 0..15 the basic colours, 16..31 the user colours.
    if (out[i] < 0 || out[i] >= 2 * kUserColours) out[i] = defaults[i];
  }
  return out;
}

std::array<Colour, kUserColours> parseUserColours(std::u16string_view text) {
  std::array<Colour, kUserColours> out = SettingsValues::filledWhite();
  if (text == u"not define") return out;
  const std::vector<int> parsed = parseNumberPrefix(text, kUserColours);
  for (std::size_t i = 0; i < parsed.size(); ++i) out[i] = static_cast<Colour>(parsed[i]);
  return out;
}

std::u16string formatUserColours(const std::array<Colour, kUserColours>& colours) {
  std::array<int, kUserColours> v;
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<int>(colours[i]);
  return joinNumbers(v.data(), v.size());
}

namespace {
locale_t cLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}
}  // namespace

double parseParameterNumber(std::u16string_view text) {
  std::string ascii;
  for (char16_t c : text) {
    if (c == 0 || c > 0x7F) break;
    ascii.push_back(static_cast<char>(c));
  }
  return strtod_l(ascii.c_str(), nullptr, cLocale());
}

std::u16string formatParameterNumber(double v) {
  const locale_t old = uselocale(cLocale());
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", v);
  uselocale(old);
  return text::fromUtf8(buf);
}

bool validEraList(std::u16string_view text) {
  return text.empty() || (text.front() != u'|' && text.back() != u'|');
}

bool checkParameters(const ParameterValues& p, Host& host) {
  constexpr std::u16string_view caption = u"パラメータエラー";
  const std::pair<double, std::u16string_view> numbers[] = {{p.maxFont, u"MAX_FONT"}, {p.minFont, u"MIN_FONT"}};
  for (const auto& [value, name] : numbers) {
    if (!(value > 0)) {
      host.message(std::u16string(name) + u" を正値に設定してください", caption, MessageIcon::Error);
      return false;
    }
  }
  if (!validEraList(p.wareki) || !validEraList(p.rWareki)) {
    host.message(u"キーワードが不正です", caption, MessageIcon::Error);
    return false;
  }
  return true;
}

OutputFonts applyFontDefaults(SettingsValues& s, const FontLookup& firstInstalledFont) {
  OutputFonts f;
  if (s.fontJapanese.empty()) s.fontJapanese = u"ＭＳ 明朝";
  if (s.fontJapaneseVertical.empty()) s.fontJapaneseVertical = u"@ＭＳ 明朝";
  f.japanese = {s.fontJapanese, 0};
  f.japaneseVertical = {s.fontJapaneseVertical, 0};
  auto fill = [&](std::u16string& name, Charset cs, int storedHeight) {
    if (name.empty()) {
      name = firstInstalledFont(cs);
      return FontChoice{name, kDefaultFontHeight};
    }
    return FontChoice{name, storedHeight};
  };
  f.western = fill(s.fontWestern, Charset::Ansi, kDefaultFontHeight);
  f.simplified = fill(s.fontSimplified, Charset::Gb2312, s.sizeSimplified);
  f.traditional = fill(s.fontTraditional, Charset::Big5, s.sizeTraditional);
  f.hangul = fill(s.fontHangul, Charset::Hangul, s.sizeHangul);
  return f;
}

namespace {

namespace fs = std::filesystem;

fs::path toPath(std::u16string_view p) {
  return fs::path(text::toUtf8(p));
}
std::u16string fromPath(const fs::path& p) {
  return text::fromUtf8(p.string());
}
bool isFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}
bool makeFolder(const fs::path& p) {
  std::error_code ec;
  fs::create_directories(p, ec);
  return isFolder(p);
}

}  // namespace

UserDataFolder resolveUserDataFolder(std::u16string_view stored, std::u16string_view appDataBase,
                                     std::u16string_view programDir, std::u16string_view productName) {
  UserDataFolder r;
  if (!stored.empty() && isFolder(toPath(stored))) {
    r.path = stored;
    return r;
  }
  fs::path base;
  if (!appDataBase.empty() && makeFolder(toPath(appDataBase))) {
    base = toPath(appDataBase);
  } else {
    base = toPath(programDir);
  }
  const std::u16string name = std::u16string(productName.empty() ? kApplicationTitle : productName) + u" User Data";
  const fs::path direct = base / toPath(name);
  if (isFolder(direct)) {
    r.path = fromPath(direct);
  } else {
    const fs::path nested = base / "tessaly" / toPath(name);
    if (makeFolder(nested)) r.path = fromPath(nested);
  }
  r.writeBack = !stored.empty() && !r.path.empty();
  return r;
}

std::u16string registeredTablePath(const SettingsValues& s, std::u16string_view userDataFolder) {
  if (!s.registeredTableName.empty()) return s.registeredTableName;
  std::u16string p(userDataFolder);
  if (!p.empty() && p.back() != u'/') p += u'/';
  return p + kRegisteredTableFileName;
}

}  // namespace lexova::settings
