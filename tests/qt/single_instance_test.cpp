// Two real copies of the program on one private folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QProcess>
#include <QtTest/QTest>
#include <cstdlib>

#include "tests/qt/gui_helpers.h"

namespace morvane {
namespace {

QString BinPath(const char* name) { return QString(MORVANE_BIN_DIR) + "/" + name; }

// True when some process holds the instance lock, a lock on this test's
// private folder itself (XDG_RUNTIME_DIR is ours, see the test main).
bool InstanceLockHeld() {
    const std::string path = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pellorin";
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (!held) ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

class SingleInstance : public ::testing::Test {
  protected:
    void SetUp() override {
        first.setProgram(BinPath("pellorin"));
        first.start();
        ASSERT_TRUE(first.waitForStarted());
        ASSERT_TRUE(testing::WaitUntil(InstanceLockHeld, 15000));
    }
    void TearDown() override {
        first.kill();
        first.waitForFinished();
    }

    // Runs the probe copy to its end; answers its report.
    QString RunProbe(const QStringList& arguments = {}) {
        QProcess probe;
        probe.start(BinPath("instance_probe"), arguments);
        EXPECT_TRUE(probe.waitForFinished(20000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), 0);
        return QString::fromUtf8(probe.readAllStandardOutput());
    }

    QProcess first;
};

TEST_F(SingleInstance, SecondCopyShowsOnlyItsNoticeAndEnds) {
    const QString report = RunProbe();
    EXPECT_EQ(report,
              QString::fromUtf8("notice\t提示\t一次只能运行一个程序,否则可能造成程序出错!\n"));
    // The first copy goes on, still the one instance.
    QTest::qWait(200);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(InstanceLockHeld());
}

TEST_F(SingleInstance, ACrashedCopyDoesNotBlockTheNext) {
    first.kill();  // SIGKILL: no clean-up of any kind
    ASSERT_TRUE(first.waitForFinished());
    EXPECT_FALSE(InstanceLockHeld());
    EXPECT_EQ(RunProbe({"--quit-when-shown"}), "shown\n");
}

}  // namespace
}  // namespace morvane
