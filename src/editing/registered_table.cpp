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

bool isSeparator(char16_t c) {
  return c == u' ' || c == u',' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::string utf8(std::u16string_view s) {
  return text::toUtf8(s);
}

}  // namespace

std::optional<std::u16string> decodeTableText(std::string_view b) {
  std::u16string t;
  std::size_t replaced = 0;
  const bool littleEndian = b.starts_with("\xFF\xFE");
  if (littleEndian || b.starts_with("\xFE\xFF")) {
    const std::string_view d = b.substr(2);
    if (d.size() % 2) return std::nullopt;  // half a character at the end
    t.reserve(d.size() / 2);
    for (std::size_t i = 0; i < d.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(d[littleEndian ? i : i + 1]);
      const auto hi = static_cast<unsigned char>(d[littleEndian ? i + 1 : i]);
      t.push_back(static_cast<char16_t>(hi << 8 | lo));
    }
  } else if (b.starts_with("\xEF\xBB\xBF")) {
    t = text::fromUtf8(b.substr(3), &replaced);
  } else {
    // What editors on other systems write has no mark: UTF-8 when it is valid.
    t = text::fromUtf8(b, &replaced);
    if (replaced > 0) {
      replaced = 0;
      t = text::decodeText(b, text::Encoding::ShiftJis, &replaced);
    }
  }
  if (replaced > 0 || t.find(u'\0') != std::u16string::npos) return std::nullopt;
  return t;
}

TableLoadFailure parseRegisteredTable(std::string_view bytes, std::vector<RegisteredPair>& pairs) {
  const std::optional<std::u16string> decoded = decodeTableText(bytes);
  if (!decoded) return TableLoadFailure::Undecodable;
  const std::u16string& t = *decoded;
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
    if (n == 0) return TableLoadFailure::EmptyLine;
    pairs.emplace_back(std::u16string(tokens[0]), std::u16string(tokens[1]));
  }
  return TableLoadFailure::None;
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

int RegisteredTable::failLoad(TableLoadFailure why, std::u16string_view path, Host& host) {
  registeredPairs.clear();
  lastFailure_ = why;
  // Nothing to lose when the file is not there; anything else is kept safe.
  if (why != TableLoadFailure::Missing) failedPath_ = path;
  const std::u16string file = u"文字登録テーブル(" + std::u16string(path) + u")";
  std::u16string text;
  switch (why) {
    case TableLoadFailure::EmptyLine:
      text = u"文字登録テーブル読み込みエラー";
      break;
    case TableLoadFailure::Undecodable:
      text = file +
             u"の文字コードを判別できません。UTF-16、UTF-8、シフトJISのいずれとしても読めない部分があります。"
             u"テーブルは空になり、保存するときは元のファイルを別名で残します。";
      break;
    case TableLoadFailure::NotRegularFile:
      text = file + u"は通常のファイルではないため読み込めません。";
      break;
    case TableLoadFailure::TooLarge:
      text = file + u"は大きすぎるため読み込めません(64MBまで)。";
      break;
    default:
      return -1;  // missing or unopenable: no message
  }
  host.message(text, u"ファイル読み込みエラー", MessageIcon::Error);
  return -1;
}

int RegisteredTable::LoadRegisteredTable(std::u16string_view path, Host& host) {
  registeredPairs.clear();
  lastFailure_ = TableLoadFailure::None;
  lastOpenError_.clear();
  std::string bytes;
  try {
    bytes = io::readFile(utf8(path), kMaxRegisteredTableBytes);
  } catch (const io::IoError& e) {
    lastOpenError_ = e.what();
    switch (e.kind()) {
      case io::IoFailure::Missing:
        return failLoad(TableLoadFailure::Missing, path, host);
      case io::IoFailure::NotRegularFile:
        return failLoad(TableLoadFailure::NotRegularFile, path, host);
      case io::IoFailure::TooLarge:
        return failLoad(TableLoadFailure::TooLarge, path, host);
      case io::IoFailure::ReadOnly:
      case io::IoFailure::Other:
        break;
    }
    return failLoad(TableLoadFailure::Unopenable, path, host);
  }
  const TableLoadFailure parsed = parseRegisteredTable(bytes, registeredPairs);
  if (parsed != TableLoadFailure::None) return failLoad(parsed, path, host);
  if (failedPath_ == path) failedPath_.clear();
  return static_cast<int>(registeredPairs.size());
}

int RegisteredTable::SaveRegisteredTable(std::u16string_view path, Host& host) {
  auto openError = [&] {
    host.message(u"ファイル(" + std::u16string(path) + u")が開けません", u"ファイルオープンエラー", MessageIcon::Error);
    return -1;
  };
  try {
    io::SafeFileSink sink(utf8(path));
    // The original of a table that failed to load is the user's only copy of it.
    // Through a symbolic link, that is the file the link names.
    const std::string& target = sink.resolvedTarget();
    if (!failedPath_.empty() && failedPath_ == path && std::filesystem::exists(target)) {
      const std::u16string kept = text::fromUtf8(io::keepNameFor(target));
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
