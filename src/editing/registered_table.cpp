#include "editing/registered_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "io/byte_io.h"
#include "text/codepage.h"
#include "text/utf.h"

namespace lexova {
namespace {

std::u16string decodeTable(std::string_view b) {
  auto utf16 = [](std::string_view d, bool bigEndian) {
    std::u16string out;
    out.reserve(d.size() / 2);
    for (std::size_t i = 0; i + 1 < d.size(); i += 2) {
      const auto hi = static_cast<unsigned char>(d[bigEndian ? i : i + 1]);
      const auto lo = static_cast<unsigned char>(d[bigEndian ? i + 1 : i]);
      out.push_back(static_cast<char16_t>(hi << 8 | lo));
    }
    if (d.size() % 2) out.push_back(0xFFFD);  // a stray last byte
    return out;
  };
  if (b.starts_with("\xFF\xFE")) return utf16(b.substr(2), false);
  if (b.starts_with("\xFE\xFF")) return utf16(b.substr(2), true);
  if (b.starts_with("\xEF\xBB\xBF")) return text::fromUtf8(b.substr(3));
  return text::decodeText(b, text::Encoding::ShiftJis);
}

bool isSeparator(char16_t c) {
  return c == u' ' || c == u',' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::string utf8(std::u16string_view s) {
  return text::toUtf8(s);
}

}  // namespace

bool parseRegisteredTable(std::string_view bytes, std::vector<RegisteredPair>& pairs) {
  const std::u16string t = decodeTable(bytes);
  std::size_t pos = 0;
  while (pos < t.size()) {
    // One line as a text-mode read delivers it: up to and including LF.
    std::size_t end = t.find(u'\n', pos);
    end = end == std::u16string::npos ? t.size() : end + 1;
    const std::u16string_view line(t.data() + pos, end - pos);
    pos = end;
    std::u16string_view tokens[2];
    int n = 0;
    for (std::size_t i = 0; i < line.size() && n < 2;) {
      while (i < line.size() && isSeparator(line[i])) ++i;
      const std::size_t start = i;
      while (i < line.size() && !isSeparator(line[i])) ++i;
      if (i > start) tokens[n++] = line.substr(start, i - start);
    }
    if (n == 0) return false;
    pairs.emplace_back(std::u16string(tokens[0]), std::u16string(tokens[1]));
  }
  return true;
}

std::string formatRegisteredTable(const std::vector<RegisteredPair>& pairs) {
  std::u16string t;
  for (const auto& [search, replacement] : pairs) {
    t += search;
    t += u',';
    t += replacement;
    t += u"\r\n";
  }
  std::string out = "\xFF\xFE";
  out.reserve(2 + t.size() * 2);
  for (char16_t c : t) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::u16string backupPath(std::u16string_view path) {
  std::u16string candidate = std::u16string(path) + u".bak";
  for (int n = 2; std::filesystem::exists(utf8(candidate)); ++n) {
    candidate = std::u16string(path) + u".bak" + text::fromUtf8(std::to_string(n));
  }
  return candidate;
}

int RegisteredTable::LoadRegisteredTable(std::u16string_view path, Host& host) {
  registeredPairs.clear();
  std::string bytes;
  try {
    bytes = io::readFile(utf8(path));
  } catch (const io::IoError&) {
    // Nothing to lose when the file is not there; an unreadable file is kept safe.
    if (std::filesystem::exists(utf8(path))) failedPath_ = path;
    return -1;
  }
  if (!parseRegisteredTable(bytes, registeredPairs)) {
    registeredPairs.clear();
    failedPath_ = path;
    host.message(u"文字登録テーブル読み込みエラー", u"ファイル読み込みエラー", MessageIcon::Error);
    return -1;
  }
  if (failedPath_ == path) failedPath_.clear();
  return static_cast<int>(registeredPairs.size());
}

int RegisteredTable::SaveRegisteredTable(std::u16string_view path, Host& host) {
  const std::string target = utf8(path);
  auto openError = [&] {
    host.message(u"ファイル(" + std::u16string(path) + u")が開けません", u"ファイルオープンエラー", MessageIcon::Error);
    return -1;
  };
  try {
    io::SafeFileSink sink(target);
    // The original of a table that failed to load is the user's only copy of it.
    if (!failedPath_.empty() && failedPath_ == path && std::filesystem::exists(target)) {
      const std::u16string kept = backupPath(path);
      std::error_code ec;
      std::filesystem::rename(target, utf8(kept), ec);
      if (ec) return openError();
      keptOriginal_ = kept;
      failedPath_.clear();
      host.message(u"読み込めなかった登録文字テーブルを" + kept + u"として残しました。", kApplicationName,
                   MessageIcon::Information);
    }
    sink.write(formatRegisteredTable(registeredPairs));
    sink.commit();
  } catch (const io::IoError&) {
    return openError();
  }
  return 0;
}

int RegisteredTable::AddRegisteredPair(std::u16string_view search, std::u16string_view replacement) {
  const bool present = std::any_of(registeredPairs.begin(), registeredPairs.end(), [&](const RegisteredPair& p) {
    return p.first == search && p.second == replacement;
  });
  if (present) return -1;
  registeredTableModified = true;
  registeredPairs.emplace_back(search, replacement);
  return static_cast<int>(registeredPairs.size());
}

void RegisteredTable::loadAtStartUp(std::u16string_view path, Host& host) {
  registeredTableFile = path;
  LoadRegisteredTable(path, host);
  registeredTableModified = false;
}

void RegisteredTable::saveAtProgramEnd(Host& host) {
  if (registeredTableModified) SaveRegisteredTable(registeredTableFile, host);
  registeredPairs.clear();
}

}  // namespace lexova
