// The INI writer among other users: links planted in shared folders, team
// files with their owner and group, and writers killed half-way. The writer
// runs as an unprivileged user in a child process; the test, as root, makes
// the other users' files. Without root the tests are skipped.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/profile_service.h"
#include "support/file_bytes.h"

namespace zarn {
namespace {

using zarn::test::readBytes;
using zarn::test::writeBytes;

namespace fs = std::filesystem;

constexpr uid_t Writer = 2002;
constexpr gid_t WriterGroup = 3002;
constexpr uid_t Other = 2001;
constexpr gid_t Team = 3001;

bool write(const std::string& file, const char* key, const char* value) {
  return ProfileService::WritePrivateProfileStringA("Settings", key, value, file.c_str());
}

struct stat statusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
  return status;
}

// Runs work as uid Writer (group WriterGroup, plus the given supplementary
// groups) in a child process; its exit code, or 100 + signal.
int asWriter(const std::vector<gid_t>& groups, const std::function<bool()>& work) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(WriterGroup) != 0 ||
        ::setuid(Writer) != 0) {
      ::_exit(99);
    }
    ::_exit(work() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

constexpr int Wrote = 0;
constexpr int Refused = 1;

class IniSharedFolder : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0)
      GTEST_SKIP() << "needs root to act as several users (runs as uid " << ::geteuid() << ")";
    std::string pattern = (fs::temp_directory_path() / "zarn-shared-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    ::chmod(root_.c_str(), 0755);
    shared_ = root_ + "/shared";
    fs::create_directory(shared_);
    ::chmod(shared_.c_str(), 01777);
  }
  void TearDown() override {
    if (!root_.empty()) fs::remove_all(root_);
  }

  // A folder of its own (0700) holding a 0600 file, both the writer's.
  std::string writersPrivateFile() {
    const std::string folder = root_ + "/private";
    fs::create_directory(folder);
    const std::string file = folder + "/secret.ini";
    writeBytes(file, "[Settings]\nUser=me\n");
    EXPECT_EQ(::chown(folder.c_str(), Writer, WriterGroup), 0);
    EXPECT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ(::chown(file.c_str(), Writer, WriterGroup), 0);
    EXPECT_EQ(::chmod(file.c_str(), 0600), 0);
    return file;
  }

  std::string plantLink(const std::string& target, uid_t owner) {
    const std::string link = shared_ + "/app.ini";
    fs::remove(link);
    EXPECT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(::lchown(link.c_str(), owner, owner), 0);
    return link;
  }

  std::string root_;
  std::string shared_;
};

TEST_F(IniSharedFolder, RefusesALinkSomeoneElsePlantedInAStickyFolder) {
  const std::string secret = writersPrivateFile();
  const std::string link = plantLink(secret, Other);
  EXPECT_EQ(asWriter({}, [&] { return write(link, "User", "root"); }), Refused);
  EXPECT_EQ(readBytes(secret), "[Settings]\nUser=me\n");
  EXPECT_TRUE(S_ISLNK(statusOf(link).st_mode));
}

TEST_F(IniSharedFolder, RefusesADanglingLinkSomeoneElsePlanted) {
  const std::string wouldBe = root_ + "/private-new.ini";
  const std::string link = plantLink(wouldBe, Other);
  ::chmod(root_.c_str(), 0777);
  EXPECT_EQ(asWriter({}, [&] { return write(link, "User", "root"); }), Refused);
  EXPECT_FALSE(fs::exists(wouldBe));
}

TEST_F(IniSharedFolder, FollowsLinksOfTheWriterOrOfTheFoldersOwner) {
  const std::string secret = writersPrivateFile();
  plantLink(secret, Writer);
  EXPECT_EQ(asWriter({}, [&] { return write(shared_ + "/app.ini", "User", "own link"); }), Wrote);
  plantLink(secret, 0);  // root owns the shared folder
  EXPECT_EQ(asWriter({}, [&] { return write(shared_ + "/app.ini", "User", "owner's link"); }),
            Wrote);
  EXPECT_EQ(readBytes(secret), "[Settings]\nUser=owner's link\n");
}

TEST_F(IniSharedFolder, FollowsAnyLinkOutsideStickyFolders) {
  const std::string secret = writersPrivateFile();
  const std::string plain = root_ + "/plain";
  fs::create_directory(plain);
  ::chmod(plain.c_str(), 0777);
  const std::string link = plain + "/app.ini";
  ASSERT_EQ(::symlink(secret.c_str(), link.c_str()), 0);
  ASSERT_EQ(::lchown(link.c_str(), Other, Other), 0);
  EXPECT_EQ(asWriter({}, [&] { return write(link, "User", "linked"); }), Wrote);
  EXPECT_EQ(readBytes(secret), "[Settings]\nUser=linked\n");
}

// A team folder and file: owner Other, group Team, writable by the group.
std::string teamFile(const std::string& folder, mode_t mode) {
  fs::create_directory(folder);
  EXPECT_EQ(::chown(folder.c_str(), Other, Team), 0);
  EXPECT_EQ(::chmod(folder.c_str(), 02775), 0);
  const std::string file = folder + "/team.ini";
  writeBytes(file, "; team settings\n[Settings]\nUser=a\n");
  EXPECT_EQ(::chown(file.c_str(), Other, Team), 0);
  EXPECT_EQ(::chmod(file.c_str(), mode), 0);
  return file;
}

TEST_F(IniSharedFolder, AGroupMemberKeepsTheTeamFilesOwnerAndGroup) {
  const std::string file = teamFile(root_ + "/team", 0660);
  EXPECT_EQ(asWriter({Team}, [&] { return write(file, "User", "b") && write(file, "New", "c"); }),
            Wrote);
  const struct stat after = statusOf(file);
  EXPECT_EQ(after.st_uid, Other);
  EXPECT_EQ(after.st_gid, Team);
  EXPECT_EQ(after.st_mode & 07777, 0660u);
  EXPECT_EQ(readBytes(file), "; team settings\n[Settings]\nUser=b\nNew=c\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ + "/team"), {}), 1);
}

TEST_F(IniSharedFolder, TheOwnerReplacesAtomicallyAndKeepsTheGroup) {
  const std::string file = teamFile(root_ + "/mine", 0640);
  ASSERT_EQ(::chown(file.c_str(), Writer, Team), 0);
  const ino_t before = statusOf(file).st_ino;
  EXPECT_EQ(asWriter({Team}, [&] { return write(file, "User", "b"); }), Wrote);
  const struct stat after = statusOf(file);
  EXPECT_NE(after.st_ino, before) << "written in place although a replace could keep the owner";
  EXPECT_EQ(after.st_uid, Writer);
  EXPECT_EQ(after.st_gid, Team);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
}

TEST_F(IniSharedFolder, AnOwnerOutsideTheFilesGroupKeepsTheGroup) {
  const std::string file = teamFile(root_ + "/outside", 0664);
  ASSERT_EQ(::chown(file.c_str(), Writer, Team), 0);
  ASSERT_EQ(::chmod((root_ + "/outside").c_str(), 0777), 0);
  EXPECT_EQ(asWriter({}, [&] { return write(file, "User", "b"); }), Wrote);
  EXPECT_EQ(statusOf(file).st_gid, Team);
  EXPECT_EQ(readBytes(file), "; team settings\n[Settings]\nUser=b\n");
}

}  // namespace
}  // namespace zarn
