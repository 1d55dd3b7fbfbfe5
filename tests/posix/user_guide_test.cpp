// The user guide holds every text the program shows in a notice, exactly as
// the program shows it. The texts are taken from the code itself: the string
// literals with Chinese in them of the code that shows notices (extraction/,
// ui/ but for the window layouts, the Linux services' reasons), each line of
// each literal looked for in the guide.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "tests/support/files.h"

namespace morvane {
namespace {

// What these files hold that is no notice text: the notices' titles, the
// file dialogs' filters, the proposed output name's endings.
bool IsNoNoticeText(const std::string& text) {
    static const std::set<std::string> kTitlesAndNames = {"提示", "提示！",   "成功",
                                                          "失败", "提取.txt", "提取.CSV"};
    return kTitlesAndNames.count(text) > 0 || text.find('|') != std::string::npos;
}

TEST(UserGuide, HoldsEveryNoticeTextOfTheProgram) {
    const std::string root = MORVANE_SOURCE_DIR;
    const std::string guide = testing::ReadFile(root + "/docs/使用说明.md").value_or("");
    ASSERT_FALSE(guide.empty());
    const std::regex literal(R"re("((?:[^"\\\n]|\\.)*)")re");
    int texts = 0;
    for (const char* file : {"extraction/request_validation.h", "extraction/request_validation.cpp",
                             "extraction/extraction_job.h", "extraction/extraction_job.cpp",
                             "extraction/interpreter_gate.cpp", "extraction/script_file.cpp",
                             "ui/file_choosing.h", "ui/file_choosing.cpp",
                             "ui/main_window_handlers.cpp", "platform/posix/posix_system.cpp"}) {
        const std::string code = testing::ReadFile(root + "/" + file).value_or("");
        ASSERT_FALSE(code.empty()) << file;
        for (std::sregex_iterator at(code.begin(), code.end(), literal), end; at != end; ++at) {
            std::string text = (*at)[1];
            // Chinese in UTF-8 starts with a byte from 0xE4 up.
            if (text.find_first_of("\xE4\xE5\xE6\xE7\xE8\xE9\xEF") == std::string::npos) continue;
            for (std::size_t newline; (newline = text.find("\\n")) != std::string::npos;)
                text.replace(newline, 2, "\n");
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) {
                if (line.empty() || IsNoNoticeText(line)) continue;
                ++texts;
                EXPECT_NE(guide.find(line), std::string::npos) << file << ": " << line;
            }
        }
    }
    EXPECT_GT(texts, 40);
}

}  // namespace
}  // namespace morvane
