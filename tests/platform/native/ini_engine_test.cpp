// The native INI engine's promises beyond the platform's reading rules: a
// write changes only the bytes it must, replaces the file safely, keeps its
// permissions and links, loses nothing between processes, refuses what would
// break the file, and junk input does no harm.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile_service.h"
#include "support/file_bytes.h"
#include "support/ini_test_paths.h"

namespace zarn {
namespace {

using zarn::test::readBytes;
using zarn::test::writeBytes;

std::string utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes.append({c, '\0'});
  return bytes;
}

std::string utf16Be(std::string_view ascii) {
  std::string bytes = "\xFE\xFF";
  for (const char c : ascii) bytes.append({'\0', c});
  return bytes;
}

struct stat statusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status;
}

class IniEngine : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratchFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    file_ = folder_ + "/edit.ini";
  }

  bool write(const char* section, const char* key, const char* value) const {
    return ProfileService::WritePrivateProfileStringA(section, key, value, file_.c_str());
  }

  std::string read(const char* section, const char* key, uint32_t size = 255) const {
    std::string buffer(size, '\0');
    const uint32_t count = ProfileService::GetPrivateProfileStringA(
        section, key, "<default>", buffer.data(), size, file_.c_str());
    return buffer.substr(0, count);
  }

  std::string folder_;
  std::string file_;
};

constexpr const char* settings =
    "\xEF\xBB\xBF; settings\r\n"
    "\r\n"
    "[Main]\r\n"
    "  Name = old value  \r\n"
    "; keep me\r\n"
    "other=1\r\n"
    "\r\n"
    "; about Next\r\n"
    "[Next]\r\n"
    "z=9\r\n";

TEST_F(IniEngine, ReplacesOnlyTheValueItWrites) {
  writeBytes(file_, settings);
  ASSERT_TRUE(write("main", "NAME", "new"));
  EXPECT_EQ(readBytes(file_),
            "\xEF\xBB\xBF; settings\r\n\r\n[Main]\r\n  Name = new  \r\n; keep me\r\nother=1\r\n"
            "\r\n; about Next\r\n[Next]\r\nz=9\r\n");
}

TEST_F(IniEngine, AppendsBehindTheSectionsLastLineAndNewSectionsAtTheEnd) {
  writeBytes(file_, settings);
  ASSERT_TRUE(write("Main", "added", "2"));
  ASSERT_TRUE(write("Last", "k", "v"));
  EXPECT_EQ(
      readBytes(file_),
      "\xEF\xBB\xBF; settings\r\n\r\n[Main]\r\n  Name = old value  \r\n; keep me\r\nother=1\r\n"
      "added=2\r\n\r\n; about Next\r\n[Next]\r\nz=9\r\n[Last]\r\nk=v\r\n");
}

TEST_F(IniEngine, RemovesOnlyTheDeletedLines) {
  writeBytes(file_, settings);
  ASSERT_TRUE(write("Main", "other", nullptr));
  ASSERT_TRUE(write("next", nullptr, nullptr));
  EXPECT_EQ(readBytes(file_),
            "\xEF\xBB\xBF; settings\r\n\r\n[Main]\r\n  Name = old value  \r\n; keep me\r\n\r\n"
            "; about Next\r\n");
}

TEST_F(IniEngine, FollowsTheLineEndsOfTheFile) {
  writeBytes(file_, "[s]\na=1");
  ASSERT_TRUE(write("s", "b", "2"));
  EXPECT_EQ(readBytes(file_), "[s]\na=1\nb=2");
  ASSERT_TRUE(write("t", "c", "3"));
  EXPECT_EQ(readBytes(file_), "[s]\na=1\nb=2\n[t]\nc=3\n");
}

TEST_F(IniEngine, StartsANewFileWithTheLineEndsOfThePlatform) {
  ASSERT_TRUE(write("s", "k", "v"));
  EXPECT_EQ(readBytes(file_), "[s]\r\nk=v\r\n");
}

TEST_F(IniEngine, KeepsUtf16Files) {
  writeBytes(file_, utf16Le("[w]\r\nk=old\r\n"));
  ASSERT_TRUE(write("w", "k", "new"));
  ASSERT_TRUE(write("w", "n", "2"));
  EXPECT_EQ(readBytes(file_), utf16Le("[w]\r\nk=new\r\nn=2\r\n"));
  writeBytes(file_, utf16Be("[w]\r\nk=old\r\n"));
  ASSERT_TRUE(write("w", "k", "new"));
  ASSERT_TRUE(write("w", "n", "2"));
  ASSERT_TRUE(write("x", "m", "3"));
  EXPECT_EQ(readBytes(file_), utf16Be("[w]\r\nk=new\r\nn=2\r\n[x]\r\nm=3\r\n"));
}

TEST_F(IniEngine, WritesNothingWhenNothingChanges) {
  writeBytes(file_, "[s]\r\nk=v\r\n");
  const ino_t before = statusOf(file_).st_ino;
  EXPECT_TRUE(write("S", "K", "v"));
  EXPECT_TRUE(write("s", "missing", nullptr));
  EXPECT_TRUE(write("missing", nullptr, nullptr));
  EXPECT_EQ(statusOf(file_).st_ino, before);

  const std::string absent = folder_ + "/absent.ini";
  EXPECT_TRUE(ProfileService::WritePrivateProfileStringA("s", "k", nullptr, absent.c_str()));
  EXPECT_FALSE(std::filesystem::exists(absent));
}

TEST_F(IniEngine, RefusesWritesThatWouldBreakTheFile) {
  struct Refused {
    const char* section;
    const char* key;
    const char* value;
  };
  const std::vector<Refused> refused = {
      {"s\r\n[x", "k", "v"}, {"s", "k\nj", "v"}, {"s", "k", "v\r[x]"}, {"s", "k", "v\n"},
      {"", "k", "v"},        {" \t", "k", "v"},  {"s", "", "v"},       {"s", "  ", "v"},
      {"s", "a=b", "v"},     {"s]", "k", "v"},   {"s", " ;k", "v"},    {"s", "[k", "v"},
      {nullptr, "k", "v"},
  };
  const std::string original = "[s]\r\nk=v\r\n";
  writeBytes(file_, original);
  const std::string absent = folder_ + "/absent.ini";
  for (const Refused& r : refused) {
    SCOPED_TRACE(std::string(r.section ? r.section : "(null)") + "|" + r.key + "|" + r.value);
    EXPECT_FALSE(write(r.section, r.key, r.value));
    EXPECT_FALSE(
        ProfileService::WritePrivateProfileStringA(r.section, r.key, r.value, absent.c_str()));
  }
  EXPECT_EQ(readBytes(file_), original);
  EXPECT_FALSE(std::filesystem::exists(absent));
  EXPECT_FALSE(ProfileService::WritePrivateProfileStringA("s", "k", "v", ""));
  EXPECT_FALSE(ProfileService::WritePrivateProfileStringA("s", "k", "v", nullptr));
}

TEST_F(IniEngine, KeepsPermissionsAndRefusesReadOnlyFiles) {
  writeBytes(file_, "[s]\r\nk=v\r\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
  ASSERT_TRUE(write("s", "k", "w"));
  EXPECT_EQ(statusOf(file_).st_mode & 07777, 0640u);

  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  EXPECT_FALSE(write("s", "k", "x"));
  EXPECT_EQ(readBytes(file_), "[s]\r\nk=w\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

TEST_F(IniEngine, WritesThroughSymbolicLinks) {
  std::filesystem::create_directory(folder_ + "/real");
  const std::string target = folder_ + "/real/target.ini";
  writeBytes(target, "[s]\r\nk=v\r\n");
  ASSERT_EQ(::symlink("real/target.ini", (folder_ + "/middle.ini").c_str()), 0);
  ASSERT_EQ(::symlink("middle.ini", file_.c_str()), 0);

  ASSERT_TRUE(write("s", "k", "linked"));
  EXPECT_TRUE(S_ISLNK(statusOf(file_).st_mode));
  EXPECT_TRUE(S_ISLNK(statusOf(folder_ + "/middle.ini").st_mode));
  EXPECT_EQ(readBytes(target), "[s]\r\nk=linked\r\n");
  EXPECT_EQ(read("s", "k"), "linked");
}

TEST_F(IniEngine, CreatesTheTargetOfADanglingLink) {
  ASSERT_EQ(::symlink("created.ini", file_.c_str()), 0);
  ASSERT_TRUE(write("s", "k", "v"));
  EXPECT_TRUE(S_ISLNK(statusOf(file_).st_mode));
  EXPECT_EQ(readBytes(folder_ + "/created.ini"), "[s]\r\nk=v\r\n");
}

TEST_F(IniEngine, SeesEveryChangeOfACachedFile) {
  writeBytes(file_, "[s]\nk=aaa\n");
  ASSERT_EQ(read("s", "k"), "aaa");

  // Same file, same size, other content and time.
  {
    std::fstream inPlace(file_, std::ios::in | std::ios::out | std::ios::binary);
    inPlace.seekp(6);
    inPlace << "bbb";
  }
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file_.c_str(), times, 0), 0);
  EXPECT_EQ(read("s", "k"), "bbb");

  writeBytes(file_, "[s]\nk=cccc\n");
  EXPECT_EQ(read("s", "k"), "cccc");

  std::filesystem::remove(file_);
  EXPECT_EQ(read("s", "k"), "<default>");
}

// Listings of a cached file are kept with it, at every buffer size, and go
// with it when the file changes.
TEST_F(IniEngine, ListsEveryChangeOfACachedFile) {
  const auto listed = [&](const char* section, uint32_t size) {
    std::string buffer(size, ' ');
    const uint32_t count = section == nullptr ? ProfileService::GetPrivateProfileSectionNamesA(
                                                    buffer.data(), size, file_.c_str())
                                              : ProfileService::GetPrivateProfileSectionA(
                                                    section, buffer.data(), size, file_.c_str());
    return buffer.substr(0, count);
  };
  writeBytes(file_, "[one]\nk=1\n[two]\n");
  EXPECT_EQ(listed(nullptr, 5), std::string("one", 3));
  EXPECT_EQ(listed(nullptr, 64), std::string("one\0two\0", 8));
  EXPECT_EQ(listed("ONE", 3), "k");
  EXPECT_EQ(listed("one", 64), std::string("k=1\0", 4));

  {
    std::fstream inPlace(file_, std::ios::in | std::ios::out | std::ios::binary);
    inPlace << "[unu]\nj=2";
  }
  const struct timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file_.c_str(), times, 0), 0);
  EXPECT_EQ(listed(nullptr, 5), std::string("unu", 3));
  EXPECT_EQ(listed(nullptr, 64), std::string("unu\0two\0", 8));
  EXPECT_EQ(listed("one", 64), "");
  EXPECT_EQ(listed("unu", 64), std::string("j=2\0", 4));
}

TEST_F(IniEngine, WritersInSeveralProcessesLoseNothing) {
  constexpr int processes = 4;
  constexpr int entriesEach = 25;
  writeBytes(file_, "; shared\r\n");
  std::vector<pid_t> children;
  for (int p = 0; p < processes; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      bool allWritten = true;
      for (int e = 0; e < entriesEach; ++e) {
        const std::string key = "p" + std::to_string(p) + "e" + std::to_string(e);
        const std::string section = e % 2 == 0 ? "shared" : "own" + std::to_string(p);
        allWritten &= write(section.c_str(), key.c_str(), std::to_string(e).c_str());
      }
      ::_exit(allWritten ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int p = 0; p < processes; ++p) {
    for (int e = 0; e < entriesEach; ++e) {
      const std::string key = "p" + std::to_string(p) + "e" + std::to_string(e);
      const std::string section = e % 2 == 0 ? "shared" : "own" + std::to_string(p);
      EXPECT_EQ(read(section.c_str(), key.c_str()), std::to_string(e)) << key;
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1)
      << "a temporary file was left behind";
}

TEST_F(IniEngine, ReadsAroundJunkAndChangesNothing) {
  std::string junk = "[s]\r\nnul=a";
  junk.append(3, '\0');
  constexpr char nulLine[] = "b\r\n\0\0\0\r\nlong=";
  junk += std::string(nulLine, sizeof nulLine - 1) + std::string(5 << 20, 'x') + "\r\nafter=ok\r\n";
  writeBytes(file_, junk);
  EXPECT_EQ(read("s", "after"), "ok");
  EXPECT_EQ(read("s", "long").size(), 254u);
  EXPECT_EQ(read("s", "missing"), "<default>");
  ASSERT_TRUE(write("s", "after", "changed"));
  EXPECT_EQ(readBytes(file_).size(), junk.size() + 5);
  EXPECT_EQ(read("s", "long", 10), "xxxxxxxxx");

  std::mt19937 generator(20240611);
  std::string noise(1 << 20, '\0');
  for (char& c : noise) c = static_cast<char>(generator());
  writeBytes(file_, noise);
  EXPECT_EQ(read("no such section", "k"), "<default>");
  std::string names(64, ' ');
  EXPECT_LE(ProfileService::GetPrivateProfileSectionNamesA(names.data(), 64, file_.c_str()), 62u);
  EXPECT_EQ(readBytes(file_), noise);
}

// A NUL ends the name or value it falls in as the platform reads them
// (profile_files/nul_bytes); a write keeps every byte around it, and a new
// value replaces the whole old one, the bytes behind its NUL too.
TEST_F(IniEngine, WritesAroundNulBytes) {
  using std::string_literals::operator""s;
  writeBytes(file_, "[s]\r\nk=va\0lue\r\n=val5\r\n\0"s);
  EXPECT_EQ(read("s", "k"), "va");
  EXPECT_TRUE(write("s", "k", "va"));
  ASSERT_TRUE(write("s", "added", "1"));
  EXPECT_EQ(readBytes(file_), "[s]\r\nk=va\0lue\r\n=val5\r\nadded=1\r\n\0"s);
  ASSERT_TRUE(write("s", "k", "new"));
  EXPECT_EQ(readBytes(file_), "[s]\r\nk=new\r\n=val5\r\nadded=1\r\n\0"s);
}

TEST_F(IniEngine, TakesNullArgumentsSafely) {
  writeBytes(file_, "[s]\r\nk=v\r\n");
  std::string buffer(16, ' ');
  EXPECT_EQ(
      ProfileService::GetPrivateProfileStringA(nullptr, "k", "d", buffer.data(), 16, file_.c_str()),
      1u);
  EXPECT_EQ(ProfileService::GetPrivateProfileStringA("s", nullptr, nullptr, buffer.data(), 16,
                                                     file_.c_str()),
            0u);
  EXPECT_EQ(ProfileService::GetPrivateProfileStringA("s", "k", "d", nullptr, 16, file_.c_str()),
            0u);
  EXPECT_EQ(ProfileService::GetPrivateProfileIntA("s", "k", 5, nullptr), 5u);
  EXPECT_EQ(ProfileService::GetPrivateProfileSectionA(nullptr, buffer.data(), 16, file_.c_str()),
            0u);
}

TEST_F(IniEngine, ComparesNonAsciiNamesIgnoringCase) {
  ASSERT_TRUE(write("\xC3\x89t\xC3\xA9", "\xD0\x94\xD0\xBE\xD0\xBC", "1"));  // Été, Дом
  EXPECT_EQ(read("\xC3\xA9T\xC3\x89", "\xD0\xB4\xD0\x9E\xD0\x9C"), "1");     // éTÉ, дОМ
  ASSERT_TRUE(write("\xC3\xA9T\xC3\x89", "\xD0\xB4\xD0\xBE\xD0\xBC", "2"));
  EXPECT_EQ(readBytes(file_), "[\xC3\x89t\xC3\xA9]\r\n\xD0\x94\xD0\xBE\xD0\xBC=2\r\n");
}

TEST_F(IniEngine, NeverSplitsAUtf8CharacterWhenCutting) {
  writeBytes(file_, "[s]\r\nk=ab\xC3\xA9\xE2\x82\xAC\r\n");  // ab é €
  EXPECT_EQ(read("s", "k", 4), "ab");
  EXPECT_EQ(read("s", "k", 5), "ab\xC3\xA9");
  EXPECT_EQ(read("s", "k", 7), "ab\xC3\xA9");
  EXPECT_EQ(read("s", "k", 8), "ab\xC3\xA9\xE2\x82\xAC");
}

}  // namespace
}  // namespace zarn
