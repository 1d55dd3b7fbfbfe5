// Whole extractions from and to awkwardly named real files, the same cases on
// every platform: the program's checks, composer and script writer, the real
// command interpreter (the stand-in on Linux, Wine's cmd.exe under Wine) and
// the real process watch; only the window is the recording fake. The data is
// ASCII (Wine's cmd.exe garbles double-byte data in for /f, real Windows keeps
// it); the names carry the Chinese.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "extraction/extraction_job.h"
#include "extraction/interpreter_gate.h"
#include "tests/contract/services_platform.h"
#include "tests/support/fake_runtime.h"
#include "tests/support/files.h"

namespace morvane::testing {
namespace {

struct PathCase {
    std::string folder;  // made inside the scratch folder
    std::string source;
    std::string output;
    std::string delimiter = ",";
};

std::vector<PathCase> AwkwardPaths() {
    return {
        {"Documents and Settings", "a b.csv", "a b out.txt"},
        {"R&D", "a&b.csv", "out & x.txt"},
        {"增长50%", "s %a% 50%", "o 100%.txt", "%"},
        {"报表 (1)", "data (2).csv", "out (3).txt"},
        {"a^b", "c^d.csv", "e^f.txt"},
        {"hi!", "x!y!.csv", "o!k!.txt"},
        {"a;b,c", "d;e,f.csv", "g;h,i.txt", ";"},
        {"我的 文档", "新建 文本文档.txt", "新建 文本文档.txt提取.txt"},
        // An unquoted source would end at the first ") do".
        {"p) do echo x", "q) do @echo %%a.csv", "r.txt"},
        {std::string(100, 'd') + " x", std::string(90, 's') + ".csv", "o.txt"},
    };
}

class PathCaseContract : public ::testing::Test {
  protected:
    // Runs the extraction of field 2 the way the Start button and the timer
    // would, and answers the output file's bytes ("" when there is none).
    // The source holds `lines`, or two lines of three fields.
    std::string Extract(const PathCase& names, const std::string& lines = "") {
        const char separator = platform->PathSeparator();
        const std::string folder = platform->ScratchFolder() + separator + names.folder;
        EXPECT_TRUE(platform->MakeFolder(folder)) << folder;
        const std::string& d = names.delimiter;
        const std::string source = folder + separator + names.source;
        WriteFile(source, lines.empty()
                              ? "01" + d + "zhang" + d + "m\r\n02" + d + "li" + d + "f\r\n"
                              : lines);
        const std::string output = folder + separator + names.output;

        FakeRuntime window;
        window.texts[Control::SourcePathBox] = source;
        window.texts[Control::OutputPathBox] = output;
        window.texts[Control::DelimiterBox] = names.delimiter;
        window.texts[Control::FieldNumberBox] = "2";
        ExtractionJob job(window, system);
        job.StartAction();
        EXPECT_TRUE(window.timer) << (window.notices.empty() ? "" : window.notices[0].prompt);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (window.timer && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            job.CompletionTick();
        }
        EXPECT_FALSE(window.timer) << "the run did not end";
        EXPECT_EQ(window.notices.size(), 1u);
        if (!window.notices.empty()) {
            EXPECT_EQ(window.notices[0].prompt, "提取完成");
        }
        return ReadInterpreterOutput(output).value_or("");
    }

    std::unique_ptr<ServicesPlatform> platform = MakeServicesPlatform();
    SystemServices& system = platform->System();
};

TEST_F(PathCaseContract, EveryAwkwardNameIsReadAndWrittenExactly) {
    // A cmd.exe started elsewhere would hold the first run open: let it end.
    for (int i = 0; i < 300 && IsProcessRunning(system, "cmd.exe"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (const PathCase& names : AwkwardPaths()) {
        SCOPED_TRACE(names.folder + " | " + names.source + " | " + names.output);
        EXPECT_EQ(Extract(names), "zhang\r\nli\r\n");
    }
}

TEST_F(PathCaseContract, EveryValueIsWrittenAsItIsAndNoLineIsTakenForAComment) {
    // Values echo would take for switches or a help request, a blank one,
    // and a line that starts with the default end-of-line character.
    EXPECT_EQ(Extract({"values", "in.csv", "out.txt"},
                      "1,ON\r\n2,off\r\n3,/?\r\n4, \r\n5,On \r\n;6,semi\r\n"),
              "ON\r\noff\r\n/?\r\n \r\nOn \r\nsemi\r\n");
}

}  // namespace
}  // namespace morvane::testing
