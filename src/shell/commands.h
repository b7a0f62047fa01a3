// The editor's commands: one table of command numbers with their labels,
// accelerators and status texts, the menus and the toolbar built from it, and the
// rule that decides, before a menu is shown, whether each command is enabled and
// checked. The main frame builds its actions from this table only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lexova::shell {

enum Command : int {
  kNone = 0,
  // file
  kFileNew = 57600,
  kFileOpen = 57601,
  kFileSave = 57603,
  kFileSaveAs = 35001,
  kFileReload = 32827,
  kImageFolder = 32829,
  kExportExternal = 32889,
  kRecentFirst = 57616,
  kRecentLast = 57631,
  kAppExit = 57665,
  // edit
  kUndo = 32774,
  kCopy = 57634,
  kPaste = 57637,
  kFind = 32846,
  kReplace = 32847,
  kNextReject = 32952,
  kPrevReject = 32958,
  kRubyEdit = 32851,
  kBlockEdit = 32771,
  kCharEdit = 32813,
  // view
  kHorizontalText = 32838,
  kVerticalText = 32839,
  kTextOnly = 32840,
  kLineImage = 32841,
  kImageParallel = 32842,
  kSideBySide = 32901,
  kStacked = 32902,
  kFull = 32903,
  kBlockNumbers = 32791,
  kColourFirst = 32857,  // 32857..32860: the colour modes 0..3
  kColourLast = 32860,
  kScaleFirst = 32874,  // 32874..32883: 10 % .. 100 %
  kScaleLast = 32883,
  // analysis
  kReconstructAll = 32761,
  kReconstructPage = 32762,
  // tools and help
  kSettings = 32784,
  kHelpTopics = 57667,
  kReadme = 32934,
  kHomePage = 32935,
  kSupport = 32936,
  kFaq = 32937,
  kAbout = 57664,
};

struct CommandInfo {
  int id;
  std::u16string_view label;        // the menu text, "&" before the mnemonic
  std::string_view shortcuts;       // portable key names, ";" between several ("Ctrl+C;Ctrl+Ins")
  std::u16string_view statusText;   // shown in the status bar while the item is highlighted
  std::u16string_view toolbarText;  // the toolbar button's text; empty: not on the toolbar
};

// Every command with a fixed label (the recent-file entries are made from the list).
const std::vector<CommandInfo>& commandTable();
const CommandInfo* findCommand(int id);

// A menu of the menu bar: its title and items (kNone: a separator; a negative
// number: the submenu of that index in submenus()).
struct MenuSpec {
  std::u16string_view title;
  std::vector<int> items;
};
inline constexpr int kRecentFilesItems = -100;  // the recent files, in place, between separators
const std::vector<MenuSpec>& menuBar();
const std::vector<MenuSpec>& submenus();
// The commands with no menu item, reached by their accelerator only.
const std::vector<int>& acceleratorOnly();
// The toolbar, left to right (kNone: a separator).
const std::vector<int>& toolbar();

// The mnemonic letter of a label ("ファイル(&F)" gives 'F'), 0 when it has none.
char16_t mnemonicOf(std::u16string_view label);

// What the enabling rules look at.
struct CommandContext {
  bool hasPaper = false;
  int editMode = 3;    // 1 block editing, 3 character editing
  int textLayout = 2;  // View表示
  int imageMode = 0;   // View画像表示
  int placement = 0;   // View配置
  bool undoAvailable = false;
  int colourMode = 0;     // 文字表示モード
  int displayScale = 50;  // percent
  bool showBlockNumbers = true;
  int recentFiles = 0;
  // Whether the frame or the text view carries the command out now (the view
  // knows its selection, cursor and clipboard); nullptr: every command is.
  bool (*available)(int id, const void* owner) = nullptr;
  const void* owner = nullptr;
};

struct CommandState {
  bool enabled = false;
  bool checkable = false;
  bool checked = false;
};

// Whether the command is enabled and checked now.
CommandState commandState(int id, const CommandContext& c);

// The label of recent-file entry i (0-based): "&1 name" .. "&9", then "1&0", then
// plain numbers, as the framework numbers them.
std::u16string recentFileLabel(int index, std::u16string_view path);

}  // namespace lexova::shell
