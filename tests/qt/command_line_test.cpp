// The real `pellorin` asked on its command line: the options with no display
// at all (whatever it prints, it must never reach for a window system), and
// a file to open, through the probe copy that runs the same start.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include "morvane_version.h"
#include "platform/qt/command_line.h"
#include "tests/qt/gui_helpers.h"
#include "tests/support/files.h"

namespace morvane {
namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished RunWithoutDisplay(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(testing::BinPath("pellorin"), arguments);
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

TEST(CommandLine, HelpAndVersionPrintWithoutADisplay) {
    for (const char* option : {"--help", "-h"}) {
        const Finished help = RunWithoutDisplay({option});
        EXPECT_EQ(help.exitCode, 0) << option;
        EXPECT_TRUE(help.out.startsWith("Usage: ")) << help.out.toStdString();
        for (const char* offered : {"--help", "--version", "[file]"})
            EXPECT_TRUE(help.out.contains(offered)) << offered;
        // Only what this program takes: no Qt options, no --help-all.
        EXPECT_FALSE(help.out.contains("--help-all"));
        EXPECT_EQ(help.err, "");
    }
    for (const char* option : {"--version", "-v"}) {
        const Finished version = RunWithoutDisplay({option});
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "pellorin " MORVANE_VERSION "\n");
        EXPECT_EQ(version.err, "");
    }
}

TEST(CommandLine, AnUnknownOptionIsOneLineAndStatusTwo) {
    for (const QStringList& arguments : {QStringList{"--bogus"}, QStringList{"-bogus"},
                                         QStringList{"/some/file.csv", "--verbose"}}) {
        const Finished refused = RunWithoutDisplay(arguments);
        EXPECT_EQ(refused.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_EQ(refused.out, "");
        EXPECT_TRUE(refused.err.startsWith("pellorin: Unknown option"))
            << refused.err.toStdString();
        EXPECT_EQ(refused.err.count('\n'), 1);
        EXPECT_TRUE(refused.err.endsWith('\n'));
    }
}

// Qt's own options are taken; without a display that is said in one line.
TEST(CommandLine, WithoutADisplayQtsOptionsPassAndTheWindowCannotOpen) {
    const Finished run = RunWithoutDisplay({"-style", "fusion", "-reverse"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "pellorin: cannot open a display; set DISPLAY or use -platform offscreen\n");
}

// A name is passed on byte for byte, and a relative one gets the current
// folder in front with nothing taken out: ".." after a link is the link's
// target's parent, which only the file system knows.
TEST(CommandLine, NamesKeepTheirBytesAndTheirDots) {
    char program[] = "pellorin", platform[] = "-platform", offscreen[] = "offscreen",
         notText[] = "/d/ff\xFF.csv", relative[] = "a/link/../data.csv";
    char* argv[] = {program, platform, offscreen, notText, relative, nullptr};
    const qt::CommandLine line = qt::ParseCommandLine(qt::ArgumentTexts(5, argv));
    EXPECT_EQ(line.files,
              (std::vector<std::string>{"/d/ff\xFF.csv",
                                        QDir::currentPath().toStdString() + "/" + relative}));
}

TEST(CommandLine, AFileNamedIsTakenOnceTheWindowShows) {
    testing::TempDir dir;
    const QString csv = QString::fromStdString(dir.Write("数据 1.csv", "a,b\r\n"));
    QProcess probe;
    // A relative name means the folder the program was started in.
    probe.setWorkingDirectory(QString::fromStdString(dir.Path()));
    probe.start(testing::BinPath("instance_probe"),
                {"--quit-when-shown", "no such file.txt", QString::fromUtf8("数据 1.csv")});
    ASSERT_TRUE(probe.waitForFinished(20000));
    EXPECT_EQ(probe.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(probe.readAllStandardOutput()),
              "shown\t" + csv + "\t" + csv + QString::fromUtf8("提取.CSV\n"));
}

}  // namespace
}  // namespace morvane
