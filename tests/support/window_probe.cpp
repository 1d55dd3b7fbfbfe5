#include "tests/support/window_probe.h"

#include <gtest/gtest.h>

#include <utility>

#include "tests/support/control_name.h"

namespace morvane::testing {

namespace {

using enum Control;

constexpr Control kInputBoxes[] = {SourcePathBox, OutputPathBox, DelimiterBox, FieldNumberBox};
constexpr Control kButtons[] = {ChooseSourceButton, ChooseOutputButton, StartButton, ExitButton,
                                ExampleButton};
const std::pair<Control, const char*> kTemplateTexts[] = {
    {TokensClauseBox, " (for /f \"usebackq tokens="},
    {DelimsClauseBox, " delims="},
    {InClauseBox, "\" %%a in ("},
    {EchoClauseBox, ") do @echo(%%a)"},
};

}  // namespace

void ExpectIdleWindow(const WindowProbe& window, InputBoxes boxes) {
    for (Control box : kInputBoxes) {
        EXPECT_TRUE(window.Enabled(box)) << ControlName(box);
        if (boxes == InputBoxes::Emptied) {
            EXPECT_EQ(window.Text(box), "") << ControlName(box);
        }
    }
    if (boxes == InputBoxes::Emptied) {
        EXPECT_EQ(window.Focus(), SourcePathBox);
    } else {
        EXPECT_NE(window.Text(SourcePathBox), "");
    }
    for (Control button : kButtons) EXPECT_TRUE(window.Enabled(button)) << ControlName(button);
    EXPECT_FALSE(window.Visible(ProgressLabel));
    EXPECT_EQ(window.Text(ProgressLabel), "正在提取数据...");
    for (const auto& [box, text] : kTemplateTexts) {
        EXPECT_FALSE(window.Visible(box)) << ControlName(box);
        EXPECT_EQ(window.Text(box), text) << ControlName(box);
    }
}

}  // namespace morvane::testing
