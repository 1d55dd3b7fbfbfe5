#include "tests/win32/pellorin_fixture.h"

#include <algorithm>
#include <cstdlib>

#include <shlobj.h>

#include "extraction/interpreter_gate.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/support/window_probe.h"
#include "tests/win32/screenshot.h"

namespace morvane::wintest {

using enum Control;

std::string UserScriptPath() {
    wchar_t base[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                     base);
    return win32::WideToUtf8(base) + "\\Morvane\\1.bat";
}

std::string WriteSource(const std::string& path, int lines) {
    std::string source, column;
    for (int n = 1; n <= lines; ++n) {
        source += std::to_string(n) + ",v" + std::to_string(n) + ",x\r\n";
        column += "v" + std::to_string(n) + "\r\n";
    }
    WriteFile(path, source);
    return column;
}

int SlowSourceLines() {
    static const int lines = [] {
        TempDir scratch;
        auto secondsFor = [&](int sample) {
            const std::string name = "sample" + std::to_string(sample);
            WriteSource(scratch / (name + ".csv"), sample);
            WriteFile(scratch / (name + ".bat"),
                      ">>\"" + scratch / (name + ".txt") +
                          "\" (for /f \"usebackq tokens=2 eol=, delims=,\" %%a in (\"" +
                          scratch / (name + ".csv") + "\") do @echo(%%a)\r\n");
            const ULONGLONG begun = GetTickCount64();
            RunAndWait(
                L"cmd.exe /d /c \"\"" + win32::Utf8ToWide(scratch / (name + ".bat")) + L"\"\"",
                60000);
            return static_cast<double>(GetTickCount64() - begun) / 1000.0;
        };
        const double small = secondsFor(100);
        const double large = secondsFor(600);
        const double perLine = std::max(large - small, 0.05) / 500;
        return std::clamp(static_cast<int>(8 / perLine), 2000, 60000);
    }();
    return lines;
}

std::string WriteSlowSource(const std::string& path) {
    return WriteSource(path, SlowSourceLines());
}

std::optional<ProcessEntry> StartedInterpreter(const App& app) {
    std::optional<ProcessEntry> found;
    WaitFor(
        [&] {
            for (const ProcessEntry& process : DescendantProcesses(app.ProcessId()))
                if (_wcsicmp(process.name.c_str(), L"cmd.exe") == 0) found = process;
            return found.has_value();
        },
        10000);
    return found;
}

bool InterpreterRuns() {
    win32::Win32System system;
    return IsProcessRunning(system, "cmd.exe");
}

void SaveScreenshot(HWND window, const std::string& name) {
    const std::string folder = ScreenshotFolder();
    if (folder.empty()) return;
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    Sleep(700);  // let the program paint
    EXPECT_TRUE(SaveWindowPicture(window, folder + "\\" + name)) << name;
}

void PellorinTest::SetUp() {
    ASSERT_EQ(GetACP(), 936u) << "run with LC_ALL=zh_CN.UTF-8";
    ASSERT_TRUE(WaitFor([] { return !InterpreterRuns(); }, 10000)) << "a cmd.exe is running";
    DeleteFileW(win32::Utf8ToWide(script).c_str());
    ASSERT_TRUE(app.Started()) << "Pellorin.exe did not show its window";
    // The run on the 32-bit release must really execute it as 32-bit.
    if (const char* bits = getenv("MORVANE_PELLORIN_BITS")) {
        ASSERT_EQ(app.Bits(), atoi(bits));
    }
}

void PellorinTest::Fill(const std::string& source, const std::string& output,
                        const std::string& delimiter, const std::string& field) {
    app.SetText(SourcePathBox, source);
    app.SetText(OutputPathBox, output);
    app.SetText(DelimiterBox, delimiter);
    app.SetText(FieldNumberBox, field);
}

Notice PellorinTest::StartAndGetNotice(DWORD timeoutMs) {
    app.Click(StartButton);
    std::optional<Notice> notice = app.WaitForNotice(timeoutMs);
    EXPECT_TRUE(notice.has_value()) << "no notice";
    return notice.value_or(Notice{});
}

void PellorinTest::ExpectIdleAndEmpty() {
    ASSERT_TRUE(app.WaitIdle());
    EXPECT_TRUE(WaitFor([&] { return app.Focus() == SourcePathBox; }, 3000));
    testing::ExpectIdleWindow(app, testing::InputBoxes::Emptied);
}

void PellorinTest::StartRun() {
    app.Click(StartButton);
    ASSERT_TRUE(WaitFor([&] { return !app.Enabled(StartButton); }, 10000))
        << "the run did not start: " << app.WaitForNotice(0).value_or(Notice{}).prompt;
}

}  // namespace morvane::wintest
