#include "editing/registered_table.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "host/scripted_host.h"
#include "io/byte_io.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/utf.h"

namespace lexova {
namespace {

namespace fs = std::filesystem;

std::string utf16le(std::u16string_view t, bool bom = true) {
  std::string out = bom ? "\xFF\xFE" : "";
  for (char16_t c : t) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string utf16be(std::u16string_view t) {
  std::string out = "\xFE\xFF";
  for (char16_t c : t) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}

class TableFiles : public ::testing::Test {
 protected:
  std::u16string file(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return path(name);
  }
  std::u16string path(const std::string& name) const { return text::fromUtf8((dir_ / name).string()); }
  static std::string bytesOf(std::u16string_view p) { return io::readFile(text::toUtf8(p)); }

  lexova::testing::TempDir tmp_;
  fs::path dir_ = tmp_.path();
  ScriptedHost host_;
  RegisteredTable table_;
};

const std::vector<RegisteredPair> kPairs = {{u"亞", u"亜"}, {u"單", u""}, {u"𠀋", u"丈"}};

TEST_F(TableFiles, EveryEncodingIsRecognisedByItsByteOrderMark) {
  const std::u16string text = u"亞,亜\r\n單\r\n𠀋,丈\r\n";
  const std::string files[] = {utf16le(text), utf16be(text), "\xEF\xBB\xBF" + text::toUtf8(text),
                               text::encodeText(u"亞,亜\r\n單\r\n", text::Encoding::ShiftJis)};
  for (int i = 0; i < 4; ++i) {
    const std::u16string p = file("t" + std::to_string(i) + ".csv", files[i]);
    const int n = table_.LoadRegisteredTable(p, host_);
    const std::vector<RegisteredPair> expected(kPairs.begin(), kPairs.begin() + (i == 3 ? 2 : 3));
    EXPECT_EQ(n, static_cast<int>(expected.size())) << i;
    EXPECT_EQ(table_.registeredPairs, expected) << i;
  }
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(TableFiles, TokensAreSplitAtBlanksCommasAndTabs) {
  const std::u16string p = file("t.csv", utf16le(u"one\r\ntwo words\r\n\tthree,,four,five\r\nlast"));
  ASSERT_EQ(table_.LoadRegisteredTable(p, host_), 4);
  const std::vector<RegisteredPair> expected = {{u"one", u""}, {u"two", u"words"}, {u"three", u"four"}, {u"last", u""}};
  EXPECT_EQ(table_.registeredPairs, expected);
}

TEST_F(TableFiles, AnEmptyLineDiscardsTheWholeTable) {
  for (const std::u16string& body :
       {std::u16string(u"a,b\r\nc,d\r\n\r\n"), std::u16string(u"a,b\r\n   \r\nc,d\r\n"), std::u16string(u"\n")}) {
    ScriptedHost host;
    const std::u16string p = file("t.csv", utf16le(body));
    EXPECT_EQ(table_.LoadRegisteredTable(p, host), -1);
    EXPECT_TRUE(table_.registeredPairs.empty());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, u"文字登録テーブル読み込みエラー");
    EXPECT_EQ(host.messages[0].caption, u"ファイル読み込みエラー");
  }
  // A final line end is not an empty line; an empty file is an empty table.
  EXPECT_EQ(table_.LoadRegisteredTable(file("ok.csv", utf16le(u"a,b\r\n")), host_), 1);
  EXPECT_EQ(table_.LoadRegisteredTable(file("empty.csv", utf16le(u"")), host_), 0);
}

TEST_F(TableFiles, MissingFileIsMinusOneWithoutAMessage) {
  table_.registeredPairs = kPairs;
  EXPECT_EQ(table_.LoadRegisteredTable(path("none.csv"), host_), -1);
  EXPECT_TRUE(table_.registeredPairs.empty());
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(TableFiles, SavingWritesUtf16WithBomAndCrLf) {
  table_.registeredPairs = kPairs;
  ASSERT_EQ(table_.SaveRegisteredTable(path("out.csv"), host_), 0);
  EXPECT_EQ(bytesOf(path("out.csv")), utf16le(u"亞,亜\r\n單,\r\n𠀋,丈\r\n"));
  RegisteredTable back;
  EXPECT_EQ(back.LoadRegisteredTable(path("out.csv"), host_), 3);
  EXPECT_EQ(back.registeredPairs, kPairs);
}

TEST_F(TableFiles, SavingIntoAnUnwritableFolderSaysWhichFile) {
  table_.registeredPairs = kPairs;
  const std::u16string target = path("no/such/folder/t.csv");
  EXPECT_EQ(table_.SaveRegisteredTable(target, host_), -1);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text, u"ファイル(" + target + u")が開けません");
  EXPECT_EQ(host_.messages[0].caption, u"ファイルオープンエラー");
  if (::geteuid() != 0) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    ScriptedHost h;
    EXPECT_EQ(table_.SaveRegisteredTable(path("t.csv"), h), -1);
    EXPECT_EQ(h.messages.size(), 1u);
  }
}

TEST_F(TableFiles, AddingTheSamePairTwiceStoresItOnce) {
  EXPECT_EQ(table_.AddRegisteredPair(u"亞", u"亜"), 1);
  EXPECT_TRUE(table_.registeredTableModified);
  table_.registeredTableModified = false;
  EXPECT_EQ(table_.AddRegisteredPair(u"亞", u"亜"), -1);
  EXPECT_FALSE(table_.registeredTableModified);
  EXPECT_EQ(table_.AddRegisteredPair(u"亞", u""), 2);  // another replacement is another pair
  EXPECT_EQ(table_.registeredPairs.size(), 2u);
}

TEST_F(TableFiles, AddedPairIsWrittenAtProgramEndAndTheTableEmptied) {
  const std::u16string p = file("t.csv", utf16le(u"a,b\r\n"));
  table_.loadAtStartUp(p, host_);
  table_.AddRegisteredPair(u"c", u"d");
  table_.saveAtProgramEnd(host_);
  EXPECT_TRUE(table_.registeredPairs.empty());
  EXPECT_EQ(bytesOf(p), utf16le(u"a,b\r\nc,d\r\n"));
  // Unchanged tables are not written.
  RegisteredTable quiet;
  const std::u16string q = file("q.csv", "odd,but untouched\n");
  quiet.loadAtStartUp(q, host_);
  quiet.saveAtProgramEnd(host_);
  EXPECT_EQ(bytesOf(q), "odd,but untouched\n");
}

TEST_F(TableFiles, FailedLoadThenAddKeepsTheOriginalBesideIt) {
  const std::string original = utf16le(u"亞,亜\r\n\r\n單,単\r\n");  // an empty line in the middle
  const std::u16string p = file("registTable.csv", original);
  std::ofstream(dir_ / "registTable.csv.bak") << "an older backup";
  table_.loadAtStartUp(p, host_);
  EXPECT_TRUE(table_.registeredPairs.empty());
  table_.AddRegisteredPair(u"新", u"");
  table_.saveAtProgramEnd(host_);
  EXPECT_EQ(bytesOf(p), utf16le(u"新,\r\n"));
  EXPECT_EQ(table_.keptOriginal(), path("registTable.csv.bak2"));
  EXPECT_EQ(bytesOf(path("registTable.csv.bak2")), original);
  EXPECT_EQ(bytesOf(path("registTable.csv.bak")), "an older backup");  // never overwritten
  ASSERT_EQ(host_.messages.size(), 2u);                                // the load error, then where the original went
  EXPECT_NE(host_.messages[1].text.find(path("registTable.csv.bak2")), std::u16string::npos);
  // Once kept, later saves simply write.
  ScriptedHost h;
  table_.AddRegisteredPair(u"後", u"");
  EXPECT_EQ(table_.SaveRegisteredTable(p, h), 0);
  EXPECT_TRUE(h.messages.empty());
  EXPECT_FALSE(fs::exists(dir_ / "registTable.csv.bak3"));
}

TEST_F(TableFiles, ASuccessfulReloadClearsTheProtection) {
  const std::u16string p = file("t.csv", utf16le(u"a\r\n\r\n"));
  table_.LoadRegisteredTable(p, host_);
  file("t.csv", utf16le(u"a\r\n"));
  ASSERT_EQ(table_.LoadRegisteredTable(p, host_), 1);
  ASSERT_EQ(table_.SaveRegisteredTable(p, host_), 0);
  EXPECT_FALSE(fs::exists(dir_ / "t.csv.bak"));
}

// ---- tables that are not what they seem ----------------------------------------------------

TEST_F(TableFiles, AUtf8TableWithoutAMarkReadsAsWrittenAndSurvivesAnAdd) {
  // What an editor on Linux writes: UTF-8, no byte order mark, LF.
  const std::string original = "亞,亜\n單\n𠀋,丈\n";
  const std::u16string p = file("registTable.csv", original);
  table_.loadAtStartUp(p, host_);
  EXPECT_EQ(table_.registeredPairs, kPairs);
  table_.AddRegisteredPair(u"新", u"");
  table_.saveAtProgramEnd(host_);
  EXPECT_EQ(bytesOf(p), utf16le(u"亞,亜\r\n單,\r\n𠀋,丈\r\n新,\r\n"));
  EXPECT_FALSE(fs::exists(dir_ / "registTable.csv.bak"));  // nothing was lost, nothing to keep
  EXPECT_TRUE(host_.messages.empty());
  // Code page 932 without a mark is still read as before.
  EXPECT_EQ(
      table_.LoadRegisteredTable(file("sjis.csv", text::encodeText(u"亞,亜\r\n", text::Encoding::ShiftJis)), host_), 1);
  EXPECT_EQ(table_.registeredPairs.front(), kPairs.front());
}

TEST_F(TableFiles, ATableInNoKnownEncodingIsKeptBeforeAnythingIsWritten) {
  std::string randomBytes;
  std::uint32_t seed = 12345;
  for (int i = 0; i < 4096; ++i) randomBytes.push_back(static_cast<char>((seed = seed * 1103515245 + 12345) >> 23));
  const std::pair<const char*, std::string> cases[] = {
      {"random bytes", randomBytes},
      {"UTF-16 with an odd byte count", utf16le(u"亞,亜\r\n") + "x"},
      {"UTF-16 without a mark", utf16le(u"abc,def\r\n", false)},
      {"malformed UTF-8 after its mark", "\xEF\xBB\xBF\xE4\xBA,x\r\n"},
      {"code page 932 with an undefined code", "a,b\r\n\x85\x40,c\r\n"},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    const std::string name = "registTable.csv";
    lexova::testing::TempDir folder;
    const std::u16string p = text::fromUtf8((folder / name).string());
    std::ofstream(folder / name, std::ios::binary) << bytes;
    ScriptedHost host;
    RegisteredTable table;
    table.loadAtStartUp(p, host);
    EXPECT_TRUE(table.registeredPairs.empty());
    EXPECT_EQ(table.lastLoadFailure(), TableLoadFailure::Undecodable);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption, u"ファイル読み込みエラー");
    EXPECT_NE(host.messages[0].text.find(p), std::u16string::npos);
    table.AddRegisteredPair(u"新", u"");
    table.saveAtProgramEnd(host);
    EXPECT_EQ(io::readFile((folder / "registTable.csv.bak").string()), bytes);
    EXPECT_EQ(bytesOf(p), utf16le(u"新,\r\n"));
  }
}

TEST_F(TableFiles, ALinkedTableStaysALinkAndItsOriginalIsKeptBesideTheRealFile) {
  fs::create_directories(dir_ / "real");
  const std::u16string real = file("real/registTable.csv", utf16le(u"a,b\r\n"));
  fs::create_symlink("real/registTable.csv", dir_ / "link.csv");
  const std::u16string link = path("link.csv");
  table_.loadAtStartUp(link, host_);
  table_.AddRegisteredPair(u"c", u"d");
  table_.saveAtProgramEnd(host_);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
  EXPECT_EQ(bytesOf(real), utf16le(u"a,b\r\nc,d\r\n"));

  // A table that failed to load through the link: the file it names is kept.
  file("real/registTable.csv", utf16le(u"a,b\r\n\r\n"));
  RegisteredTable broken;
  broken.loadAtStartUp(link, host_);
  broken.AddRegisteredPair(u"e", u"");
  broken.saveAtProgramEnd(host_);
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.csv"));
  EXPECT_EQ(bytesOf(path("real/registTable.csv.bak")), utf16le(u"a,b\r\n\r\n"));
  EXPECT_EQ(bytesOf(real), utf16le(u"e,\r\n"));
  EXPECT_EQ(broken.keptOriginal(), path("real/registTable.csv.bak"));
}

TEST_F(TableFiles, AnUnreadableTableIsKeptOnceAndTheNewOneCanBeReadAgain) {
  const std::u16string p = file("registTable.csv", utf16le(u"a,b\r\n"));
  fs::permissions(dir_ / "registTable.csv", fs::perms::none);
  table_.loadAtStartUp(p, host_);  // root reads it anyway; anyone else cannot
  table_.AddRegisteredPair(u"c", u"");
  table_.saveAtProgramEnd(host_);
  EXPECT_EQ(fs::status(dir_ / "registTable.csv").permissions() & fs::perms::owner_all,
            fs::perms::owner_read | fs::perms::owner_write);
  RegisteredTable again;
  again.loadAtStartUp(p, host_);
  EXPECT_EQ(again.lastLoadFailure(), TableLoadFailure::None);
  again.AddRegisteredPair(u"d", u"");
  again.saveAtProgramEnd(host_);
  EXPECT_FALSE(fs::exists(dir_ / "registTable.csv.bak2"));  // no copy after every add
}

TEST_F(TableFiles, FifosDevicesAndHugeFilesAreRefusedWithAMessage) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo.csv").c_str(), 0600), 0);
  { std::ofstream huge(dir_ / "huge.csv"); }
  fs::resize_file(dir_ / "huge.csv", kMaxRegisteredTableBytes + 1);  // sparse: no disk used
  const std::pair<std::u16string, TableLoadFailure> cases[] = {{path("fifo.csv"), TableLoadFailure::NotRegularFile},
                                                               {u"/dev/zero", TableLoadFailure::NotRegularFile},
                                                               {path("huge.csv"), TableLoadFailure::TooLarge}};
  ::alarm(20);  // a FIFO without a writer would otherwise block the test for good
  for (const auto& [p, why] : cases) {
    ScriptedHost host;
    EXPECT_EQ(table_.LoadRegisteredTable(p, host), -1);
    EXPECT_EQ(table_.lastLoadFailure(), why);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].text.find(p), std::u16string::npos);
  }
  ::alarm(0);
  // Saving to the FIFO is refused too, and it stays a FIFO.
  table_.registeredPairs = kPairs;
  EXPECT_EQ(table_.SaveRegisteredTable(path("fifo.csv"), host_), -1);
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo.csv"));
}

}  // namespace
}  // namespace lexova
