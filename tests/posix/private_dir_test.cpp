#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/posix_system.h"
#include "platform/posix/private_dir.h"
#include "tests/posix/temp_dir.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

// Points XDG_RUNTIME_DIR at a scratch folder for the test's length.
class PrivateDirTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old) saved_ = old;
        hadOld_ = old != nullptr;
        ::setenv("XDG_RUNTIME_DIR", runtimeDir.Path().c_str(), 1);
    }
    void TearDown() override {
        if (hadOld_)
            ::setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    TempDir runtimeDir;

  private:
    std::string saved_;
    bool hadOld_ = false;
};

TEST_F(PrivateDirTest, IsCreatedPrivateUnderTheRuntimeFolder) {
    std::string reason;
    const auto dir = EnsurePrivateDirectory(reason);
    ASSERT_TRUE(dir) << reason;
    EXPECT_EQ(*dir, runtimeDir / "pellorin");
    struct stat info {};
    ASSERT_EQ(::stat(dir->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(PrivateDirTest, AFolderOpenToOthersIsClosed) {
    ASSERT_EQ(::mkdir((runtimeDir / "pellorin").c_str(), 0777), 0);
    ::chmod((runtimeDir / "pellorin").c_str(), 0777);
    std::string reason;
    ASSERT_TRUE(EnsurePrivateDirectory(reason));
    struct stat info {};
    ASSERT_EQ(::stat((runtimeDir / "pellorin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(PrivateDirTest, ASymbolicLinkIsRefusedAndTheScriptIsNotWritten) {
    TempDir elsewhere;
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), (runtimeDir / "pellorin").c_str()), 0);
    std::string reason;
    EXPECT_FALSE(EnsurePrivateDirectory(reason));
    EXPECT_FALSE(reason.empty());

    PosixSystem system;
    reason.clear();
    EXPECT_FALSE(system.WriteNewFile(system.ScriptPath(), "x\r\n", reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "1.bat"));
}

TEST_F(PrivateDirTest, WithoutARuntimeFolderTmpIsUsed) {
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(PrivateDirectoryPath(), "/tmp/pellorin-" + std::to_string(::getuid()));
}

TEST_F(PrivateDirTest, ScriptFileIsReplacedNotAppended) {
    PosixSystem system;
    EXPECT_EQ(system.ScriptPath(), runtimeDir / "pellorin/1.bat");
    std::string reason;
    ASSERT_TRUE(system.WriteNewFile(system.ScriptPath(), "first line\r\n", reason)) << reason;
    ASSERT_TRUE(system.WriteNewFile(system.ScriptPath(), "second\r\n", reason)) << reason;
    EXPECT_EQ(testing::ReadFile(system.ScriptPath()), "second\r\n");
    EXPECT_TRUE(system.DeleteFile(system.ScriptPath()));
    EXPECT_TRUE(system.DeleteFile(system.ScriptPath())) << "an absent file counts as deleted";
}

TEST_F(PrivateDirTest, InstanceLockIsHeldOnlyOnce) {
    PosixSystem first;
    EXPECT_FALSE(first.PreviousInstance());
    EXPECT_FALSE(first.PreviousInstance()) << "asking again must not change the answer";
    // A lock is per open file, so a second holder in this process sees it too.
    PosixSystem second;
    EXPECT_TRUE(second.PreviousInstance());
}

}  // namespace
}  // namespace morvane::posix
