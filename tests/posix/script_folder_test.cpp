#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

#include "platform/posix/posix_system.h"
#include "platform/posix/script_folder.h"
#include "tests/support/files.h"

namespace morvane::posix {
namespace {

using testing::TempDir;

// Points XDG_RUNTIME_DIR at a scratch folder for the test's length.
class ScriptFolderTest : public ::testing::Test {
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

TEST_F(ScriptFolderTest, IsCreatedPrivateUnderTheRuntimeFolder) {
    std::string reason;
    const auto dir = EnsureScriptFolder(reason);
    ASSERT_TRUE(dir) << reason;
    EXPECT_EQ(*dir, runtimeDir / "pellorin");
    struct stat info {};
    ASSERT_EQ(::stat(dir->c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// The folder of the script the services would write, after writing it.
std::string FolderOfANewScript(PosixSystem& system) {
    std::string reason;
    EXPECT_TRUE(system.WriteNewFile(system.ScriptPath(), "new\r\n", reason)) << reason;
    EXPECT_EQ(testing::ReadFile(system.ScriptPath()), "new\r\n");
    const std::string script = system.ScriptPath();
    return script.substr(0, script.rfind('/'));
}

void ExpectExclusivelyOurs(const std::string& folder) {
    struct stat info {};
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0) << folder;
    EXPECT_TRUE(ExclusivelyOurs(info)) << folder;
}

TEST_F(ScriptFolderTest, AFolderOnceOpenToOthersIsLeftForAFreshOne) {
    // Someone could enter it while it was open, and plant a hard link to
    // their own file as the script.
    TempDir elsewhere;
    const std::string theirs = elsewhere.Write("theirs", "their data\n");
    const std::string usual = runtimeDir / "pellorin";
    ASSERT_EQ(::mkdir(usual.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(usual.c_str(), 0777), 0);
    ASSERT_EQ(::link(theirs.c_str(), (usual + "/1.bat").c_str()), 0);

    PosixSystem system;
    EXPECT_TRUE(system.ClaimSingleInstance());
    const std::string folder = FolderOfANewScript(system);
    EXPECT_NE(folder, usual);
    EXPECT_EQ(folder.rfind(usual + "-", 0), 0u) << folder;
    ExpectExclusivelyOurs(folder);
    EXPECT_EQ(testing::ReadFile(theirs), "their data\n");
    // The same folder for the rest of the process's life.
    EXPECT_EQ(FolderOfANewScript(system), folder);
    struct stat info {};
    ASSERT_EQ(::lstat(usual.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0777u) << "not ours to repair";
}

// A fresh folder, its script included, goes with the process, also when a
// signal ends it, and so does the output of a run going on; the signal still
// ends it.
TEST_F(ScriptFolderTest, AFreshFolderAndARunsOutputAreRemovedWhenSigtermEndsTheProcess) {
    const std::string usual = runtimeDir / "pellorin";
    TempDir outputs;
    const std::string output = outputs / "out.txt";
    ASSERT_EQ(::mkdir(usual.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(usual.c_str(), 0777), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixSystem system;
        std::string reason;
        if (system.ScriptPath().rfind(usual + "-", 0) != 0 ||
            !system.WriteNewFile(system.ScriptPath(), "x\r\n", reason))
            ::_exit(1);
        // A run going on: its partial output goes too.
        if (!system.CreateEmptyFile(output, reason)) ::_exit(3);
        system.SetRunningOutput(output);
        UndoRunAndRemoveFreshFolderOnSignals();
        ::raise(SIGTERM);
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(runtimeDir.Path()), {}), 1)
        << "only the usual folder may be left";
}

TEST_F(ScriptFolderTest, ASymbolicLinkIsNotFollowedAndTheScriptGoesElsewhere) {
    TempDir elsewhere;
    ASSERT_EQ(::symlink(elsewhere.Path().c_str(), (runtimeDir / "pellorin").c_str()), 0);
    PosixSystem system;
    EXPECT_TRUE(system.ClaimSingleInstance());
    const std::string folder = FolderOfANewScript(system);
    ExpectExclusivelyOurs(folder);
    EXPECT_FALSE(std::filesystem::exists(elsewhere / "1.bat"));
}

TEST_F(ScriptFolderTest, WhatIsAtTheScriptPathIsReplacedNeverWrittenThroughOrOpened) {
    PosixSystem system;
    const std::string script = system.ScriptPath();
    EXPECT_EQ(script, runtimeDir / "pellorin/1.bat");
    TempDir elsewhere;
    const std::string target = elsewhere.Write("target", "kept\n");
    using Plant = int (*)(const std::string& target, const std::string& at);
    const std::pair<const char*, Plant> plants[] = {
        {"hard link",
         [](const std::string& t, const std::string& at) { return ::link(t.c_str(), at.c_str()); }},
        {"symbolic link", [](const std::string& t,
                             const std::string& at) { return ::symlink(t.c_str(), at.c_str()); }},
        // Opening a FIFO for writing would wait for a reader forever.
        {"FIFO",
         [](const std::string&, const std::string& at) { return ::mkfifo(at.c_str(), 0600); }},
        {"earlier script",
         [](const std::string&, const std::string& at) {
             std::ofstream(at) << "first line, longer\r\n";
             return 0;
         }},
    };
    for (const auto& [what, plant] : plants) {
        ASSERT_EQ(plant(target, script), 0) << what;
        std::string reason;
        ASSERT_TRUE(system.WriteNewFile(script, "second\r\n", reason)) << what << ": " << reason;
        struct stat info {};
        ASSERT_EQ(::lstat(script.c_str(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode) && info.st_nlink == 1) << what;
        EXPECT_EQ(testing::ReadFile(script), "second\r\n") << what;
        EXPECT_EQ(testing::ReadFile(target), "kept\n") << what;
        EXPECT_TRUE(system.DeleteFile(script));
    }
    EXPECT_TRUE(system.DeleteFile(script)) << "an absent file counts as deleted";
}

TEST_F(ScriptFolderTest, WithoutARuntimeFolderTmpIsUsed) {
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(UsualScriptFolderPath(), "/tmp/pellorin-" + std::to_string(::getuid()));
}

TEST_F(ScriptFolderTest, TheInstanceLockSurvivesTheFolderBeingEmptied) {
    PosixSystem first;
    EXPECT_TRUE(first.ClaimSingleInstance());
    EXPECT_TRUE(first.ClaimSingleInstance()) << "asking again must not change the answer";
    // Whatever is inside may go or be replaced; the folder itself is locked.
    const std::string usual = runtimeDir / "pellorin";
    for (const auto& entry : std::filesystem::directory_iterator(usual))
        std::filesystem::remove_all(entry.path());
    runtimeDir.Write("pellorin/instance.lock", "");
    // A lock is per open file, so a second holder in this process sees it too.
    PosixSystem second;
    EXPECT_FALSE(second.ClaimSingleInstance());
}

// Another user made the usual folder first, open to all, put a FIFO where
// the script goes and holds locks on the folder and on a file inside. Needs
// root to become that user.
TEST_F(ScriptFolderTest, AnotherUsersFolderNeitherBlocksNorReceivesAnything) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user";
    const uid_t other = 65534;  // nobody
    ASSERT_EQ(::chmod(runtimeDir.Path().c_str(), 01777), 0);
    const std::string usual = runtimeDir / "pellorin";
    int ready[2], done[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(done), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        ::close(done[1]);
        if (::setgid(other) != 0 || ::setuid(other) != 0) ::_exit(1);
        if (::mkdir(usual.c_str(), 0777) != 0 || ::chmod(usual.c_str(), 0777) != 0) ::_exit(2);
        if (::mkfifo((usual + "/1.bat").c_str(), 0666) != 0) ::_exit(3);
        const int folder = ::open(usual.c_str(), O_RDONLY | O_DIRECTORY);
        const int lock = ::open((usual + "/instance.lock").c_str(), O_RDWR | O_CREAT, 0666);
        if (folder < 0 || lock < 0 || ::flock(folder, LOCK_EX) != 0 || ::flock(lock, LOCK_EX) != 0)
            ::_exit(4);
        char byte = 1;
        if (::write(ready[1], &byte, 1) != 1) ::_exit(5);
        [[maybe_unused]] auto got = ::read(done[0], &byte, 1);  // until the parent is done
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the second user could not set up";

    PosixSystem system;
    EXPECT_TRUE(system.ClaimSingleInstance());
    const std::string folder = FolderOfANewScript(system);
    EXPECT_NE(folder, usual);
    ExpectExclusivelyOurs(folder);
    struct stat info {};
    ASSERT_EQ(::lstat((usual + "/1.bat").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    ::close(done[1]);
    ::close(ready[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}  // namespace
}  // namespace morvane::posix
