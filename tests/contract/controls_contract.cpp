#include "tests/contract/controls_contract.h"

#include <utility>
#include <vector>

#include "tests/support/control_name.h"

namespace morvane::testing {
namespace {

using enum Control;

TEST_F(ControlsContract, OpensAtRestWithTheFocusInTheSourceBox) {
    ExpectIdleWindow(probe, InputBoxes::Emptied);
    EXPECT_FALSE(controls.CompletionTimerRunning());
}

TEST_F(ControlsContract, BoxTextsRoundTripInChineseHiddenBoxesIncluded) {
    // Each within its box's maximum length.
    const std::pair<Control, std::vector<std::string>> cases[] = {
        {SourcePathBox, {"D:\\用户 & (数据)\\源文件 100%.csv", ""}},
        {OutputPathBox, {"结果提取.txt"}},
        {DelimiterBox, {"，", "𠀀", ""}},
        {FieldNumberBox, {"07"}},
        {TokensClauseBox, {"for /f \"用户 tokens=", ""}},
    };
    for (const auto& [box, texts] : cases) {
        for (const std::string& text : texts) {
            controls.SetText(box, text);
            EXPECT_EQ(controls.Text(box), text) << ControlName(box);
            EXPECT_EQ(probe.Text(box), text) << ControlName(box);
        }
    }
    EXPECT_FALSE(probe.Visible(TokensClauseBox));
}

TEST_F(ControlsContract, LabelsAndButtonsShowTheCaptionSet) {
    controls.SetText(ProgressLabel, "已完成 50%");
    EXPECT_EQ(probe.Text(ProgressLabel), "已完成 50%");
    EXPECT_EQ(controls.Text(ProgressLabel), "已完成 50%");
    controls.SetText(ProgressLabel, "正在提取数据...");
    EXPECT_EQ(probe.Text(ProgressLabel), "正在提取数据...");
    controls.SetText(StartButton, "开始");
    EXPECT_EQ(probe.Text(StartButton), "开始");
    EXPECT_EQ(controls.Text(StartButton), "开始");
}

TEST_F(ControlsContract, EnablingAndShowingFollowEachCall) {
    for (Control control : {SourcePathBox, FieldNumberBox, StartButton, ChooseSourceButton}) {
        controls.SetEnabled(control, false);
        EXPECT_FALSE(probe.Enabled(control)) << ControlName(control);
        controls.SetEnabled(control, true);
        EXPECT_TRUE(probe.Enabled(control)) << ControlName(control);
    }
    controls.SetVisible(ProgressLabel, true);
    EXPECT_TRUE(probe.Visible(ProgressLabel));
    controls.SetVisible(ProgressLabel, false);
    EXPECT_FALSE(probe.Visible(ProgressLabel));
    controls.SetVisible(StartButton, false);
    EXPECT_FALSE(probe.Visible(StartButton));
    controls.SetVisible(StartButton, true);
    EXPECT_TRUE(probe.Visible(StartButton));
}

TEST_F(ControlsContract, FocusMovesButNotToADisabledOrHiddenControl) {
    controls.SetFocus(OutputPathBox);
    EXPECT_EQ(probe.Focus(), OutputPathBox);
    controls.SetFocus(FieldNumberBox);
    EXPECT_EQ(probe.Focus(), FieldNumberBox);
    controls.SetEnabled(SourcePathBox, false);
    controls.SetFocus(SourcePathBox);
    EXPECT_EQ(probe.Focus(), FieldNumberBox);
    // Keys typed into a hidden script fragment would change the script.
    controls.SetFocus(TokensClauseBox);
    EXPECT_EQ(probe.Focus(), FieldNumberBox);
    controls.SetEnabled(SourcePathBox, true);
    controls.SetFocus(SourcePathBox);
    EXPECT_EQ(probe.Focus(), SourcePathBox);
}

TEST_F(ControlsContract, TheHourglassCoversTheWindowAndEachPointerComesBack) {
    const std::vector<Control> over = {SourcePathBox, FieldNumberBox, StartButton, ProgressLabel};
    EXPECT_EQ(probe.PointerOver(SourcePathBox), PointerSeen::TextBeam);
    EXPECT_EQ(probe.PointerOver(StartButton), PointerSeen::Arrow);
    controls.SetMousePointer(MousePointer::Hourglass);
    for (Control control : over)
        EXPECT_EQ(probe.PointerOver(control), PointerSeen::Hourglass) << ControlName(control);
    controls.SetMousePointer(MousePointer::Default);
    EXPECT_EQ(probe.PointerOver(SourcePathBox), PointerSeen::TextBeam);
    EXPECT_EQ(probe.PointerOver(FieldNumberBox), PointerSeen::TextBeam);
    EXPECT_EQ(probe.PointerOver(StartButton), PointerSeen::Arrow);
    EXPECT_EQ(probe.PointerOver(ProgressLabel), PointerSeen::Arrow);
}

TEST_F(ControlsContract, TheTimerRunsOnlyBetweenOnAndOff) {
    controls.SetCompletionTimerRunning(true);
    EXPECT_TRUE(controls.CompletionTimerRunning());
    controls.SetCompletionTimerRunning(true);
    EXPECT_TRUE(controls.CompletionTimerRunning());
    controls.SetCompletionTimerRunning(false);
    EXPECT_FALSE(controls.CompletionTimerRunning());
    controls.SetCompletionTimerRunning(false);
    EXPECT_FALSE(controls.CompletionTimerRunning());
}

// As Exit is disabled then: the run ends first, and its verdict is shown.
TEST_F(ControlsContract, TheWindowDoesNotCloseWhileARunGoesOn) {
    controls.SetCompletionTimerRunning(true);
    EXPECT_FALSE(platform->AskToClose());
    controls.SetCompletionTimerRunning(false);
    EXPECT_TRUE(platform->AskToClose());
}

TEST_F(ControlsContract, TheExampleWindowShowsTheWorkedExampleAfreshEveryTime) {
    struct Seen {
        std::string source, output, delimiter, field, sourceLines, column, note;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> shows;
    for (int show = 0; show < 2; ++show) {
        platform->WhenExampleShows([&](ExampleWindowAccess& example) {
            shows.push_back({example.Text(SourcePathBox), example.Text(OutputPathBox),
                             example.Text(DelimiterBox), example.Text(FieldNumberBox),
                             example.Text(ExampleSourceBox), example.Text(ExampleOutputBox),
                             example.Text(FormatsNoteLabel)});
            example.Edit(SourcePathBox, "changed");
            example.Edit(ExampleOutputBox, "gone");
        });
        controls.ShowExampleWindow();
    }
    ASSERT_EQ(shows.size(), 2u) << "the example window did not show twice";
    EXPECT_EQ(shows[0].source, "C:\\123.txt");
    EXPECT_EQ(shows[0].output, "C:\\321.txt提取.txt");
    EXPECT_EQ(shows[0].delimiter, ",");
    EXPECT_EQ(shows[0].field, "2");
    EXPECT_EQ(shows[0].sourceLines, "01,张三,男\n02,李四,男\n03,赵钱,男\n04,孙李,男\n");
    EXPECT_EQ(shows[0].column, "张三\n李四\n赵钱\n孙李\n");
    EXPECT_EQ(shows[0].note, "本程序目前仅支持TXT和CSV两种格式的文件");
    EXPECT_EQ(shows[1], shows[0]);
    // The main window's own boxes are not the example's.
    EXPECT_EQ(probe.Text(SourcePathBox), "");
}

}  // namespace
}  // namespace morvane::testing
