// The lexova tool's contract: output shapes and exit statuses, run as a process.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "document/vuzozoviv/reader.h"
#include "imaging/pict_info.h"
#include "io/byte_io.h"
#include "layout/page_layout.h"
#include "support/temp_dir.h"
#include "support/workfile.h"
#include "text/utf.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out, err;
};

class LexovaTool : public ::testing::Test {
 protected:
  std::string file(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  // Runs lexova with args; standard output goes to stdoutTo when given (then out is empty).
  Outcome run(const std::string& args, const std::string& stdoutTo = "") {
    const std::string out = (dir_ / "stdout").string(), err = (dir_ / "stderr").string();
    // A private settings store and user data folder: never the real user's.
    const std::string cmd = "env XDG_CONFIG_HOME='" + (dir_ / "config").string() + "' XDG_DATA_HOME='" +
                            (dir_ / "data").string() + "' timeout 60 " + LEXOVA_BINARY + " " + args + " >" +
                            (stdoutTo.empty() ? out : stdoutTo) + " 2>" + err;
    std::ofstream(out).close();
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, lexova::io::readFile(out), lexova::io::readFile(err)};
  }

  lexova::testing::TempDir tmp_;
  fs::path dir_ = tmp_.path();
};

const std::u16string kTwoPages =
    u"  <page number=\"1\" file=\"a.tif\" dpi=\"300\"/>\n  <page number=\"2\" file=\"b.tif\" dpi=\"300\">\n"
    u"    <block type=\"text\" direction=\"vertical\" x=\"1\" y=\"2\" width=\"30\" height=\"40\" sec=\"caption\">\n"
    u"      <line x=\"5\" y=\"2\" width=\"10\" height=\"40\" attr=\"ruby\" LID=\"1\" RLID=\"2\" RCS=\"1\" RCE=\"1\"/>\n"
    u"      <line x=\"1\" y=\"2\" width=\"30\" height=\"40\" attr=\"\" LID=\"2\">\n"
    u"        <char x=\"1\" y=\"2\" width=\"30\" height=\"40\" num_cand=\"1\"  Unicode=\"2\">\n"
    u"          <result CC=\"9\">d840dc0b</result>\n          <cand CC=\"3\">字</cand>\n        </char>\n"
    u"      </line>\n    </block>\n  </page>\n";

TEST_F(LexovaTool, CheckReportsPagesOrTheErrorWithItsLine) {
  const Outcome ok = run("check --json " + file("ok.xml", lexova::testing::workFile(kTwoPages)));
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.out, "{\"ok\": true, \"pages\": 2}\n");

  const std::string bad = lexova::testing::workFile(u"\n\n\n\n\n\n\n\n\n  <page number=\"1\" file=\"a\">\n  <oops/>\n");
  const Outcome err = run("check --json " + file("bad.xml", bad));
  EXPECT_EQ(err.status, 3);
  EXPECT_EQ(err.out, "{\"ok\": false, \"code\": -4, \"line\": 13, \"message\": \"タグが間違っています。[13行目]\"}\n");

  const Outcome person = run("check " + file("bad2.xml", bad));
  EXPECT_EQ(person.status, 3);
  EXPECT_NE(person.err.find("タグが間違っています。[13行目]"), std::string::npos);
  EXPECT_NE(run("check " + file("ok2.xml", lexova::testing::workFile(kTwoPages))).out.find("2 pages"),
            std::string::npos);
}

TEST_F(LexovaTool, MissingFileIsAnOpenErrorNotAUsageError) {
  const Outcome r = run("check --json " + (dir_ / "none.xml").string());
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "{\"ok\": false, \"code\": -1, \"line\": 0, \"message\": \"ファイルオープンエラー\"}\n");
}

TEST_F(LexovaTool, DumpShowsTheModel) {
  const Outcome r = run("dump --json " + file("ok.xml", lexova::testing::workFile(kTwoPages)));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      r.out.starts_with("{\"encoding\": 1, \"maxPageWidth\": 30, \"maxPageHeight\": 41, \"standardDpi\": 300, "
                        "\"sections\": [\"caption\"], \"pages\": [{\"number\": 1, \"file\": \"a.tif\", "
                        "\"fullpath\": \"\", \"width\": -1, \"height\": -1, \"dpi\": 300, \"upperpage\": 0"))
      << r.out.substr(0, 300);
  EXPECT_NE(r.out.find("\"sec\": 1000"), std::string::npos);
  EXPECT_NE(r.out.find("\"attr\": 1, \"baseLine\": 1, \"RCS\": 1, \"RCE\": 1, \"LID\": 0, \"RLID\": 0"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"code\": [55360, 56331], \"CC\": 9, \"cands\": [{\"code\": [23383], \"CC\": 3}]"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"lineSize\": 20"), std::string::npos);
  const Outcome outline = run("dump " + (dir_ / "ok.xml").string());
  EXPECT_EQ(outline.status, 0);
  EXPECT_NE(outline.out.find("block 1 text vertical sec caption"), std::string::npos);
}

TEST_F(LexovaTool, ConvertWritesTheRangeInTheChosenEncoding) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  const std::string out = (dir_ / "out.xml").string();
  ASSERT_EQ(run("convert " + in + " " + out + " --encoding 2 --first 1").status, 0);
  const std::string bytes = lexova::io::readFile(out);
  EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>\r\n"));
  EXPECT_NE(bytes.find("<page number=\"1\" dpi=\"300\" height=\"41\" width=\"30\" file=\"b.tif\""), std::string::npos);
  EXPECT_NE(bytes.find("<cand CC=\"3\">\xBB\xFA</cand>"), std::string::npos);  // 字 in EUC-JP
  EXPECT_EQ(run("check --json " + out).out, "{\"ok\": true, \"pages\": 1}\n");
}

TEST_F(LexovaTool, UsageErrors) {
  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("frobnicate x").status, 2);
  EXPECT_EQ(run("check").status, 2);
  EXPECT_EQ(run("check a b").status, 2);
  EXPECT_EQ(run("check --bogus a").status, 2);
  EXPECT_EQ(run("convert a").status, 2);
  EXPECT_EQ(run("convert a b --encoding 3").status, 2);
  EXPECT_EQ(run("convert a b --first x").status, 2);
  EXPECT_EQ(run("convert a b --last").status, 2);
}

TEST_F(LexovaTool, ConvertReportsWhatCannotBeReadOrWritten) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  EXPECT_EQ(run("convert " + (dir_ / "none.xml").string() + " " + (dir_ / "o.xml").string()).status, 3);
  const Outcome r = run("convert " + in + " " + (dir_ / "no" / "such" / "o.xml").string());
  EXPECT_EQ(r.status, 4);
  EXPECT_FALSE(r.err.empty());
}

TEST_F(LexovaTool, HelpAndVersion) {
  const Outcome h = run("--help");
  EXPECT_EQ(h.status, 0);
  EXPECT_NE(h.out.find("Usage: lexova"), std::string::npos);
  EXPECT_EQ(run("check --help").status, 0);
  const Outcome v = run("--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_TRUE(v.out.starts_with("lexova "));
}

TEST_F(LexovaTool, DumpOpenedRunsThePassAndFindsTheFirstArticle) {
  // Page 1 is a cover; the title block stands on page 2. The ruby line beside the
  // body line holds two runs and a small kana.
  const std::u16string body =
      u"  <page number=\"1\" file=\"cover.tif\"/>\n"
      u"  <page number=\"2\" file=\"p2.tif\">\n"
      u"    <block type=\"text\" direction=\"vertical\" x=\"100\" y=\"100\" width=\"40\" height=\"40\" sec=\"title\">\n"
      u"    </block>\n"
      u"    <block type=\"text\" direction=\"vertical\" x=\"100\" y=\"100\" width=\"70\" height=\"300\" sec=\"\">\n"
      u"      <line x=\"142\" y=\"110\" width=\"20\" height=\"284\" attr=\"ruby\">\n"
      u"        <char x=\"142\" y=\"110\" width=\"20\" height=\"20\" num_cand=\"0\"><result>く</result></char>\n"
      u"        <char x=\"142\" y=\"154\" width=\"20\" height=\"20\" num_cand=\"0\"><result>ゃ</result></char>\n"
      u"        <char x=\"142\" y=\"330\" width=\"20\" height=\"20\" num_cand=\"0\"><result>い</result></char>\n"
      u"      </line>\n"
      u"      <line x=\"100\" y=\"100\" width=\"40\" height=\"300\" attr=\"\">\n"
      u"        <char x=\"100\" y=\"100\" width=\"40\" height=\"40\" num_cand=\"0\"><result>蜘</result></char>\n"
      u"        <char x=\"100\" y=\"144\" width=\"40\" height=\"40\" num_cand=\"0\"><result>蛛</result></char>\n"
      u"        <char x=\"100\" y=\"188\" width=\"40\" height=\"40\" num_cand=\"0\"><result>の</result></char>\n"
      u"        <char x=\"100\" y=\"232\" width=\"40\" height=\"40\" num_cand=\"0\"><result>先</result></char>\n"
      u"        <char x=\"100\" y=\"276\" width=\"40\" height=\"40\" num_cand=\"0\"><result>の</result></char>\n"
      u"        <char x=\"100\" y=\"320\" width=\"40\" height=\"40\" num_cand=\"0\"><result>糸</result></char>\n"
      u"      </line>\n"
      u"    </block>\n"
      u"  </page>\n";
  const std::string in = file("opened.xml", lexova::testing::workFile(body));
  const Outcome r = run("dump --json --opened " + in);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      r.out.starts_with("{\"encoding\": 1, \"maxPageWidth\": 169, \"maxPageHeight\": 399, \"standardDpi\": 400, "
                        "\"firstArticlePage\": 1, \"currentPage\": 1, \"sections\": []"))
      << r.out.substr(0, 200);
  const Outcome outline = run("dump --opened " + in);
  EXPECT_NE(outline.out.find("ruby く  → 1..1 蜘\n    ruby や  → 2..2 蛛\n    ruby い  → 6..6 糸\n"), std::string::npos)
      << outline.out;
  // The options come from the settings: no mono ruby, no full-size kana.
  const Outcome plain = run("--set Settings/モノルビ=0 --set Settings/ルビ拗音促音処理=0 dump --opened " + in);
  EXPECT_NE(plain.out.find("ruby くゃ  → 1..2 蜘蛛\n"), std::string::npos) << plain.out;
  // Without --opened the model is as read.
  EXPECT_EQ(run("dump --json " + in).out.find("firstArticlePage"), std::string::npos);
}

// ---- settings and the registered-character table ------------------------------------

std::string storeFile(const fs::path& dir) {
  return (dir / "config" / "Tessaly" / "Lexova PRO 訂正プログラム.conf").string();
}

TEST_F(LexovaTool, SettingsShowsEveryValueWithItsDefault) {
  const Outcome r = run("settings");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Settings/nMaxMRU = 5 (default 5)\n"), std::string::npos);
  EXPECT_NE(r.out.find("Settings/文字種別色 = 0,0,11,4,0,0,0,0,0,11,11,11,4,2,9 (default "), std::string::npos);
  EXPECT_NE(r.out.find("Parameter/MAX_FONT = 1.500000 (default 1.500000)"), std::string::npos);
  EXPECT_NE(r.out.find("Settings/非編集行文字色 = 12632256 (default 12632256)"), std::string::npos);
  EXPECT_NE(r.out.find("japanese vertical: @ＭＳ 明朝"), std::string::npos);
  EXPECT_FALSE(fs::exists(storeFile(dir_)));  // reading writes nothing
}

TEST_F(LexovaTool, SettingsJsonHasTheValuesAsReadWithClamps) {
  fs::create_directories(fs::path(storeFile(dir_)).parent_path());
  std::ofstream(storeFile(dir_)) << "[Settings]\nnMaxMRU=20\n[Backup]\nBackupInterval=20000\n";
  const Outcome r = run("settings --json");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(
      r.out.starts_with("{\"View\": {\"Line\": 0, \"Fast\": 1}, \"Output\": {\"Encoding\": 0}, "
                        "\"Backup\": {\"DoBackup\": 1, \"BackupInterval\": 14400, \"BackupOrgFileName\": \"\"}"))
      << r.out.substr(0, 200);
  EXPECT_NE(r.out.find("\"Settings\": {\"nMaxMRU\": 16, "), std::string::npos);
  EXPECT_NE(r.out.find("\"文字種別色定義\": [16777215, "), std::string::npos);
  EXPECT_NE(r.out.find("\"テキスト背景色\": 16777120"), std::string::npos);
  EXPECT_NE(r.out.find("\"FolderPath\": {\"UserDataFolder\": \"\"}}"), std::string::npos);
  // --defaults ignores the stored values, --set overrides one; neither writes.
  const Outcome d = run("--defaults --set Settings/リジェクト値=4 settings --json");
  EXPECT_NE(d.out.find("\"nMaxMRU\": 5"), std::string::npos);
  EXPECT_NE(d.out.find("\"リジェクト値\": 4"), std::string::npos);
  EXPECT_EQ(lexova::io::readFile(storeFile(dir_)), "[Settings]\nnMaxMRU=20\n[Backup]\nBackupInterval=20000\n");
  EXPECT_EQ(run("--set Settings/NoSuchValue=1 settings").status, 2);
  EXPECT_EQ(run("--set nonsense settings").status, 2);
}

TEST_F(LexovaTool, InvalidParameterEndsEveryCommandWith255) {
  const std::string sample = file("ok.xml", lexova::testing::workFile(kTwoPages));
  const Outcome era = run("--set 'Parameter/WAREKI=|明治' check --json " + sample);
  EXPECT_EQ(era.status, 255);
  EXPECT_EQ(era.out, "");
  EXPECT_NE(era.err.find("キーワードが不正です"), std::string::npos);
  const Outcome font = run("--set Parameter/MIN_FONT=0 settings");
  EXPECT_EQ(font.status, 255);
  EXPECT_NE(font.err.find("MIN_FONT を正値に設定してください"), std::string::npos);
  fs::create_directories(fs::path(storeFile(dir_)).parent_path());
  std::ofstream(storeFile(dir_)) << "[Parameter]\nMAX_FONT=-2\n";
  EXPECT_EQ(run("table list").status, 255);
  EXPECT_EQ(run("--defaults table list").status, 0);
}

TEST_F(LexovaTool, TableAddSavesToTheConfiguredTableAndListShowsIt) {
  const fs::path table = dir_ / "data" / "tessaly" / "Lexova PRO User Data" / "registTable.csv";
  EXPECT_EQ(run("table list").out, "");  // no table yet: an empty one
  EXPECT_EQ(run("table add 亞 亜").status, 0);
  EXPECT_EQ(run("table add 單").status, 0);
  const Outcome again = run("table add 亞 亜");
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("already"), std::string::npos);
  EXPECT_TRUE(fs::exists(table));
  EXPECT_EQ(run("table list").out, "亞\t亜\n單\t\n");
  const Outcome j = run("table list --json '" + table.string() + "'");
  EXPECT_EQ(j.out, "{\"file\": \"" + table.string() +
                       "\", \"pairs\": [{\"search\": \"亞\", \"replacement\": \"亜\"}, {\"search\": \"單\", "
                       "\"replacement\": \"\"}]}\n");
  EXPECT_EQ(run("table add 'two words'").status, 2);
  // 登録テーブル名 names another table.
  const std::string other = (dir_ / "other.csv").string();
  EXPECT_EQ(run("--set Settings/登録テーブル名=" + other + " table add X Y").status, 0);
  EXPECT_EQ(run("table list " + other).out, "X\tY\n");
}

TEST_F(LexovaTool, TableLoadFailuresExitWith3) {
  const Outcome missing = run("table list " + (dir_ / "none.csv").string());
  EXPECT_EQ(missing.status, 3);
  EXPECT_NE(missing.err.find("none.csv"), std::string::npos);
  const Outcome empty = run("table list " + file("bad.csv", "a,b\r\n\r\n"));
  EXPECT_EQ(empty.status, 3);
  EXPECT_NE(empty.err.find("ファイル読み込みエラー: 文字登録テーブル読み込みエラー"), std::string::npos);
}

TEST_F(LexovaTool, AddingToATableThatFailedToLoadKeepsTheOriginal) {
  const std::string table = file("t.csv", "a,b\r\n\r\nc,d\r\n");
  EXPECT_EQ(run("--set Settings/登録テーブル名=" + table + " table add N").status, 0);
  EXPECT_EQ(lexova::io::readFile(table + ".bak"), "a,b\r\n\r\nc,d\r\n");
  EXPECT_EQ(run("table list " + table).out, "N\t\n");
}

// ---- reconstruction and export ---------------------------------------------------------------

const std::string kSample = std::string(LEXOVA_SOURCE_DIR) + "/samples/kumono_ito.xml";

TEST_F(LexovaTool, ReconstructRunsTheCommandAndWritesTheResult) {
  const std::string out = (dir_ / "out.xml").string();
  const Outcome all = run("reconstruct " + kSample + " " + out + " --all --json");
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_EQ(
      all.out,
      "{\"pagesChanged\": [0, 1, 2, 3, 4, 5, 6], \"blocksBefore\": 29, \"blocksAfter\": 26, \"currentPage\": 0}\n");
  EXPECT_EQ(run("check --json " + out).out, "{\"ok\": true, \"pages\": 7}\n");
  // The result opens again as it was written: a second reconstruction merges nothing more.
  EXPECT_NE(run("reconstruct " + out + " " + (dir_ / "again.xml").string() + " --all --json")
                .out.find("\"blocksBefore\": 26, \"blocksAfter\": 26"),
            std::string::npos);
  const Outcome one = run("reconstruct " + kSample + " " + out + " --page 2 --json");
  EXPECT_EQ(one.out, "{\"pagesChanged\": [2], \"blocksBefore\": 29, \"blocksAfter\": 28, \"currentPage\": 2}\n");
  // The settings decide: nothing on but merging, and the text gets no spaces.
  const std::string off =
      "--set Settings/行間改行挿入=0 --set Settings/行頭空白挿入=0 --set Settings/自然改行=0 "
      "--set Settings/ブロック終端の改行=0 ";
  ASSERT_EQ(run(off + "reconstruct " + kSample + " " + out + " --all").status, 0);
  auto spaces = [](const std::string& json) {
    int n = 0;
    for (std::size_t at = json.find("\"code\": [32]"); at != std::string::npos;
         at = json.find("\"code\": [32]", at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(spaces(run("dump --json " + out).out), spaces(run("dump --json " + kSample).out));
  EXPECT_EQ(run("reconstruct " + kSample + " " + out).status, 2);
  EXPECT_EQ(run("reconstruct " + kSample + " " + out + " --all --page 1").status, 2);
  EXPECT_EQ(run("reconstruct " + kSample + " " + out + " --page 7").status, 2);
  EXPECT_EQ(run("reconstruct " + (dir_ / "none.xml").string() + " " + out + " --all").status, 3);
}

TEST_F(LexovaTool, ExportWritesUnicodeTextOfThePagesAsked) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  const std::string out = (dir_ / "out.txt").string();
  ASSERT_EQ(run("export " + in + " " + out + " --type 1").status, 0);
  // The second page's one character, a surrogate pair, whole.
  EXPECT_EQ(lexova::io::readFile(out), "\xFF\xFE\x40\xD8\x0B\xDC");
  ASSERT_EQ(run("export " + in + " " + out + " --type 1 --first 0 --last 0").status, 0);
  EXPECT_EQ(lexova::io::readFile(out), "\xFF\xFE");
  EXPECT_EQ(run("export " + in + " " + out + " --type 1 --first 1 --last 0").status, 2);  // selects no page
  EXPECT_EQ(run("export " + in + " " + (dir_ / "out.xps").string() + " --type 104").status, 0);
  EXPECT_EQ(run("export " + in + " " + (dir_ / "out.xlsx").string() + " --type 102").status, 2);
  EXPECT_EQ(run("export " + in + " " + (dir_ / "out.docx").string() + " --type 101").status, 0);
  // The text PDF: every page, with its information from the settings.
  const std::string pdf = (dir_ / "out.pdf").string();
  ASSERT_EQ(run("export " + in + " " + pdf + " --type 5").status, 0);
  const std::string bytes = lexova::io::readFile(pdf);
  EXPECT_EQ(bytes.substr(0, 10), "%PDF-1.4\r\n");
  EXPECT_NE(bytes.find("/Count 2\r\n"), std::string::npos);
  // An image PDF of pages whose images are nowhere: listed, then written without them.
  const Outcome noImages = run("export " + in + " " + pdf + " --type 11");
  EXPECT_EQ(noImages.status, 0);
  EXPECT_NE(noImages.err.find("画像が見つかりません"), std::string::npos) << noImages.err;
  EXPECT_EQ(run("export " + in + " " + out).status, 2);
  const Outcome unwritable = run("export " + in + " " + (dir_ / "no" / "out.txt").string() + " --type 1");
  EXPECT_EQ(unwritable.status, 4);
  EXPECT_NE(unwritable.err.find("が保存できません。"), std::string::npos) << unwritable.err;
}

// ---- the scripted edit session ------------------------------------------------------------

// The JSON lines of a session, one object a line.
std::vector<std::string> jsonLines(const std::string& out) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(out.substr(start, end - start));
  }
  return lines;
}

bool has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

TEST_F(LexovaTool, AnEditSessionOpensSavesBacksUpAndUndoesAsTheEditorDoes) {
  const std::string in = file("book.xml", lexova::io::readFile(kSample));
  const std::string backups = (dir_ / "backups").string();
  std::filesystem::create_directories(backups);
  const std::string script = file("script.txt",
                                  "# undo of a recorded run, the backup clock, ranges, the save question\n"
                                  "page 2\n"
                                  "record 2\n"
                                  "undo\n"
                                  "tick 240000\n"
                                  "backup\n"
                                  "tick 120000\n"
                                  "backup\n"
                                  "saveas \"" +
                                      (dir_ / "part two.xml").string() +
                                      "\" 3 99\n"
                                      "saveas " +
                                      (dir_ / "none.xml").string() +
                                      " 9 12\n"
                                      "open " +
                                      in +
                                      " --append\n"
                                      "open " +
                                      in +
                                      "\n"
                                      "answer no\n"
                                      "open " +
                                      in +
                                      "\n"
                                      "save\n");
  const Outcome r = run("edit " + in + " " + (dir_ / "out.xml").string() + " --script " + script + " --backup-dir " +
                        backups + " --json");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> lines = jsonLines(r.out);
  ASSERT_EQ(lines.size(), 14u) << r.out;
  EXPECT_TRUE(has(lines[0],
                  "{\"line\": 2, \"op\": \"page\", \"ok\": true, \"changed\": false, \"page\": 2, \"pages\": 7, "
                  "\"cursor\": [0, 0, 0], \"selection\": null, \"damage\": \"none\", \"modified\": false"))
      << lines[0];
  EXPECT_TRUE(has(lines[1], "\"undo\": {\"available\": true, \"kind\": 2, \"page\": 2}")) << lines[1];
  EXPECT_TRUE(has(lines[2], "\"ok\": true, \"changed\": false")) << lines[2];  // nothing was edited
  EXPECT_TRUE(has(lines[2], "\"modified\": true, \"marks\": [0, 1, 2, 3, 4, 5, 6]")) << lines[2];
  EXPECT_TRUE(has(lines[4], "\"written\": false")) << lines[4];  // four minutes: no backup
  EXPECT_TRUE(has(lines[6], "\"written\": true")) << lines[6];   // six minutes: a backup
  EXPECT_EQ(run("check --json '" + (dir_ / "part two.xml").string() + "'").out, "{\"ok\": true, \"pages\": 5}\n");
  EXPECT_TRUE(has(lines[8], "\"ok\": false")) << lines[8];
  EXPECT_TRUE(has(lines[8], "保存範囲が指定されていません。")) << lines[8];
  EXPECT_FALSE(fs::exists(dir_ / "none.xml"));
  EXPECT_TRUE(has(
      lines[9], "\"pages\": 14, \"cursor\": [0, 0, 0], \"selection\": null, \"damage\": \"none\", \"modified\": true"))
      << lines[9];
  // Unanswered, the save question keeps the document; answered No, it is replaced.
  EXPECT_TRUE(has(lines[10], "\"ok\": false, \"changed\": false, \"page\": 0, \"pages\": 14")) << lines[10];
  EXPECT_TRUE(has(lines[10],
                  "{\"text\": \"文書は変更されています。保存しますか\", \"caption\": \"Lexova PRO 訂正プログラム\", "
                  "\"answer\": \"cancel\"}"))
      << lines[10];
  EXPECT_TRUE(has(lines[12], "\"ok\": true, \"changed\": true, \"page\": 0, \"pages\": 7")) << lines[12];
  EXPECT_TRUE(has(lines[12], "\"answer\": \"no\"")) << lines[12];
  EXPECT_TRUE(
      has(lines[13],
          "\"op\": \"save\", \"ok\": true, \"changed\": false, \"page\": 0, \"pages\": 7, "
          "\"cursor\": [0, 0, 0], \"selection\": null, \"damage\": \"none\", \"modified\": false, \"marks\": []"))
      << lines[13];
  EXPECT_EQ(run("check --json " + (dir_ / "out.xml").string()).out, "{\"ok\": true, \"pages\": 7}\n");
  // The session ended as the editor does: its backup is gone.
  EXPECT_FALSE(fs::exists(fs::path(backups) / "_$backup.xml"));
}

TEST_F(LexovaTool, AnEditScriptErrorStopsTheSessionWithItsLine) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  for (const std::string& bad :
       {std::string("state\nfrobnicate\n"), std::string("\n\npage x\n"), std::string("saveas out.xml 1\n"),
        std::string("answer maybe\n"), std::string("open \"unterminated\n")}) {
    const Outcome r = run("edit " + in + " --script " + file("bad.txt", bad));
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.err.find("bad.txt:"), std::string::npos) << r.err;
  }
  const Outcome third = run("edit " + in + " --script " + file("bad.txt", "\n# note\npage x\n"));
  EXPECT_NE(third.err.find("bad.txt:3: page"), std::string::npos) << third.err;
  // A failed operation is reported and the session goes on.
  const Outcome goesOn = run("edit " + in + " --json --script " + file("s.txt", "page 9\nstate\n"));
  EXPECT_EQ(goesOn.status, 0);
  EXPECT_EQ(jsonLines(goesOn.out).size(), 2u);
  EXPECT_EQ(run("edit " + (dir_ / "none.xml").string() + " --script " + file("s.txt", "")).status, 3);
  EXPECT_EQ(run("edit " + in).status, 2);
}

TEST_F(LexovaTool, RecoveryKeepsAnUnreadableBackupAside) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  const fs::path backups = dir_ / "backups";
  fs::create_directories(backups);
  std::ofstream(backups / "_$backup.xml") << "<?xml version=\"1.0\" encoding=\"Shift_JIS\" ?>\r\n<paper>\r\n<pa";
  const Outcome r = run("edit " + in + " --json --backup-dir " + backups.string() + " --script " +
                        file("s.txt", "answer ok\nrecover\nbackup --force\n"));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto lines = jsonLines(r.out);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_TRUE(has(lines[1], "可能な限り復元を試みますか？")) << lines[1];
  EXPECT_TRUE(has(lines[1], "\"pages\": 2")) << lines[1];  // the open document stays
  EXPECT_TRUE(has(lines[2], "\"written\": true")) << lines[2];
  EXPECT_EQ(lexova::io::readFile((backups / "_$backup.xml.bak").string()).substr(0, 10), "<?xml vers");
}

// ---- files the user owns ------------------------------------------------------------------

TEST_F(LexovaTool, FifosAndDevicesAreRefusedAsInputWithoutBlocking) {
  const std::string fifo = (dir_ / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::string> commands = {
      "check " + fifo,         "dump " + fifo,         "convert " + fifo + " " + (dir_ / "o.xml").string(),
      "table list " + fifo,    "table list /dev/zero", "check /dev/zero",
      "check " + dir_.string()};
  for (const std::string& args : commands) {
    const Outcome r = run(args);
    EXPECT_EQ(r.status, 3) << args;  // not 124, the timeout's
    // The reason, in English from the tool or in Japanese from the table's message.
    EXPECT_TRUE(r.err.find("not a regular file") != std::string::npos ||
                r.err.find("is a folder") != std::string::npos ||
                r.err.find("通常のファイルではない") != std::string::npos)
        << args << ": " << r.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "o.xml"));
}

TEST_F(LexovaTool, ConvertNeverReplacesAFolderFifoOrDeviceAndWritesThroughALink) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  ASSERT_EQ(::mkfifo((dir_ / "fifo.xml").c_str(), 0600), 0);
  fs::create_directories(dir_ / "folder.xml");
  std::vector<std::string> refused = {(dir_ / "fifo.xml").string(), (dir_ / "folder.xml").string()};
  if (::mknod((dir_ / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) refused.push_back((dir_ / "null").string());
  for (const std::string& target : refused) {
    const Outcome r = run("convert " + in + " " + target);
    EXPECT_EQ(r.status, 4) << target;
    EXPECT_NE(r.err.find(target), std::string::npos) << r.err;
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.xml"));
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.xml"));

  // The work file in a shared folder, linked from the user's: the link stays.
  fs::create_directories(dir_ / "shared");
  const std::string real = file("shared/book.xml", "old");
  fs::create_symlink(real, dir_ / "book.xml");
  ASSERT_EQ(run("convert " + in + " " + (dir_ / "book.xml").string() + " --encoding 2").status, 0);
  EXPECT_TRUE(fs::is_symlink(dir_ / "book.xml"));
  EXPECT_EQ(run("check --json " + real).out, "{\"ok\": true, \"pages\": 2}\n");
  EXPECT_TRUE(lexova::io::readFile(real).starts_with("<?xml version=\"1.0\" encoding=\"EUC-JP\" ?>"));
}

TEST_F(LexovaTool, AConvertClearsWhatAKilledConvertLeftBesideTheOutput) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  // What a convert killed while writing leaves: a hidden, unlocked temporary file.
  file(".out.xml.lexova-Q7xk2P", "half a work file");
  file(".out.xml.lexova-keep", "not one of ours");
  ASSERT_EQ(run("convert " + in + " " + (dir_ / "out.xml").string()).status, 0);
  EXPECT_FALSE(fs::exists(dir_ / ".out.xml.lexova-Q7xk2P"));
  EXPECT_TRUE(fs::exists(dir_ / ".out.xml.lexova-keep"));
  EXPECT_EQ(run("check --json " + (dir_ / "out.xml").string()).out, "{\"ok\": true, \"pages\": 2}\n");
}

TEST_F(LexovaTool, OutputThatCannotBeWrittenIsAFailure) {
  const std::string in = file("in.xml", lexova::testing::workFile(kTwoPages));
  for (const std::string& args : {"check " + in, "check --json " + in, "dump " + in, "dump --json " + in,
                                  std::string("settings"), std::string("settings --json"), std::string("--help")}) {
    const Outcome r = run(args, "/dev/full");
    EXPECT_EQ(r.status, 4) << args;
    EXPECT_NE(r.err.find("cannot write standard output: No space left on device"), std::string::npos)
        << args << ": " << r.err;
  }
  EXPECT_EQ(run("table add a b").status, 0);
  EXPECT_EQ(run("table list", "/dev/full").status, 4);
  // A reader that stops early: the rest of a large dump cannot be delivered.
  const std::string sample = std::string(LEXOVA_SOURCE_DIR) + "/samples/kumono_ito.xml";
  const std::string cmd = "bash -c 'env XDG_CONFIG_HOME=" + (dir_ / "config").string() + " " + LEXOVA_BINARY +
                          " dump --json " + sample + " 2>/dev/null | head -c 10 >/dev/null; exit ${PIPESTATUS[0]}'";
  const int raw = std::system(cmd.c_str());
  EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 4);
}

}  // namespace

namespace {

// The width and height in a PNG file's header.
std::pair<unsigned, unsigned> pngSize(const std::string& bytes) {
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  const auto be = [&](std::size_t at) {
    return (static_cast<unsigned>(static_cast<unsigned char>(bytes[at])) << 24) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
           static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 3]));
  };
  return {be(16), be(20)};
}

}  // namespace

// How dark a part of a decoded picture is on average (0 white .. 255 black).
double darkness(const lexova::imaging::CPICT_INFO& p, const lexova::layout::Rect& r) {
  double sum = 0;
  long long n = 0;
  for (long long y = r.y; y < r.y + r.height; ++y) {
    for (long long x = r.x; x < r.x + r.width; ++x) {
      const std::uint32_t v = lexova::imaging::pixelAt(p, static_cast<int>(x), static_cast<int>(y));
      sum += p.BitCount == 24 ? 255 - ((v >> 16) + ((v >> 8) & 255) + (v & 255)) / 3.0 : 255 - v;
      ++n;
    }
  }
  return n ? sum / static_cast<double>(n) : 0;
}

TEST_F(LexovaTool, RenderCutsLineImagesFromThePageImageTurnedAndClipped) {
  // A 400 × 300 scan: a column whose top half is black (a vertical block touching
  // the right edge, its box running past it) and a row whose left half is black.
  namespace img = lexova::imaging;
  img::CPICT_INFO scan;
  scan.Width = 400;
  scan.Height = 300;
  scan.BitCount = 1;
  ASSERT_TRUE(img::CreateNewImageToCPictInfo(scan));
  for (int y = 20; y < 120; ++y) {
    for (int x = 370; x < 400; ++x) img::setBit(scan, x, y, true);
  }
  for (int y = 250; y < 280; ++y) {
    for (int x = 20; x < 120; ++x) img::setBit(scan, x, y, true);
  }
  const auto tiff = img::encodeTiff(scan);
  const std::string scanPath = (dir_ / "scan.tif").string();
  std::ofstream(scanPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(tiff.data()), static_cast<std::streamsize>(tiff.size()));
  const auto chars = [](int x, int y, int w, int h, int n, bool vertical) {
    std::u16string out;
    for (int i = 0; i < n; ++i) {
      const int cx = vertical ? x : x + i * w / n, cy = vertical ? y + i * h / n : y;
      out += u"<char x=\"" + lexova::text::fromUtf8(std::to_string(cx)) + u"\" y=\"" +
             lexova::text::fromUtf8(std::to_string(cy)) +
             u"\" width=\"30\" height=\"30\" num_cand=\"0\">"
             u"<result CC=\"10\">字</result></char>\n";
    }
    return out;
  };
  std::u16string body = u"<page number=\"1\" dpi=\"400\" width=\"400\" height=\"300\" file=\"scan.tif\" fullpath=\"" +
                        lexova::text::fromUtf8(scanPath) + u"\">\n";
  body +=
      u"<block type=\"text\" direction=\"vertical\" x=\"370\" y=\"20\" width=\"40\" height=\"200\" sec=\"\">\n"
      u"<line x=\"370\" y=\"20\" width=\"40\" height=\"200\" attr=\"\">\n" +
      chars(370, 20, 30, 200, 5, true) + u"</line></block>\n";
  body +=
      u"<block type=\"text\" direction=\"horizontal\" x=\"20\" y=\"250\" width=\"200\" height=\"30\" sec=\"\">\n"
      u"<line x=\"20\" y=\"250\" width=\"200\" height=\"30\" attr=\"\">\n" +
      chars(20, 250, 200, 30, 5, false) + u"</line></block>\n</page>\n";
  const std::string work = (dir_ / "scan.xml").string();
  std::ofstream(work, std::ios::binary) << lexova::testing::workFile(body);
  const auto read = lexova::vuzozoviv::readPaperFile(work);
  ASSERT_TRUE(read.paper);
  const std::string png = (dir_ / "scan.png").string();
  for (int display : {0, 2}) {
    const Outcome r = run("render " + work + " --page 0 --display " + std::to_string(display) +
                          " --image-mode 2 --scale 100 --out " + png);
    ASSERT_EQ(r.status, 0) << r.err;
    img::CPICT_INFO drawn;
    const std::string bytes = lexova::io::readFile(png);
    ASSERT_TRUE(img::loadImage({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, drawn).ok);
    lexova::layout::LayoutSettings s;
    s.display = display;
    s.imageMode = 2;
    s.scale = 1;
    const lexova::layout::PageGeometry g = lexova::layout::layoutPage(read.paper->pages.front(), s);
    int images = 0;
    for (const lexova::layout::DrawOp& op : g.ops) {
      if (op.kind != lexova::layout::DrawOp::LineImage) continue;
      ++images;
      const lexova::layout::Rect& t = op.rect;
      // Horizontal text display: the column is turned, its top to the left. In
      // every case the black half of the cut comes first along the target.
      const bool across = display == 0 || op.source.height <= op.source.width;
      const lexova::layout::Rect first = across ? lexova::layout::Rect{t.x, t.y, t.width / 4, t.height}
                                                : lexova::layout::Rect{t.x, t.y, t.width, t.height / 4};
      const lexova::layout::Rect last = across
                                            ? lexova::layout::Rect{t.x + t.width * 3 / 4, t.y, t.width / 4, t.height}
                                            : lexova::layout::Rect{t.x, t.y + t.height * 3 / 4, t.width, t.height / 4};
      EXPECT_GT(darkness(drawn, first), 150) << "display " << display << " image " << images;
      EXPECT_LT(darkness(drawn, last), 40) << "display " << display << " image " << images;
    }
    EXPECT_EQ(images, 2);
  }
}

TEST_F(LexovaTool, LayoutAndRenderShowTheSamplePageAsTheViewDrawsIt) {
  const std::string sample = LEXOVA_SOURCE_DIR "/samples/rashomon.xml";
  const Outcome layout = run("layout " + sample + " --page 1 --scale 50 --json");
  ASSERT_EQ(layout.status, 0) << layout.err;
  // 2867 × 4047 pixels at 50 %; the page's rejects drawn as 〓; its ruby placed with base marks.
  EXPECT_NE(layout.out.find("\"width\": 1433, \"height\": 2023"), std::string::npos);
  EXPECT_NE(layout.out.find("\"shown\": \"〓\""), std::string::npos);
  EXPECT_NE(layout.out.find("\"baseMark\": ["), std::string::npos);
  EXPECT_EQ(layout.out.find("\"baseMark\": null"), std::string::npos);
  EXPECT_NE(layout.out.find("\"rect\": ["), std::string::npos);

  const std::string png = (dir_ / "page.png").string();
  const Outcome render = run("render " + sample + " --page 1 --scale 50 --colour-mode 2 --out " + png);
  ASSERT_EQ(render.status, 0) << render.err;
  const std::string bytes = lexova::io::readFile(png);
  EXPECT_EQ(pngSize(bytes), (std::pair<unsigned, unsigned>{1433, 2023}));
  EXPECT_GT(bytes.size(), 50000u);  // a page of text, not a blank sheet

  const Outcome text = run("render " + sample + " --page 1 --display 1 --out " + png);
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_GT(pngSize(lexova::io::readFile(png)).first, 1000u);  // one column a line

  EXPECT_EQ(run("render " + sample + " --page 9 --out " + png).status, 2);
  EXPECT_EQ(run("layout " + sample + " --page 0 --scale 5 --json").status, 2);
}
