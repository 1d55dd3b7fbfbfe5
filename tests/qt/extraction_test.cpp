// Whole extractions through the real window, the real script file, the
// stand-in interpreter and the real process watch.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/posix/posix_system.h"
#include "tests/qt/gui_helpers.h"
#include "tests/support/files.h"

namespace morvane {
namespace {

using testing::ModalAnswerer;
using testing::NoticeSeen;
using testing::ProgramUnderTest;
using testing::TempDir;

constexpr int kRunTimeoutMs = 20000;

// A process that is not ours, named `name`: a copy of sleep.
class ForeignProcess {
  public:
    ForeignProcess(const TempDir& dir, const std::string& name = "cmd.exe") {
        const std::string program = dir / name;
        std::filesystem::copy_file("/bin/sleep", program);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl(program.c_str(), name.c_str(), "60", static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ForeignProcess() { Stop(); }
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

bool ProgramRuns(const std::string& name) {
    const auto names = posix::PosixSystem().RunningProcessNames();
    return names && std::find(names->begin(), names->end(), name) != names->end();
}

// The pid of the interpreter this test process started, or -1.
pid_t OurInterpreter() {
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string pid = entry.path().filename().string();
        if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = testing::ReadFile(entry.path().string() + "/stat").value_or("");
        const std::size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        if (stat.substr(open + 1, close - open - 1) == "cmd.exe" &&
            std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
            parent == ::getpid() && state != 'Z')
            return std::stoi(pid);
    }
    return -1;
}

// A folder this process may not add files to: without write permission, or,
// for root (whom permissions do not stop), immutable while it lives.
struct ReadOnlyFolder {
    explicit ReadOnlyFolder(std::string folder) : path(std::move(folder)) {
        std::filesystem::create_directory(path);
        made = ::getuid() == 0 ? SetImmutable(true) : ::chmod(path.c_str(), 0555) == 0;
    }
    ~ReadOnlyFolder() {
        if (made && ::getuid() == 0) SetImmutable(false);
    }
    bool Made() const { return made; }
    bool SetImmutable(bool on) const {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0) ::close(fd);
        return done;
    }
    std::string path;
    bool made = false;
};

class Extraction : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(std::string(MORVANE_BIN_DIR) + "/cmd.exe"))
            << "the stand-in interpreter must be built into " << MORVANE_BIN_DIR;
        ASSERT_TRUE(testing::WaitUntil([] { return !ProgramRuns("cmd.exe"); }, kRunTimeoutMs))
            << "another cmd.exe keeps running on this machine";
    }

    void Fill(const std::string& source, const std::string& output, const QString& delimiter,
              const QString& field) {
        for (Control box : {Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox,
                            Control::FieldNumberBox})
            static_cast<QLineEdit&>(test.Widget(box)).clear();
        testing::Type(test.Widget(Control::SourcePathBox), QString::fromStdString(source));
        testing::Type(test.Widget(Control::OutputPathBox), QString::fromStdString(output));
        testing::Type(test.Widget(Control::DelimiterBox), delimiter);
        testing::Type(test.Widget(Control::FieldNumberBox), field);
    }

    void ExpectIdleAndEmpty() {
        const testing::MainWindowProbe window(test.Window());
        testing::ExpectIdleWindow(window, testing::InputBoxes::Emptied);
        EXPECT_EQ(test.Window().cursor().shape(), Qt::ArrowCursor);
        EXPECT_EQ(window.PointerOver(Control::SourcePathBox), testing::PointerSeen::TextBeam);
        EXPECT_FALSE(test.Window().CompletionTimerRunning());
        EXPECT_FALSE(std::filesystem::exists(posix::PosixSystem().ScriptPath()));
    }

    QString ProgressLabel() {
        return static_cast<QLabel&>(test.Widget(Control::ProgressLabel)).text();
    }

    TempDir dir;
    ProgramUnderTest test;
    ModalAnswerer answerer;
};

TEST_F(Extraction, ExampleExtractionSucceeds) {
    const std::string source =
        dir.Write("123.txt", "01,张三,男\r\n02,李四,男\r\n03,赵钱,男\r\n04,孙李,男\r\n");
    const std::string output = dir / "321.txt提取.txt";
    Fill(source, output, ",", "2");
    QString labelDuringNotice;
    answerer.whileNoticeOpen = [&](const NoticeSeen&) {
        labelDuringNotice = ProgressLabel();
        testing::SaveScreenshot(test.Window(), "linux-main-window-done.png");
    };

    QTest::keyClick(&test.Widget(Control::FieldNumberBox), Qt::Key_Return);
    // Running: the hourglass, the red label, the inputs disabled, the
    // example button still available.
    EXPECT_TRUE(test.Window().CompletionTimerRunning());
    EXPECT_EQ(test.Window().cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(test.Widget(Control::SourcePathBox).cursor().shape(), Qt::WaitCursor);
    EXPECT_TRUE(test.Widget(Control::ProgressLabel).isVisible());
    for (Control control : {Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox,
                            Control::FieldNumberBox, Control::ChooseSourceButton,
                            Control::ChooseOutputButton, Control::StartButton, Control::ExitButton})
        EXPECT_FALSE(test.Widget(control).isEnabled());
    EXPECT_TRUE(test.Widget(Control::ExampleButton).isEnabled());
    testing::SaveScreenshot(test.Window(), "linux-main-window-running.png");
    // Enter while running does not start a second run.
    QTest::keyClick(&test.Window(), Qt::Key_Return);

    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    ASSERT_TRUE(testing::WaitUntil([&] { return !test.Window().CompletionTimerRunning(); }));
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].title, "成功");
    EXPECT_EQ(answerer.notices[0].text, "提取完成");
    EXPECT_EQ(answerer.notices[0].buttons, QStringList{"OK"});
    EXPECT_EQ(labelDuringNotice, "提取已完成！");
    EXPECT_EQ(testing::ReadFile(output), "张三\r\n李四\r\n赵钱\r\n孙李\r\n");
    ExpectIdleAndEmpty();
}

TEST_F(Extraction, TheSuccessNoticeSaysWhichLinesGaveNoValueOrALaterFieldsValue) {
    const std::string source = dir.Write("gaps.csv", "张三,,男\r\n李四,女\r\n王五\r\n\r\n");
    const std::string output = dir / "out.txt";
    Fill(source, output, ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(answerer.notices[0].title, "成功");
    EXPECT_EQ(
        answerer.notices[0].text,
        "提取完成\n源文件共 3 行数据，写出了 2 个值：1 行没有第 2 段。\n"
        "另有 1 行在第 2 段之前有空字段（分割符号相连或在行首），这些行写出的是后面一段的值。");
    EXPECT_EQ(testing::ReadFile(output), "男\r\n女\r\n");
}

TEST_F(Extraction, ATabPastedAsTheDelimiterSplitsATabSeparatedFile) {
    const std::string source =
        dir.Write("export.txt", "张三\t\"北京,\t海淀\"\t男\r\n李四\t上海\t女\r\n");
    const std::string output = dir / "out.txt";
    Fill(source, output, "", "3");
    static_cast<QLineEdit&>(test.Widget(Control::DelimiterBox)).setText("\t");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(answerer.notices[0].title, "成功");
    EXPECT_EQ(answerer.notices[0].text,
              "提取完成\n源文件共 2 行数据，写出了 2 个值。\n另有 1 "
              "行含有带引号的字段（引号里有分割符号或换行），命令解释器把它们拆开了，"
              "这些行写出的值可能不完整。");
    EXPECT_EQ(testing::ReadFile(output), "海淀\"\r\n女\r\n");
}

TEST_F(Extraction, NoValueMeansFailure) {
    const std::string source = dir.Write("one.txt", "no delimiter here\r\nnor here\r\n");
    const std::string output = dir / "out.txt";
    Fill(source, output, ",", "3");
    QString labelDuringNotice;
    answerer.whileNoticeOpen = [&](const NoticeSeen&) { labelDuringNotice = ProgressLabel(); };
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    EXPECT_TRUE(test.Window().CompletionTimerRunning());

    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    ASSERT_TRUE(testing::WaitUntil([&] { return !test.Window().CompletionTimerRunning(); }));
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].title, "失败");
    EXPECT_EQ(answerer.notices[0].text,
              "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！\n"
              "原因：源文件中没有一行含有第 3 段。");
    EXPECT_EQ(labelDuringNotice, "正在提取数据...");
    EXPECT_FALSE(std::filesystem::exists(output));
    ExpectIdleAndEmpty();
}

TEST_F(Extraction, ALineFeedInAChosenFolderIsRefusedAndNothingIsWritten) {
    // Linux names may hold line feeds; in the script the second line would
    // be a command of its own.
    const std::string folder = dir / "x\necho pwned>>victim.txt\n";
    std::filesystem::create_directory(folder);
    const std::string source = folder + "/f.txt";
    std::ofstream(source, std::ios::binary) << "a,b\r\n";
    test.dialogs.answers = {FileChoice{source, 1}};
    QTest::mouseClick(&test.Widget(Control::ChooseSourceButton), Qt::LeftButton);
    ASSERT_EQ(test.Text(Control::SourcePathBox), QString::fromStdString(source));
    testing::Type(test.Widget(Control::DelimiterBox), ",");
    testing::Type(test.Widget(Control::FieldNumberBox), "2");

    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].title, "提示！");
    EXPECT_EQ(answerer.notices[0].text, "路径或分割符号中不能含有换行符等控制字符，请修改后再试！");
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::SourcePathBox));
    EXPECT_FALSE(test.Window().CompletionTimerRunning());
    EXPECT_FALSE(std::filesystem::exists(posix::PosixSystem().ScriptPath()));
    EXPECT_EQ(test.Text(Control::SourcePathBox), QString::fromStdString(source));
}

TEST_F(Extraction, HalfACharacterInABoxIsRefusedAndNothingIsWritten) {
    Fill(dir.Write("in.txt", "a,b\r\n"), dir / "out.txt", "", "2");
    // The first half of 𠀀, all a one-unit box used to keep of a paste.
    static_cast<QLineEdit&>(test.Widget(Control::DelimiterBox)).setText(QChar(0xD840));
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].text,
              "路径或分割符号中含有无法写入脚本文件的字符，请修改后再试！");
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::DelimiterBox));
    EXPECT_FALSE(std::filesystem::exists(posix::PosixSystem().ScriptPath()));
}

TEST_F(Extraction, AReadOnlyOutputFolderIsRefusedAtStartWithTheBoxesKept) {
    const std::string source = dir.Write("in.txt", "a,b\r\n");
    const ReadOnlyFolder folder(dir / "read-only");
    if (!folder.Made()) GTEST_SKIP() << "no read-only folder for this user on this file system";
    Fill(source, folder.path + "/out.txt", ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].text,
              "没有在输出路径所在的文件夹中新建文件的权限，请换一个文件夹！");
    EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::OutputPathBox));
    EXPECT_EQ(test.Text(Control::OutputPathBox), QString::fromStdString(folder.path + "/out.txt"));
    EXPECT_FALSE(test.Window().CompletionTimerRunning());
}

TEST_F(Extraction, ARunningInterpreterBlocksStartAndTheChoosers) {
    const std::string source = dir.Write("in.txt", "a,b\r\n");
    ForeignProcess foreign(dir);
    ASSERT_TRUE(testing::WaitUntil([] { return ProgramRuns("cmd.exe"); }));
    Fill(source, dir / "out.txt", ",", "2");

    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    QTest::mouseClick(&test.Widget(Control::ChooseSourceButton), Qt::LeftButton);
    QTest::mouseClick(&test.Widget(Control::ChooseOutputButton), Qt::LeftButton);
    ASSERT_EQ(answerer.notices.size(), 3u);
    for (const auto& notice : answerer.notices) {
        EXPECT_EQ(notice.title, "提示");
        EXPECT_EQ(notice.text, "请先打开任务管理器，结束Cmd.exe进程，否则本程序会出现运行错误");
    }
    EXPECT_TRUE(test.dialogs.calls.empty());
    EXPECT_FALSE(test.Window().CompletionTimerRunning());
    EXPECT_EQ(test.Text(Control::SourcePathBox), QString::fromStdString(source));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
}

TEST_F(Extraction, ACompletionWaitsForEveryInterpreter) {
    const std::string source = dir.Write("in.txt", "a,b\r\n");
    const std::string output = dir / "out.txt";
    Fill(source, output, ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(test.Window().CompletionTimerRunning());
    // Another interpreter started while ours runs holds the run open.
    ForeignProcess foreign(dir);
    QTest::qWait(4500);
    EXPECT_TRUE(answerer.notices.empty());
    EXPECT_TRUE(test.Window().CompletionTimerRunning());
    EXPECT_TRUE(std::filesystem::exists(output));
    foreign.Stop();
    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(answerer.notices[0].title, "成功");
}

TEST_F(Extraction, NothingAtAllMayBeAtTheOutputPath) {
    const std::string source = dir.Write("in.txt", "a,b\r\n");
    dir.Write(".settings", "hidden\r\n");
    ASSERT_EQ(::symlink(source.c_str(), (dir / ".link").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    const struct {
        const char* output;
        const char* notice;
    } cases[] = {
        {".settings", "导出文件名已存在，请重新输入！"},
        // Another spelling of the source: the run would append to it.
        {".link", "源文件名和导出文件名不能相同！"},
        // Opening a FIFO nobody reads would hang the run.
        {"fifo", "导出文件名已存在，请重新输入！"},
    };
    for (const auto& [output, notice] : cases) {
        answerer.notices.clear();
        Fill(source, dir / output, ",", "2");
        QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
        ASSERT_EQ(answerer.notices.size(), 1u) << output;
        EXPECT_EQ(answerer.notices[0].title, "提示！") << output;
        EXPECT_EQ(answerer.notices[0].text, notice) << output;
        EXPECT_EQ(test.Window().focusWidget(), &test.Widget(Control::OutputPathBox)) << output;
        EXPECT_FALSE(test.Window().CompletionTimerRunning()) << output;
    }
    EXPECT_EQ(testing::ReadFile(source), "a,b\r\n");
    EXPECT_EQ(testing::ReadFile(dir / ".settings"), "hidden\r\n");
    EXPECT_FALSE(std::filesystem::exists(posix::PosixSystem().ScriptPath()));
}

TEST_F(Extraction, AKilledInterpreterIsAFailureThoughItLeftAnOutput) {
    // Long enough (seconds for the stand-in built with sanitizers) to end it
    // midway.
    std::string lines;
    for (int i = 0; i < 500000; ++i) lines += "0123456789,abcdefghij,klmnopqrstuvwxyz\r\n";
    const std::string source = dir.Write("big.txt", lines);
    const std::string output = dir / "out.txt";
    Fill(source, output, ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(test.Window().CompletionTimerRunning());
    const pid_t interpreter = OurInterpreter();
    ASSERT_GT(interpreter, 0);
    ASSERT_TRUE(testing::WaitUntil([&] {
        std::error_code error;
        return std::filesystem::file_size(output, error) > 0 && !error;
    }));
    ASSERT_EQ(::kill(interpreter, SIGKILL), 0);

    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].title, "失败");
    EXPECT_EQ(answerer.notices[0].text,
              "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！\n"
              "原因：命令解释器在提取完成之前被终止了。");
    EXPECT_FALSE(std::filesystem::exists(output)) << "the partial output is removed";
}

TEST_F(Extraction, AnOutputReplacedDuringTheRunIsAFailureAndTheNewFileStays) {
    std::string lines;
    for (int i = 0; i < 500000; ++i) lines += "0123456789,abcdefghij,klmnopqrstuvwxyz\r\n";
    const std::string output = dir / "out.txt";
    Fill(dir.Write("big.txt", lines), output, ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(testing::WaitUntil([&] {
        std::error_code error;
        return std::filesystem::file_size(output, error) > 0 && !error;
    }));
    // As an editor saves, or a sync client updates: a copy renamed over it.
    std::filesystem::rename(dir.Write("copy.txt", "someone else's\r\n"), output);

    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    EXPECT_EQ(answerer.notices[0].title, "失败");
    EXPECT_EQ(answerer.notices[0].text,
              "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！\n"
              "原因：输出文件在提取过程中被移走或替换了。");
    EXPECT_EQ(testing::ReadFile(output), "someone else's\r\n");
}

TEST_F(Extraction, ProgramsNamedLikePiecesOfCmdExeDoNotBlock) {
    const std::string source = dir.Write("in.txt", "a,b\r\nc,d\r\n");
    const std::string output = dir / "out.txt";
    // `exe` is what a program re-run through /proc/self/exe is called.
    ForeignProcess exe(dir, "exe"), md(dir, "md.exe");
    ASSERT_TRUE(testing::WaitUntil([] { return ProgramRuns("exe") && ProgramRuns("md.exe"); }));
    Fill(source, output, ",", "2");
    QTest::mouseClick(&test.Widget(Control::StartButton), Qt::LeftButton);
    ASSERT_TRUE(testing::WaitUntil([&] { return !answerer.notices.empty(); }, kRunTimeoutMs));
    ASSERT_EQ(answerer.notices.size(), 1u);
    EXPECT_EQ(answerer.notices[0].title, "成功");
    EXPECT_EQ(testing::ReadFile(output), "b\r\nd\r\n");
}

}  // namespace
}  // namespace morvane
