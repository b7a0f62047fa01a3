// Writing and reading the user's files: what lands where, with which mode, and
// what is refused, as a person would check with ls after saving.
#include "io/byte_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace lexova::io {
namespace {

namespace fs = std::filesystem;

void put(const fs::path& p, const std::string& bytes) {
  SafeFileSink sink(p.string());
  sink.write(bytes);
  sink.commit();
}

mode_t modeOf(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
  return st.st_mode;
}

// Everything in the folder but the names given.
std::vector<std::string> others(const fs::path& dir, std::initializer_list<std::string> known) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
  }
  return out;
}

class UmaskScope {
 public:
  explicit UmaskScope(mode_t m) : old_(::umask(m)) {}
  ~UmaskScope() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(SafeFileSink, NewFilesGetTheUsualModeReplacedOnesKeepTheirsReadableByTheOwner) {
  lexova::testing::TempDir dir;
  {
    UmaskScope u(022);
    put(dir / "new.xml", "a");
    EXPECT_EQ(modeOf(dir / "new.xml") & 07777, 0644u);
  }
  {
    UmaskScope u(077);
    put(dir / "private.xml", "a");
    EXPECT_EQ(modeOf(dir / "private.xml") & 07777, 0600u);
  }
  // Replaced files keep their mode whatever the umask; the owner can always read
  // back what was saved (an unreadable original would otherwise stay unreadable).
  const std::pair<mode_t, mode_t> cases[] = {{0640, 0640}, {0444, 0644}, {0000, 0600}, {0755, 0755}};
  for (const auto& [before, after] : cases) {
    const fs::path p = dir / ("m" + std::to_string(before));
    std::ofstream(p) << "old";
    ::chmod(p.c_str(), before);
    put(p, "new");
    EXPECT_EQ(modeOf(p) & 07777, after) << std::oct << before;
    ::chmod(p.c_str(), 0600);
    std::ifstream in(p);
    std::string back;
    in >> back;
    EXPECT_EQ(back, "new");
  }
  // Saved by root, a user's file stays the user's.
  if (::geteuid() == 0) {
    const fs::path p = dir / "theirs.xml";
    std::ofstream(p) << "old";
    ASSERT_EQ(::chown(p.c_str(), 4321, 4321), 0);
    put(p, "new");
    struct stat st {};
    ::stat(p.c_str(), &st);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4321u);
  }
}

TEST(SafeFileSink, ALinkIsWrittenThroughAndStaysALink) {
  lexova::testing::TempDir dir;
  fs::create_directories(dir / "real");
  fs::create_directories(dir / "links");
  std::ofstream(dir / "real" / "work.xml") << "old";
  fs::create_symlink("../real/work.xml", dir / "links" / "relative.xml");
  fs::create_symlink(dir / "links" / "relative.xml", dir / "links" / "chain.xml");
  put(dir / "links" / "chain.xml", "new");
  EXPECT_TRUE(fs::is_symlink(dir / "links" / "chain.xml"));
  EXPECT_TRUE(fs::is_symlink(dir / "links" / "relative.xml"));
  EXPECT_EQ(readFile((dir / "real" / "work.xml").string()), "new");
  // Nothing was left in either folder.
  EXPECT_EQ(others(dir / "real", {"work.xml"}), std::vector<std::string>{});
  EXPECT_EQ(others(dir / "links", {"relative.xml", "chain.xml"}), std::vector<std::string>{});

  // A link to a file not yet there makes that file.
  fs::create_symlink("later.xml", dir / "real" / "dangling.xml");
  put(dir / "real" / "dangling.xml", "made");
  EXPECT_TRUE(fs::is_symlink(dir / "real" / "dangling.xml"));
  EXPECT_EQ(readFile((dir / "real" / "later.xml").string()), "made");

  // A loop is an error, not a hang.
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  EXPECT_THROW(SafeFileSink((dir / "loop1").string()), IoError);
}

TEST(SafeFileSink, FoldersFifosAndDevicesAreNeverReplaced) {
  lexova::testing::TempDir dir;
  fs::create_directories(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", dir / "link-to-fifo");
  std::vector<fs::path> targets = {dir / "folder", dir / "fifo", dir / "link-to-fifo"};
  // Our own device node (root only): never the machine's /dev/null.
  if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) targets.push_back(dir / "null");
  for (const fs::path& t : targets) {
    try {
      SafeFileSink sink(t.string());
      ADD_FAILURE() << "accepted " << t;
    } catch (const IoError& e) {
      EXPECT_EQ(e.kind(), IoFailure::NotRegularFile) << t;
      EXPECT_NE(std::string(e.what()).find(t.string()), std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
  if (targets.size() == 4) {
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
  }
}

TEST(FileSource, OnlyRegularFilesAreReadAndNothingBlocks) {
  lexova::testing::TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_directories(dir / "folder");
  ::alarm(20);  // a FIFO without a writer would otherwise block the test for good
  for (const fs::path& p : {dir / "fifo", dir / "folder", fs::path("/dev/zero")}) {
    try {
      FileSource in(p.string());
      ADD_FAILURE() << "opened " << p;
    } catch (const IoError& e) {
      EXPECT_EQ(e.kind(), IoFailure::NotRegularFile) << p;
    }
  }
  ::alarm(0);
  try {
    FileSource in((dir / "none").string());
    ADD_FAILURE();
  } catch (const IoError& e) {
    EXPECT_EQ(e.kind(), IoFailure::Missing);
  }
  std::ofstream(dir / "ten") << "0123456789";
  EXPECT_EQ(readFile((dir / "ten").string(), 10), "0123456789");
  try {
    readFile((dir / "ten").string(), 9);
    ADD_FAILURE();
  } catch (const IoError& e) {
    EXPECT_EQ(e.kind(), IoFailure::TooLarge);
  }
}

TEST(SafeFileSink, TheTemporaryFileIsHiddenNamedAfterTheTargetAndGoneAfterAFailure) {
  lexova::testing::TempDir dir;
  std::ofstream(dir / "work.xml") << "old";
  {
    SafeFileSink sink((dir / "work.xml").string());
    sink.write("half");
    const std::vector<std::string> temps = others(dir.path(), {"work.xml"});
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_TRUE(temps[0].starts_with(".work.xml.lexova-")) << temps[0];
    // Not committed: the old file stays, the temporary goes.
  }
  EXPECT_EQ(readFile((dir / "work.xml").string()), "old");
  EXPECT_EQ(others(dir.path(), {"work.xml"}), std::vector<std::string>{});
}

TEST(SafeFileSink, TheNextWriteRemovesWhatAKilledWriterLeftButNotALiveWritersFile) {
  lexova::testing::TempDir dir;
  const std::string target = (dir / "work.xml").string();
  put(target, "first");
  // A writer killed in the middle of its work.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SafeFileSink sink(target);
    sink.write(std::string(1 << 20, 'x'));
    ::kill(::getpid(), SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(others(dir.path(), {"work.xml"}).size(), 1u);  // its leftover
  EXPECT_EQ(readFile(target), "first");

  // Files of this name shape that are not ours stay: another target's, a folder.
  std::ofstream(dir / ".other.xml.lexova-AAAAAA") << "another target";
  std::ofstream(dir / ".work.xml.lexova-notmine") << "other shape";
  fs::create_directories(dir / ".work.xml.lexova-BBBBBB");

  SafeFileSink alive(target);  // a writer still at work
  alive.write("alive");
  put(target, "second");
  EXPECT_EQ(readFile(target), "second");
  const std::vector<std::string> left = others(dir.path(), {"work.xml"});
  EXPECT_EQ(left.size(), 4u);  // the live writer's file and the three strangers
  alive.commit();
  EXPECT_EQ(readFile(target), "alive");
  EXPECT_EQ(others(dir.path(), {"work.xml"}).size(), 3u);
}

TEST(SafeFileSink, AVeryLongNameStillGetsATemporaryFileBesideIt) {
  lexova::testing::TempDir dir;
  std::string name;
  while (name.size() + 3 <= 250) name += "頁";  // 3 bytes each, near the limit of a name
  name += ".xml";
  put(dir / name, "long");
  EXPECT_EQ(readFile((dir / name).string()), "long");
  put(dir / name, "again");
  EXPECT_EQ(others(dir.path(), {name}), std::vector<std::string>{});
}

}  // namespace
}  // namespace lexova::io
