#include "document/lifecycle/file_checks.h"

namespace lexova {

std::optional<std::u16string> openDialogNameError(const std::u16string& name,
                                                  const std::function<bool(const std::u16string&)>& exists) {
  const bool startsWell =
      !name.empty() && ((name[0] >= u'A' && name[0] <= u'Z') || (name[0] >= u'a' && name[0] <= u'z') ||
                        name[0] == u'\\' || name[0] == u'/');
  if (name.size() > 260 || !startsWell) {
    return u"ファイル名が長すぎるか、または複数選択されたファイル数が多すぎます。";
  }
  if (!exists(name)) return name + u"\nこのファイルが見つかりません。\nファイル名を確認してください。";
  return std::nullopt;
}

DropDecision checkDroppedFiles(const std::vector<std::u16string>& names,
                               const std::function<bool(const std::u16string&)>& isFolder,
                               const std::function<bool(const std::u16string&)>& isOtherEngineResult) {
  if (names.size() > 1) {
    return {{}, u"複数のファイルがドラッグ/ドロップされました！\r\n1つのファイルをドラッグ/ドロップしてください"};
  }
  if (names.empty()) return {};
  const std::u16string& name = names.front();
  if (isFolder(name))
    return {{}, u"フォルダがドラッグ/ドロップされました！\r\nファイルをドラッグ/ドロップしてください。"};
  std::u16string ext = name.size() >= 4 ? name.substr(name.size() - 4) : name;
  for (char16_t& c : ext) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  if (ext != u".xml" && !(isOtherEngineResult && isOtherEngineResult(name))) {
    return {{}, u"拡張子が違うファイルがドラッグ/ドロップされました！\r\nXMLファイルをドラッグ/ドロップしてください。"};
  }
  return {name, {}};
}

}  // namespace lexova
