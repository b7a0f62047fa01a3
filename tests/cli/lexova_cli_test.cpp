// The lexova tool's contract: output shapes and exit statuses, run as a process.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "io/byte_io.h"
#include "support/workfile.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string out, err;
};

class LexovaTool : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("lexova-cli-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  Outcome run(const std::string& args) {
    const std::string out = (dir_ / "stdout").string(), err = (dir_ / "stderr").string();
    const std::string cmd = std::string(LEXOVA_BINARY) + " " + args + " >" + out + " 2>" + err;
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, lexova::io::readFile(out), lexova::io::readFile(err)};
  }

  fs::path dir_;
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

}  // namespace
