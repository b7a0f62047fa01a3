#include "shell/commands.h"

#include <string>

namespace lexova::shell {

const std::vector<CommandInfo>& commandTable() {
  static const std::vector<CommandInfo> table = {
      {kFileNew, u"新規作成(&N)", "Ctrl+N", u"", u""},
      {kFileOpen, u"開く(&O)...", "Ctrl+O", u"作業ファイルを開きます。", u"開く"},
      {kFileSave, u"上書き保存(&S)", "Ctrl+S", u"作業ファイルを上書き保存します。", u"保存"},
      {kFileSaveAs, u"名前を付けて保存(&A)...", "", u"作業ファイルに名前を付けて保存します。", u""},
      {kFileReload, u"再読み込み(&R)...", "", u"作業ファイルを読み込み直します。", u""},
      {kImageFolder, u"画像の保存場所変更(&I)...", "", u"ページ画像のフォルダを変更します。", u""},
      {kExportExternal, u"外部ファイルに保存(&W)...", "", u"編集している作業ファイルを別のファイル形式で保存します。",
       u"外部出力"},
      {kAppExit, u"アプリケーションの終了(&X)", "", u"プログラムを終了します。", u""},
      {kUndo, u"やり直し(&U)", "Ctrl+Z", u"直前の編集を元に戻します。", u""},
      {kCopy, u"コピー(&C)", "Ctrl+C;Ctrl+Ins", u"選択した文字をクリップボードにコピーします。", u""},
      {kPaste, u"貼り付け(&P)", "Ctrl+V;Shift+Ins", u"クリップボードの文字を挿入します。", u""},
      {kFind, u"検索(&F)...", "Ctrl+F", u"文字列を検索します。", u""},
      {kReplace, u"置換(&R)...", "Ctrl+H", u"文字列を置換します。", u""},
      {kNextReject, u"次のリジェクト文字(&N)", "F3;Ctrl+R", u"次のリジェクト文字に移動します。", u""},
      {kPrevReject, u"前のリジェクト文字(&P)", "Shift+F3", u"前のリジェクト文字に移動します。", u""},
      {kRubyEdit, u"ルビ修正(&E)", "", u"ルビを修正します。", u""},
      {kBlockEdit, u"ブロック編集(&B)", "", u"ブロックを編集します。", u"ブロック"},
      {kCharEdit, u"文字編集(&M)", "", u"文字を編集します。", u"文字"},
      {kHorizontalText, u"横書き", "Ctrl+Alt+H", u"", u""},
      {kVerticalText, u"縦書き", "Ctrl+Alt+V", u"", u""},
      {kTextOnly, u"テキストのみ(&T)", "Alt+N", u"テキストだけを表示します。", u"テキスト"},
      {kLineImage, u"１行画像表示(&I)", "Alt+S", u"編集行の画像を表示します。", u"１行画像"},
      {kImageParallel, u"画像並列表示(&O)", "Alt+M", u"行の画像をテキストと並べて表示します。", u"画像並列"},
      {kSideBySide, u"横並び(&H)", "Ctrl+Y", u"テキストと画像を横に並べます。", u"横並び"},
      {kStacked, u"縦並び(&V)", "Ctrl+T", u"テキストと画像を縦に並べます。", u"縦並び"},
      {kFull, u"全面(&A)", "Ctrl+W", u"一方の表示を全面に広げます。", u"全面"},
      {kBlockNumbers, u"ブロック番号表示(&B)", "", u"ブロック番号を表示します。", u""},
      {32857, u"通常表示(&N)", "", u"", u""},
      {32858, u"編集行強調(&E)", "", u"", u""},
      {32859, u"文字種別(&S)", "", u"", u""},
      {32860, u"登録文字強調(&R)", "", u"", u""},
      {32874, u"10%(&1)", "", u"", u""},
      {32875, u"20%(&2)", "", u"", u""},
      {32876, u"30%(&3)", "", u"", u""},
      {32877, u"40%(&4)", "", u"", u""},
      {32878, u"50%(&5)", "", u"", u""},
      {32879, u"60%(&6)", "", u"", u""},
      {32880, u"70%(&7)", "", u"", u""},
      {32881, u"80%(&8)", "", u"", u""},
      {32882, u"90%(&9)", "", u"", u""},
      {32883, u"100%(&0)", "", u"", u""},
      {kReconstructPage, u"現ページ再構成", "", u"現在のページのテキストを再構成します。", u"現ページ再構成"},
      {kReconstructAll, u"全ページ再構成", "", u"すべてのページのテキストを再構成します。", u"全ページ再構成"},
      {kSettings, u"環境設定(&K)...", "", u"環境を設定します。", u""},
      {kHelpTopics, u"ヘルプの表示(&H)", "F1", u"ヘルプを表示します。", u""},
      {kReadme, u"初めにお読みください(&R)...", "", u"readme を表示します。", u""},
      {kHomePage, u"ホームページ(&W)", "", u"Web ページを開きます。", u""},
      {kSupport, u"オンラインサポート(&O)", "", u"Web ページを開きます。", u""},
      {kFaq, u"よくある質問(&Q)", "", u"Web ページを開きます。", u""},
      {kAbout, u"バージョン情報(&A)...", "", u"プログラムの情報を表示します。", u""},
  };
  return table;
}

const CommandInfo* findCommand(int id) {
  for (const CommandInfo& c : commandTable()) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

const std::vector<MenuSpec>& menuBar() {
  // No top-level mnemonic may be N, S or M: Alt+N, Alt+S and Alt+M are the layout
  // accelerators.
  static const std::vector<MenuSpec> menus = {
      {u"ファイル(&F)",
       {kFileOpen, kFileSave, kFileSaveAs, kFileReload, kNone, kExportExternal, kImageFolder, kNone, kRecentFilesItems,
        kAppExit}},
      {u"編集(&E)",
       {kUndo, kNone, kCopy, kPaste, kNone, kFind, kReplace, kNextReject, kPrevReject, kNone, kRubyEdit, kNone,
        kBlockEdit, kCharEdit}},
      {u"表示(&V)",
       {kTextOnly, kLineImage, kImageParallel, kNone, kSideBySide, kStacked, kFull, kNone, kBlockNumbers, -1, -2}},
      {u"解析(&A)", {kReconstructPage, kReconstructAll}},
      {u"ツール(&T)", {kSettings}},
      {u"ヘルプ(&H)", {kHelpTopics, kReadme, kNone, kHomePage, kSupport, kFaq, kNone, kAbout}},
  };
  return menus;
}

const std::vector<MenuSpec>& submenus() {
  static const std::vector<MenuSpec> menus = {
      {u"", {}},
      {u"文字色分け表示(&D)", {32857, 32858, 32859, 32860}},
      {u"表示倍率(&P)", {32874, 32875, 32876, 32877, 32878, 32879, 32880, 32881, 32882, 32883}},
  };
  return menus;
}

const std::vector<int>& acceleratorOnly() {
  static const std::vector<int> ids = {kFileNew, kHorizontalText, kVerticalText};
  return ids;
}

const std::vector<int>& toolbar() {
  static const std::vector<int> ids = {
      kFileOpen,       kFileSave, kNone,     kExportExternal, kNone,          kReconstructPage,
      kReconstructAll, kNone,     kTextOnly, kLineImage,      kImageParallel, kNone,
      kSideBySide,     kStacked,  kFull,     kNone,           kBlockEdit,     kCharEdit};
  return ids;
}

char16_t mnemonicOf(std::u16string_view label) {
  for (std::size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != u'&') continue;
    if (label[i + 1] == u'&') {
      ++i;
      continue;
    }
    const char16_t c = label[i + 1];
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  }
  return 0;
}

CommandState commandState(int id, const CommandContext& c) {
  CommandState s;
  const bool available = c.available == nullptr || c.available(id, c.owner);
  const bool layout = c.textLayout == 2;
  switch (id) {
    case kFileSave:
    case kFileSaveAs:
    case kFileReload:
    case kImageFolder:
    case kExportExternal:
    case kReconstructAll:
    case kReconstructPage:
      s.enabled = c.hasPaper;
      break;
    case kUndo:
      s.enabled = c.hasPaper && c.undoAvailable;
      break;
    case kCopy:
    case kPaste:
    case kFind:
    case kReplace:
    case kNextReject:
    case kPrevReject:
    case kRubyEdit:
      s.enabled = c.hasPaper;
      break;
    case kBlockEdit:
    case kCharEdit:
      s.enabled = c.hasPaper;
      s.checkable = true;
      s.checked = c.editMode == (id == kBlockEdit ? 1 : 3);
      break;
    case kHorizontalText:
    case kVerticalText:
    case kTextOnly:
    case kLineImage:
    case kImageParallel:
      s.enabled = c.editMode != 1;
      s.checkable = true;
      if (id == kHorizontalText) s.checked = c.textLayout == 0;
      if (id == kVerticalText) s.checked = c.textLayout == 1;
      if (id >= kTextOnly) s.checked = layout && c.imageMode == id - kTextOnly;
      break;
    case kSideBySide:
    case kStacked:
    case kFull:
      s.enabled = layout;
      s.checkable = true;
      s.checked = layout && c.placement == id - kSideBySide;
      break;
    case kBlockNumbers:
      s.enabled = true;
      s.checkable = true;
      s.checked = c.showBlockNumbers;
      break;
    default:
      if (id >= kColourFirst && id <= kColourLast) {
        s.enabled = s.checkable = true;
        s.checked = c.colourMode == id - kColourFirst;
      } else if (id >= kScaleFirst && id <= kScaleLast) {
        s.enabled = s.checkable = true;
        s.checked = c.displayScale / 10 == id - kScaleFirst + 1;
      } else if (id >= kRecentFirst && id <= kRecentLast) {
        s.enabled = id - kRecentFirst < c.recentFiles;
      } else {
        s.enabled = findCommand(id) != nullptr;
      }
  }
  s.enabled = s.enabled && available;
  return s;
}

std::u16string recentFileLabel(int index, std::u16string_view path) {
  std::u16string label;
  const int n = index + 1;
  if (n < 10) {
    label = u"&" + std::u16string(1, static_cast<char16_t>(u'0' + n));
  } else if (n == 10) {
    label = u"1&0";
  } else {
    for (const char c : std::to_string(n)) label += static_cast<char16_t>(c);
  }
  label += u' ';
  // A "&" in the path is shown as it is, not taken as a mnemonic.
  for (const char16_t ch : path) {
    if (ch == u'&') label += u'&';
    label += ch;
  }
  return label;
}

}  // namespace lexova::shell
