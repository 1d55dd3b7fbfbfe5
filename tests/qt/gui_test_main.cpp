// The GUI tests run in one QApplication on the offscreen platform, each test
// program with its own private folder (script and instance lock), so a real
// copy of the program on this machine is never disturbed.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <filesystem>
#include <string>

#include "platform/qt/form_builder.h"

// Qt and fontconfig keep caches for the life of the process; the leak report
// at exit would be theirs, not ours. Every other sanitizer report stays fatal.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char* argv[]) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string runtimeDir =
        (std::filesystem::temp_directory_path() / "morvane-gui-XXXXXX").string();
    if (::mkdtemp(runtimeDir.data()) == nullptr) return 2;
    ::setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);

    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        morvane::qt::InstallFontSubstitutions();
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir, ignored);
    return result;
}
