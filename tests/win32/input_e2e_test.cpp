// What Pellorin.exe under Wine takes from the keyboard and the clipboard:
// the input checks in their order with their focus moves, Enter and Tab,
// the field box's digits and the delimiter box's one character.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/windows_inc.h"

#include "extraction/extraction_job.h"
#include "platform/win32/utf.h"
#include "tests/win32/pellorin_fixture.h"

namespace morvane::wintest {
namespace {

using enum Control;

TEST_F(PellorinTest, TheSevenChecksInOrderWithTheirFocusMoves) {
    WriteFile(folder / "in.csv", "a,b\r\n");
    WriteFile(folder / "taken.txt", "x\r\n");
    WriteFile(folder / "unicode.txt", std::string("\xFF\xFE"
                                                  "a\0,\0b\0\r\0\n\0",
                                                  12));
    struct Step {
        const char* source;
        const char* output;
        const char* delimiter;
        const char* field;
        const char* prompt;
        Control focus;
    };
    const std::string in = folder / "in.csv";
    const std::string missing = folder / "missing.csv";
    const std::string taken = folder / "taken.txt";
    const std::string free = folder / "free.txt";
    const std::string noFolder = folder / "no folder\\out.txt";
    const std::string unicode = folder / "unicode.txt";
    // A hidden file is there all the same, though the directory search
    // skips it: refused like any other, and never written into.
    const std::string hidden = folder / "hidden.txt";
    WriteFile(hidden, "kept\r\n");
    ASSERT_TRUE(SetFileAttributesW(win32::Utf8ToWide(hidden).c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::vector<Step> steps = {
        {"", "", "", "", "请输入源文件路径！", SourcePathBox},
        {in.c_str(), "", "", "", "请输入输出路径！", OutputPathBox},
        {in.c_str(), free.c_str(), "", "", "请输入分割符号！", DelimiterBox},
        {in.c_str(), free.c_str(), ",", "", "选择你需要提取的段落编号！", FieldNumberBox},
        {missing.c_str(), free.c_str(), ",", "2", "对不起，源文件路径不正确，请重新输入！",
         SourcePathBox},
        {in.c_str(), in.c_str(), ",", "2", "源文件名和导出文件名不能相同！", OutputPathBox},
        {in.c_str(), taken.c_str(), ",", "2", "导出文件名已存在，请重新输入！", OutputPathBox},
        {in.c_str(), hidden.c_str(), ",", "2", "导出文件名已存在，请重新输入！", OutputPathBox},
        // After the seven, what would make the run fail.
        {in.c_str(), "out.txt", ",", "2",
         "输出路径必须是从根目录或盘符开始的完整路径，请重新输入！", OutputPathBox},
        {in.c_str(), noFolder.c_str(), ",", "2", "输出路径所在的文件夹不存在，请重新输入！",
         OutputPathBox},
        {unicode.c_str(), free.c_str(), ",", "2", kUtf16SourceNotice, SourcePathBox},
    };
    for (const Step& step : steps) {
        Fill(step.source, step.output, step.delimiter, step.field);
        app.SetText(FieldNumberBox, step.field);
        const Notice notice = StartAndGetNotice();
        EXPECT_EQ(notice.title, "提示！");
        EXPECT_EQ(notice.prompt, step.prompt);
        App::CloseNotice(notice);
        ASSERT_TRUE(app.WaitIdle()) << step.prompt;
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == step.focus; }, 3000)) << step.prompt;
        // Nothing changed, nothing started.
        EXPECT_EQ(app.Text(SourcePathBox), step.source);
        EXPECT_EQ(app.Text(DelimiterBox), step.delimiter);
        EXPECT_FALSE(Exists(script));
    }
    EXPECT_EQ(ReadFile(hidden), "kept\r\n");
    // Letter case alone does not make another file: it is the source.
    std::string upper = in;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    Fill(in, upper, ",", "2");
    const Notice notice = StartAndGetNotice();
    EXPECT_EQ(notice.prompt, "源文件名和导出文件名不能相同！");
    App::CloseNotice(notice);
}

TEST_F(PellorinTest, EnterInAnyBoxPressesStartAndTabFollowsTheTabOrder) {
    ASSERT_TRUE(WaitFor([&] { return app.Focus() == SourcePathBox; }, 3000));
    const std::vector<Control> order = {OutputPathBox, DelimiterBox,       FieldNumberBox,
                                        ExampleButton, ChooseSourceButton, ChooseOutputButton,
                                        ExitButton,    StartButton,        SourcePathBox};
    for (Control next : order) {
        app.PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return app.Focus() == next; }, 3000)) << static_cast<int>(next);
    }
    app.PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return app.Focus() == OutputPathBox; }, 3000));
    app.PressKey(VK_RETURN);
    std::optional<Notice> notice = app.WaitForNotice();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->prompt, "请输入源文件路径！");
    App::CloseNotice(*notice);
}

TEST_F(PellorinTest, TheFieldBoxTakesOnlyDigitsAndTheDelimiterBoxOneCharacter) {
    for (wchar_t c : {L'a', L'-', L'.', L' ', L'中', L'1'}) app.Type(FieldNumberBox, c);
    EXPECT_EQ(app.Text(FieldNumberBox), "1");
    app.Type(FieldNumberBox, L'\b');
    EXPECT_EQ(app.Text(FieldNumberBox), "");
    for (wchar_t c : {L'0', L'7', L'9'}) app.Type(FieldNumberBox, c);
    EXPECT_EQ(app.Text(FieldNumberBox), "07");  // at most two characters
    app.Type(FieldNumberBox, L'\b');

    const auto putOnClipboard = [](std::wstring_view text) {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        memcpy(GlobalLock(memory), text.data(), text.size() * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
    };
    // Ctrl+V arrives as character 22: discarded like any other.
    putOnClipboard(L"x5");
    app.Type(FieldNumberBox, 22);
    EXPECT_EQ(app.Text(FieldNumberBox), "0");
    // The context menu's Paste is not filtered; the length limit holds.
    SendMessageW(app.Window(FieldNumberBox), WM_PASTE, 0, 0);
    EXPECT_EQ(app.Text(FieldNumberBox), "0x");

    for (wchar_t c : {L'，', L';'}) app.Type(DelimiterBox, c);
    EXPECT_EQ(app.Text(DelimiterBox), "，");
    // One character, whether it takes one UTF-16 unit or two.
    for (const auto& [pasted, kept] : {std::pair{L"𠀀x", "𠀀"}, std::pair{L"x𠀀", "x"}}) {
        app.SetText(DelimiterBox, "");
        putOnClipboard(pasted);
        SendMessageW(app.Window(DelimiterBox), WM_PASTE, 0, 0);
        EXPECT_EQ(app.Text(DelimiterBox), kept);
    }
}

}  // namespace
}  // namespace morvane::wintest
