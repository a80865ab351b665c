#include "settings/ini_profile.h"
#include "support/scratch_directory.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tovira {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::ScratchDirectory;
using testing::WriteBytes;
using namespace std::string_literals;

constexpr char kDefault[] = "ERROR";

std::vector<std::string> EntriesOf(const fs::path& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename().string());
  return names;
}

// ---- reading ----

struct ReadCase {
  const char* what;
  std::string content;
  const char* section;
  const char* key;
  std::string expected;
};

class ReadRules : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadRules, FindsTheKeyLikeTheProfileCalls) {
  const ReadCase& c = GetParam();
  ScratchDirectory dir;
  WriteBytes(dir.file("a.ini"), c.content);
  EXPECT_EQ(ReadProfileString(c.section, c.key, kDefault, dir.file("a.ini")), c.expected) << c.what;
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Profile, ReadRules,
    ::testing::Values(
        ReadCase{"names ignore case", "[toviraWATCH]\nshowBUTTON=1\n", "ToviraWatch", "ShowButton", "1"},
        ReadCase{"blanks around names and value", " \t[ S \t] junk\n \t k \t= \t2 1 \t\n", "S", "k", "2 1"},
        ReadCase{"blanks around the names asked for", "[S]\nk=3\n", " S\t", "\tk ", "3"},
        ReadCase{"comment line", "[S]\n ;k=1\nk=2\n", "S", "k", "2"},
        ReadCase{"first of duplicate keys", "[S]\nk=1\nK=2\n", "S", "k", "1"},
        ReadCase{"first section with the name only", "[S]\na=1\n[T]\nk=3\n[s]\nk=2\n", "S", "k", kDefault},
        ReadCase{"a later section does not count", "[S]\nk=1\n[T]\n[S]\nk=2\n", "S", "k", "1"},
        ReadCase{"key before any section", "k=1\n[S]\n", "S", "k", kDefault},
        ReadCase{"longer names with the same start", "[SS]\nk=1\n[S]\nkk=2\nk=3\n", "S", "k", "3"},
        ReadCase{"CRLF line endings", "[S]\r\nk=abc \r\nj=2\r\n", "S", "k", "abc"},
        ReadCase{"lone CR ends a line", "[S]\rk=a\rb=2\r", "S", "k", "a"},
        ReadCase{"CR, LF and CRLF mixed", "[S]\ra=1\r\n\nk=2\r", "S", "k", "2"},
        ReadCase{"byte order mark", "\xEF\xBB\xBF[S]\nk=1\n", "S", "k", "1"},
        ReadCase{"half a byte order mark is text", "\xEF\xBB[S]\nk=1\n", "S", "k", kDefault},
        ReadCase{"NUL cuts the value", "[S]\nk=ab\0cd\nj=2\n"s, "S", "k", "ab"},
        ReadCase{"NUL does not stop the parsing", "[S]\n\0\0=x\nj=2\n"s, "S", "j", "2"},
        ReadCase{"value cut to 254", "[S]\nk=" + k300 + "\n", "S", "k", std::string(254, 'x')},
        ReadCase{"trailing blanks beyond 254 dropped", "[S]\nk=" + std::string(254, 'x') + "   \n", "S", "k",
                 std::string(254, 'x')},
        ReadCase{"inner blanks count toward 254", "[S]\nk=a" + std::string(300, ' ') + "b\n", "S", "k",
                 "a" + std::string(253, ' ')},
        ReadCase{"no final line break", "[S]\nk=7", "S", "k", "7"},
        ReadCase{"line holding just the key hides it", "[S]\n k \nk=5\n", "S", "k", kDefault},
        ReadCase{"line holding another name", "[S]\nkk\nk=5\n", "S", "k", "5"},
        ReadCase{"empty value", "[S]\nk=\n", "S", "k", ""},
        ReadCase{"header without ] opens nothing", "[T]\n[S\nk=1\n", "S", "k", kDefault},
        ReadCase{"section name ends at the last ]", "[S]]\nk=1\n[S] x ] y\nk=2\n[S]\nk=3\n", "S", "k", "3"},
        ReadCase{"section name with ]", "[S]]\nk=1\n", "S]", "k", "1"},
        ReadCase{"no section has an empty name", "[]\nk=1\n", "", "k", kDefault},
        ReadCase{"VT, FF and ^Z are blanks", "[S]\n\vk\f=\x1a" "1\t\n", "S", "k", "1"},
        ReadCase{"NUL ends a name", "[S\0x]\nk\0y=1\n"s, "S", "k", "1"},
        ReadCase{"one pair of quotes dropped", "[S]\nk= \"\"1\"\" \n", "S", "k", "\"1\""},
        ReadCase{"single quotes", "[S]\nk=' a '\n", "S", "k", " a "},
        ReadCase{"a lone quote stays", "[S]\nk=\"\n", "S", "k", "\""},
        ReadCase{"unmatched quotes stay", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
        ReadCase{"quotes after the NUL cut", "[S]\nk=\"a\0\"\n"s, "S", "k", "\"a"},
        ReadCase{"quoted 256 loses its last inner byte", "[S]\nk=\"" + std::string(254, 'x') + "\"\n", "S", "k",
                 std::string(253, 'x')},
        ReadCase{"quoted 257 keeps 254 after the opening quote", "[S]\nk=\"" + std::string(255, 'x') + "\"\n",
                 "S", "k", std::string(254, 'x')},
        ReadCase{"key the layout cannot hold", "[S]\na=b=c\n", "S", "a=b", kDefault}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(ReadProfile, FilesThatAreNoReadableRegularFileGiveTheDefault) {
  ScratchDirectory dir;
  fs::create_directory(dir.path() / "folder");
  fs::create_symlink(dir.path() / "nowhere", dir.path() / "dangling");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);  // must not block waiting for a writer
  for (const char* name : {"missing", "folder", "dangling", "fifo"}) {
    EXPECT_EQ(ReadProfileString("S", "k", kDefault, dir.file(name)), kDefault) << name;
  }
}

TEST(ReadProfile, FollowsASymbolicLink) {
  ScratchDirectory dir;
  WriteBytes(dir.file("real.ini"), "[S]\nk=1\n");
  fs::create_symlink("real.ini", dir.path() / "link.ini");
  EXPECT_EQ(ReadProfileString("S", "k", kDefault, dir.file("link.ini")), "1");
}

TEST(ReadProfile, UnreadableFileGivesTheDefault) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  ScratchDirectory dir;
  WriteBytes(dir.file("a.ini"), "[S]\nk=1\n");
  fs::permissions(dir.file("a.ini"), fs::perms::none);
  EXPECT_EQ(ReadProfileString("S", "k", kDefault, dir.file("a.ini")), kDefault);
}

// The reader takes the file in chunks of 64 KiB: a CR LF, a byte order mark or a
// name split across chunks must read as if whole.
TEST(ReadProfile, ChunkBoundariesDoNotMatter) {
  constexpr std::size_t kChunk = 64 * 1024;
  ScratchDirectory dir;
  for (std::size_t shift = 0; shift < 4; ++shift) {
    const std::string head = "[S]\nfill=";
    const std::string line = "key=value\r\n";
    // Puts the CR of `line` at the offsets kChunk - 2 to kChunk + 1.
    const std::string fill(kChunk - head.size() - 1 - line.size() + shift, 'f');
    const std::string path = dir.file("a.ini");
    WriteBytes(path, head + fill + "\n" + line + "next=2\n");
    EXPECT_EQ(ReadProfileString("S", "key", kDefault, path), "value") << shift;
    EXPECT_EQ(ReadProfileString("S", "next", kDefault, path), "2") << shift;
    ASSERT_TRUE(WriteProfileString("S", "key", "v2", path));
    EXPECT_EQ(ReadBytes(path), head + fill + "\nkey=v2\r\nnext=2\n") << shift;
  }
}

TEST(ReadProfile, MegabyteLinesAreReadCorrectly) {
  ScratchDirectory dir;
  const std::string megabyte(1 << 20, 'a');
  WriteBytes(dir.file("a.ini"), "[S]\nlong=" + megabyte + "\n" + std::string(1 << 20, ' ') + "k=5\n" + megabyte +
                                    "\nj=6\n");
  EXPECT_EQ(ReadProfileString("S", "long", kDefault, dir.file("a.ini")), std::string(254, 'a'));
  EXPECT_EQ(ReadProfileString("S", "k", kDefault, dir.file("a.ini")), "5");
  EXPECT_EQ(ReadProfileString("S", "j", kDefault, dir.file("a.ini")), "6");
}

TEST(ProfileLargeFile, HundredMegabytesAreReadAndWritten) {
  ScratchDirectory dir;
  const std::string path = dir.file("big.ini");
  {
    std::ofstream out(path, std::ios::binary);
    const std::string line = "junk=" + std::string(1018, 'j') + "\n";  // 1 KiB lines
    out << "[Other]\n";
    for (int i = 0; i < 100 * 1024; ++i) out << line;
    out << "[S]\nk=end";
  }
  const auto size = fs::file_size(path);
  EXPECT_EQ(ReadProfileString("S", "k", kDefault, path), "end");
  EXPECT_EQ(ReadProfileString("S", "absent", kDefault, path), kDefault);
  ASSERT_TRUE(WriteProfileString("S", "added", "1", path));
  EXPECT_EQ(fs::file_size(path), size + std::string("\nadded=1\n").size());
  EXPECT_EQ(ReadProfileString("S", "added", kDefault, path), "1");
  EXPECT_EQ(ReadProfileString("Other", "junk", kDefault, path), std::string(254, 'j'));
}

// ---- writing ----

struct WriteCase {
  const char* what;
  std::string before;
  const char* key;
  const char* value;
  std::string after;
};

class WriteRules : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteRules, ChangesOnlyTheKeysLine) {
  const WriteCase& c = GetParam();
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, c.before);
  ASSERT_TRUE(WriteProfileString("S", c.key, c.value, path)) << c.what;
  EXPECT_EQ(ReadBytes(path), c.after) << c.what;
  EXPECT_EQ(ReadProfileString("S", c.key, kDefault, path), c.value) << c.what;
  EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.ini"}) << "no temporary file left";
}

INSTANTIATE_TEST_SUITE_P(
    Profile, WriteRules,
    ::testing::Values(
        WriteCase{"replace keeps every other byte",
                  "; head\n[Other]\nk=9\n[S] x\n  K \t= old value  \n;c\n\xff\x01garbage\nz=1\n[S]\nk=dup\n", "k",
                  "new",
                  "; head\n[Other]\nk=9\n[S] x\n  K \t=new\n;c\n\xff\x01garbage\nz=1\n[S]\nk=dup\n"},
        WriteCase{"replace keeps CRLF", "[S]\r\nk=1\r\nz=2\r\n", "k", "22", "[S]\r\nk=22\r\nz=2\r\n"},
        WriteCase{"replace behind a byte order mark", "\xEF\xBB\xBF[S]\nk=1\n", "k", "2", "\xEF\xBB\xBF[S]\nk=2\n"},
        WriteCase{"append after the section's last key", "[S]\na=1\n\n; tail\n[T]\nb=2\n", "k", "v",
                  "[S]\na=1\nk=v\n\n; tail\n[T]\nb=2\n"},
        WriteCase{"append to an empty section", "[S]\n[T]\n", "k", "v", "[S]\nk=v\n[T]\n"},
        WriteCase{"append to the first of duplicate sections", "[S]\na=1\n[S]\nb=2\n", "k", "v",
                  "[S]\na=1\nk=v\n[S]\nb=2\n"},
        WriteCase{"append after a header ending the file", "[S]", "k", "v", "[S]\nk=v\n"},
        WriteCase{"append after a key ending the file", "[S]\na=1", "k", "v", "[S]\na=1\nk=v\n"},
        WriteCase{"new section after a final break", "[T]\nb=2\n", "k", "v", "[T]\nb=2\n[S]\nk=v\n"},
        WriteCase{"new section without a final break", "[T]\nb=2", "k", "v", "[T]\nb=2\n[S]\nk=v\n"},
        WriteCase{"new section in CRLF", "[T]\r\nb=2\r\n", "k", "v", "[T]\r\nb=2\r\n[S]\r\nk=v\r\n"},
        WriteCase{"append after a CRLF", "[S]\r\na=1\r\n[T]\r\n", "k", "v", "[S]\r\na=1\r\nk=v\r\n[T]\r\n"},
        WriteCase{"append in CR", "[S]\ra=1\r\n", "k", "v", "[S]\ra=1\r\nk=v\r"},
        WriteCase{"new section after a CR ending the file", "[T]\nb=2\r", "k", "v", "[T]\nb=2\r[S]\nk=v\n"},
        WriteCase{"a line holding just the key gets its value", "[S]\n k \nk=5\n", "k", "v", "[S]\n k=v \nk=5\n"},
        WriteCase{"a quoted value is replaced whole", "[S]\nk=\"1\"\n", "k", "2", "[S]\nk=2\n"},
        WriteCase{"[S]] is another section", "[S]]\nk=1\n", "k", "v", "[S]]\nk=1\n[S]\nk=v\n"},
        WriteCase{"new section behind a lone byte order mark", "\xEF\xBB\xBF", "k", "v", "\xEF\xBB\xBF[S]\nk=v\n"},
        WriteCase{"NUL bytes elsewhere survive", "[S]\n\0=\0\nk=1\n"s, "k", "2", "[S]\n\0=\0\nk=2\n"s}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(WriteProfile, RefusesWhatTheLayoutCannotHold) {
  struct Refused {
    std::string section, key, value;
  };
  const std::vector<Refused> refused{
      {"", "k", "v"},    {"a\nb", "k", "v"},  {"S", "a=b", "v"}, {"S", "", "v"},    {"S", " ", "v"},
      {"S", ";k", "v"},  {"S", "[k", "v"},   {"S", "k\r", "v"}, {"S", "k", "a\nb"}, {"S", "k", "a\rb"},
      {"S", "k", "a\0b"s}};
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, "[S]\nk=1\n");
  for (const Refused& r : refused) {
    EXPECT_FALSE(WriteProfileString(r.section, r.key, r.value, path)) << r.section << "/" << r.key << "/" << r.value;
  }
  EXPECT_EQ(ReadBytes(path), "[S]\nk=1\n");
  EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.ini"});
}

TEST(WriteProfile, KeepsThePermissionBits) {
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, "[S]\nk=1\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(WriteProfileString("S", "k", "2", path));
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Without any write bit a file is protected even from root; through a link too.
TEST(WriteProfile, LeavesAWriteProtectedFileAlone) {
  using fs::perms;
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  fs::create_symlink("a.ini", dir.path() / "link");
  for (const perms mode : {perms::owner_read, perms::owner_read | perms::group_read | perms::others_read,
                           perms::owner_read | perms::owner_exec}) {
    for (const char* name : {"a.ini", "link"}) {
      WriteBytes(path, "[S]\nk=1\n");
      fs::permissions(path, mode);
      EXPECT_FALSE(WriteProfileString("S", "k", "2", dir.file(name))) << name;
      EXPECT_FALSE(WriteProfileString("T", "k", "2", dir.file(name))) << name;
      EXPECT_EQ(fs::status(path).permissions(), mode);
      fs::permissions(path, perms::owner_all);
      EXPECT_EQ(ReadBytes(path), "[S]\nk=1\n");
      EXPECT_EQ(EntriesOf(dir.path()).size(), 2u) << "no temporary file left";
    }
  }
}

// Every name of the file sees the new content, growing and shrinking.
TEST(WriteProfile, RewritesAHardLinkedFileInPlace) {
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, "[S]\nk=1\nz=2\n");
  fs::create_hard_link(path, dir.path() / "b.ini");
  const auto inode = [&] {
    struct stat status;
    ::stat(path.c_str(), &status);
    return status.st_ino;
  };
  const auto before = inode();
  for (const std::string& value : {std::string(100000, 'v'), std::string("s")}) {
    ASSERT_TRUE(WriteProfileString("S", "k", value, path));
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(ReadBytes(dir.file("b.ini")), "[S]\nk=" + value + "\nz=2\n");
    EXPECT_EQ(EntriesOf(dir.path()).size(), 2u) << "no temporary file left";
  }
}

TEST(WriteProfile, WritesTheTargetOfALinkAndKeepsTheLink) {
  ScratchDirectory dir;
  fs::create_directory(dir.path() / "real");
  WriteBytes(dir.path() / "real" / "a.ini", "[S]\nk=1\n");
  fs::create_symlink("real/a.ini", dir.path() / "hop");       // relative, resolved from the link's directory
  fs::create_symlink(dir.path() / "hop", dir.path() / "link");  // a chain of two
  ASSERT_TRUE(WriteProfileString("S", "k", "2", dir.file("link")));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "hop"));
  EXPECT_EQ(ReadBytes(dir.path() / "real" / "a.ini"), "[S]\nk=2\n");
  EXPECT_EQ(EntriesOf(dir.path() / "real"), std::vector<std::string>{"a.ini"});
}

TEST(WriteProfile, DanglingLinkCreatesItsTargetOnlyWhereItsDirectoryExists) {
  ScratchDirectory dir;
  fs::create_symlink("target.ini", dir.path() / "link");
  fs::create_symlink("nodir/target.ini", dir.path() / "lost");
  ASSERT_TRUE(WriteProfileString("S", "k", "v", dir.file("link")));
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link"));
  EXPECT_EQ(ReadBytes(dir.file("target.ini")), "[S]\nk=v\n");
  EXPECT_FALSE(WriteProfileString("S", "k", "v", dir.file("lost")));
  EXPECT_FALSE(fs::exists(dir.path() / "nodir"));
}

TEST(WriteProfile, FailsOnWhatIsNoRegularFile) {
  ScratchDirectory dir;
  fs::create_directory(dir.path() / "folder");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  fs::create_symlink("loop", dir.path() / "loop");
  for (const char* name : {"folder", "fifo", "loop", "nodir/a.ini"}) {
    EXPECT_FALSE(WriteProfileString("S", "k", "v", dir.file(name))) << name;
  }
  EXPECT_TRUE(fs::is_directory(dir.path() / "folder"));
  EXPECT_TRUE(fs::is_fifo(dir.path() / "fifo"));
  EXPECT_EQ(fs::directory_iterator(dir.path() / "folder"), fs::directory_iterator());
  EXPECT_EQ(EntriesOf(dir.path()).size(), 3u) << "no temporary file left";
}

// Kills a writer at different moments of its work; a temporary file may stay
// behind, but the file itself is always whole, old or new. A file with a second
// link, rewritten in place, may be torn, but then the new content waits beside it.
TEST(WriteProfile, KilledMidWriteLeavesTheOldOrTheNewFile) {
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  const std::string filler = "[Other]\nbig=" + std::string(8 << 20, 'b') + "\n";
  const std::string before = "[S]\nk=old\n" + filler;
  const std::string after = "[S]\nk=new\n" + filler;
  const auto newContentBeside = [&] {
    for (const std::string& name : EntriesOf(dir.path())) {
      if (name.ends_with(".new") && ReadBytes(dir.path() / name) == after) return true;
    }
    return false;
  };
  for (int round = 0; round < 24; ++round) {
    const bool linked = round % 2 != 0;
    for (const std::string& name : EntriesOf(dir.path())) fs::remove(dir.path() / name);
    WriteBytes(path, before);
    if (linked) fs::create_hard_link(path, dir.path() / "b.ini");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(WriteProfileString("S", "k", "new", path) ? 0 : 1);
    ::usleep(static_cast<useconds_t>(round / 2 * 3000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = ReadBytes(path);
    EXPECT_TRUE(now == before || now == after || (linked && newContentBeside()))
        << "round " << round << ", " << now.size() << " bytes";
  }
}

// Permission checks do not hold for root, which every test run in a container may be.
class AsUnprivilegedUser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores permissions";
  }
};

TEST_F(AsUnprivilegedUser, ReadOnlyDirectoryFailsAndKeepsTheFile) {
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, "[S]\nk=1\n");
  fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(WriteProfileString("S", "k", "2", path));
  EXPECT_EQ(ReadBytes(path), "[S]\nk=1\n");
  EXPECT_EQ(EntriesOf(dir.path()), std::vector<std::string>{"a.ini"});
}

TEST_F(AsUnprivilegedUser, UnreadableFileIsNotReplaced) {
  ScratchDirectory dir;
  const std::string path = dir.file("a.ini");
  WriteBytes(path, "[Other]\nkeep=me\n");
  fs::permissions(path, fs::perms::owner_write);
  EXPECT_FALSE(WriteProfileString("S", "k", "2", path));
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(ReadBytes(path), "[Other]\nkeep=me\n");
}

}  // namespace
}  // namespace tovira
