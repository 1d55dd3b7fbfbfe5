#include <gtest/gtest.h>

#include "tests/support/fake_runtime.h"
#include "ui/layout.h"

namespace morvane {
namespace {

using testing::ControlName;

std::vector<std::string> Names(const std::vector<Control>& controls) {
    std::vector<std::string> names;
    for (Control control : controls) names.push_back(ControlName(control));
    return names;
}

TEST(Layout, MainWindowTabOrder) {
    EXPECT_EQ(Names(TabOrder(MainWindowLayout())),
              (std::vector<std::string>{"SourcePathBox", "OutputPathBox", "DelimiterBox",
                                        "FieldNumberBox", "ExampleButton", "ChooseSourceButton",
                                        "ChooseOutputButton", "ExitButton", "StartButton"}));
}

TEST(Layout, ClientAreasInPixels) {
    EXPECT_EQ(TwipsToPixels(MainWindowLayout().clientWidth, kStandardDpi), 474);
    EXPECT_EQ(TwipsToPixels(MainWindowLayout().clientHeight, kStandardDpi), 156);
    EXPECT_EQ(TwipsToPixels(ExampleWindowLayout().clientWidth, kStandardDpi), 419);
    EXPECT_EQ(TwipsToPixels(ExampleWindowLayout().clientHeight, kStandardDpi), 360);
    // At other dpi a half pixel rounds up, as Windows' MulDiv rounds.
    EXPECT_EQ(TwipsToPixels(MainWindowLayout().clientWidth, 120), 593);
    EXPECT_EQ(TwipsToPixels(MainWindowLayout().clientHeight, 144), 234);
}

TEST(Layout, EveryControlFitsInsideItsWindow) {
    for (const FormSpec* form : {&MainWindowLayout(), &ExampleWindowLayout()}) {
        for (const ControlSpec& entry : form->controls) {
            if (entry.hidden) continue;
            EXPECT_LE(entry.left + entry.width, form->clientWidth) << ControlName(entry.name);
            EXPECT_LE(entry.top + entry.height, form->clientHeight) << ControlName(entry.name);
        }
    }
}

TEST(Layout, ExactlyOneDefaultButtonPerWindow) {
    for (const FormSpec* form : {&MainWindowLayout(), &ExampleWindowLayout()}) {
        int defaults = 0;
        for (const ControlSpec& entry : form->controls) defaults += entry.isDefault ? 1 : 0;
        EXPECT_EQ(defaults, 1);
    }
    EXPECT_TRUE(FindControl(MainWindowLayout(), Control::StartButton)->isDefault);
    EXPECT_TRUE(FindControl(ExampleWindowLayout(), Control::ExampleCloseButton)->isDefault);
}

TEST(Layout, TheExampleMatchesTheMainWindowsTemplate) {
    // The example's output is the second comma-separated field of its source.
    const std::string source = FindControl(ExampleWindowLayout(), Control::ExampleSourceBox)->text;
    const std::string output = FindControl(ExampleWindowLayout(), Control::ExampleOutputBox)->text;
    std::string expected;
    std::size_t start = 0;
    while (start < source.size()) {
        const auto end = source.find("\r\n", start);
        const std::string line = source.substr(start, end - start);
        const auto first = line.find(',');
        const auto second = line.find(',', first + 1);
        expected += line.substr(first + 1, second - first - 1) + "\r\n";
        start = end + 2;
    }
    EXPECT_EQ(output, expected);
}

}  // namespace
}  // namespace morvane
