// What the end-to-end tests of Pellorin.exe under Wine (the 64-bit build, or
// whichever MORVANE_PELLORIN names) share: the program started afresh for
// each test with an empty scratch folder, sources to extract from, the
// interpreter it starts, and screenshots (to $MORVANE_SCREENSHOTS). The
// tests themselves are one file per topic beside this one.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/win32/windows_inc.h"
#include "tests/win32/app_driver.h"
#include "tests/win32/win_test_support.h"

namespace morvane::wintest {

// Where the program keeps its script, found the way the system finds the
// user's local application-data folder.
std::string UserScriptPath();

// A source of `lines` lines "n,vn,x". Answers the column a whole run writes.
std::string WriteSource(const std::string& path, int lines);

// How many lines keep Wine's cmd.exe busy for about eight seconds (each echo
// opens and closes the output, so the time grows with the lines): measured
// once on this machine, from the difference between runs of 100 and 600
// lines, so that the interpreter's own start does not count.
int SlowSourceLines();

// A source that keeps the interpreter busy for several seconds.
std::string WriteSlowSource(const std::string& path);
inline constexpr DWORD kSlowRunTimeoutMs = 240000;

// The interpreter the program started (a cmd.exe below it), once it runs.
std::optional<ProcessEntry> StartedInterpreter(const App& app);

bool InterpreterRuns();

// Saves a picture of `window` as `name` in the screenshot folder, if one is set.
void SaveScreenshot(HWND window, const std::string& name);

// Pellorin.exe started with its window shown, no cmd.exe running and no
// script left from before.
class PellorinTest : public ::testing::Test {
  protected:
    void SetUp() override;

    void Fill(const std::string& source, const std::string& output, const std::string& delimiter,
              const std::string& field);

    // Presses Start and answers the notice that follows.
    Notice StartAndGetNotice(DWORD timeoutMs = 10000);

    void ExpectIdleAndEmpty();

    // Presses Start and waits until the run has begun.
    void StartRun();

    const std::string script = UserScriptPath();
    TempDir folder;
    App app;
};

}  // namespace morvane::wintest
