#include "ui/layout.h"

#include <algorithm>
#include <limits>

#include "extraction/extraction_job.h"
#include "extraction/extraction_request.h"

namespace morvane {

namespace {

using enum Control;
using K = ControlKind;

constexpr FontSpec kNone{};
constexpr FontSpec kSimSun105{FontFace::SimSun, 10.5};
constexpr FontSpec kSimSun75{FontFace::SimSun, 7.5};
constexpr FontSpec kKaiTi1425{FontFace::KaiTi, 14.25};

// clang-format off
constexpr ControlSpec kMainWindowControls[] = {
    {.name = StartButton, .kind = K::Button, .text = "开始提取", .left = 1192, .top = 1680, .width = 1215, .height = 495, .tabIndex = 16, .isDefault = true},
    {.name = ExitButton, .kind = K::Button, .text = "退出程序", .left = 4792, .top = 1680, .width = 1215, .height = 495, .tabIndex = 15},
    {.name = ExampleButton, .kind = K::Button, .text = "例", .left = 120, .top = 1800, .width = 375, .height = 375, .tabIndex = 4, .tooltip = "不会用，就看看例子吧"},
    {.name = EchoClauseBox, .kind = K::TextBox, .text = kEchoClause, .left = 360, .top = 2040, .width = 495, .height = 270, .tabIndex = 14, .hidden = true},
    {.name = InClauseBox, .kind = K::TextBox, .text = kInClause, .left = 0, .top = 1920, .width = 495, .height = 270, .tabIndex = 13, .hidden = true},
    {.name = DelimsClauseBox, .kind = K::TextBox, .text = kDelimsClause, .left = 0, .top = 1680, .width = 615, .height = 270, .tabIndex = 12, .hidden = true},
    {.name = ChooseOutputButton, .kind = K::Button, .text = "...", .left = 6240, .top = 682, .width = 375, .height = 300, .tabIndex = 6, .font = kSimSun75, .tooltip = "单击选择保存路径"},
    {.name = OutputPathBox, .kind = K::TextBox, .text = "", .left = 1680, .top = 690, .width = 4575, .height = 285, .tabIndex = 1},
    {.name = TokensClauseBox, .kind = K::TextBox, .text = kTokensClause, .left = 0, .top = 1320, .width = 615, .height = 270, .tabIndex = 11, .hidden = true},
    {.name = FieldNumberBox, .kind = K::TextBox, .text = "", .left = 5160, .top = 1080, .width = 1095, .height = 285, .tabIndex = 3, .maxLength = 2, .tooltip = "必须是数字"},
    {.name = DelimiterBox, .kind = K::TextBox, .text = "", .left = 1680, .top = 1080, .width = 1095, .height = 285, .tabIndex = 2, .maxLength = 1, .tooltip = "注意输入法噢"},
    {.name = ChooseSourceButton, .kind = K::Button, .text = "...", .left = 6240, .top = 202, .width = 375, .height = 300, .tabIndex = 5, .font = kSimSun75, .tooltip = "单击选择文件"},
    {.name = SourcePathBox, .kind = K::TextBox, .text = "", .left = 1680, .top = 210, .width = 4575, .height = 285, .tabIndex = 0},
    {.name = ProgressLabel, .kind = K::Label, .text = kProgressCaption, .left = 2752, .top = 1800, .width = 1695, .height = 255, .tabIndex = 17, .font = kSimSun105, .color = kRed, .hidden = true},
    {.name = FieldNumberLabel, .kind = K::Label, .text = "提取段号：", .left = 3960, .top = 1110, .width = 1335, .height = 255, .tabIndex = 10, .font = kSimSun105},
    {.name = DelimiterLabel, .kind = K::Label, .text = "分割符号：", .left = 480, .top = 1110, .width = 1335, .height = 255, .tabIndex = 9, .font = kSimSun105},
    {.name = OutputPathLabel, .kind = K::Label, .text = "输出路径：", .left = 480, .top = 720, .width = 1335, .height = 255, .tabIndex = 8, .font = kSimSun105},
    {.name = SourcePathLabel, .kind = K::Label, .text = "源文件路径：", .left = 480, .top = 240, .width = 1335, .height = 255, .tabIndex = 7, .font = kSimSun105},
};

constexpr ControlSpec kExampleWindowControls[] = {
    {.name = ExampleOutputBox, .kind = K::MultiLineTextBox, .text = "张三\r\n李四\r\n赵钱\r\n孙李\r\n", .left = 600, .top = 1800, .width = 5055, .height = 855, .tabIndex = 12},
    {.name = ExampleSourceBox, .kind = K::MultiLineTextBox, .text = "01,张三,男\r\n02,李四,男\r\n03,赵钱,男\r\n04,孙李,男\r\n", .left = 600, .top = 480, .width = 5055, .height = 855, .tabIndex = 0},
    {.name = ExampleCloseButton, .kind = K::Button, .text = "我知道了", .left = 2400, .top = 4800, .width = 1215, .height = 375, .tabIndex = 9, .isDefault = true},
    {.name = SourcePathBox, .kind = K::TextBox, .text = "C:\\123.txt", .left = 1320, .top = 2880, .width = 4335, .height = 285, .tabIndex = 4},
    {.name = DelimiterBox, .kind = K::TextBox, .text = ",", .left = 1320, .top = 3750, .width = 1095, .height = 285, .tabIndex = 3},
    {.name = FieldNumberBox, .kind = K::TextBox, .text = "2", .left = 4560, .top = 3750, .width = 1095, .height = 285, .tabIndex = 2, .maxLength = 2},
    {.name = OutputPathBox, .kind = K::TextBox, .text = "C:\\321.txt提取.txt", .left = 1320, .top = 3360, .width = 4335, .height = 285, .tabIndex = 1},
    {.name = ExampleFrame, .kind = K::Frame, .text = "", .left = 0, .top = 0, .width = 6285, .height = 5400, .tabIndex = -1},
    {.name = FormatsNoteLabel, .kind = K::Label, .text = "本程序目前仅支持TXT和CSV两种格式的文件", .left = 120, .top = 4200, .width = 5775, .height = 375, .tabIndex = 14, .font = kKaiTi1425, .color = kRed},
    {.name = CreditLabel, .kind = K::Label, .text = "Morvane 出品", .left = 5040, .top = 5040, .width = 1215, .height = 255, .tabIndex = 13},
    {.name = ExampleOutputLabel, .kind = K::Label, .text = "我们面要提取全部的姓名：", .left = 120, .top = 1440, .width = 2655, .height = 255, .tabIndex = 11, .font = kSimSun105},
    {.name = ExampleSourceLabel, .kind = K::Label, .text = "假设123.txt在C盘根目录下,文本内容是：", .left = 120, .top = 120, .width = 3975, .height = 255, .tabIndex = 10, .font = kSimSun105},
    {.name = SourcePathLabel, .kind = K::Label, .text = "源文件路径：", .left = 120, .top = 2910, .width = 1335, .height = 255, .tabIndex = 8, .font = kSimSun105},
    {.name = OutputPathLabel, .kind = K::Label, .text = "输出路径：", .left = 120, .top = 3390, .width = 1335, .height = 255, .tabIndex = 7, .font = kSimSun105},
    {.name = DelimiterLabel, .kind = K::Label, .text = "分割符号：", .left = 120, .top = 3780, .width = 1335, .height = 255, .tabIndex = 6, .font = kSimSun105},
    {.name = FieldNumberLabel, .kind = K::Label, .text = "提取段号：", .left = 3360, .top = 3780, .width = 1335, .height = 255, .tabIndex = 5, .font = kSimSun105},
};
// clang-format on

constexpr FormSpec kMainWindow{"Morvane", 7110, 2340, kMainWindowControls};
constexpr FormSpec kExampleWindow{"Form2", 6285, 5400, kExampleWindowControls};

bool TakesFocus(const ControlSpec& entry) {
    const bool focusable =
        entry.kind == K::TextBox || entry.kind == K::MultiLineTextBox || entry.kind == K::Button;
    return focusable && !entry.hidden;
}

}  // namespace

const FormSpec& MainWindowLayout() { return kMainWindow; }
const FormSpec& ExampleWindowLayout() { return kExampleWindow; }

const ControlSpec* FindControl(const FormSpec& form, Control name) {
    for (const ControlSpec& entry : form.controls) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

FontSpec ResolvedFont(const FontSpec& font) {
    return font.face == FontFace::Default ? kDefaultFont : font;
}

const char* FaceName(FontFace face) { return face == FontFace::KaiTi ? kKaiTiFace : kSimSunFace; }

std::optional<Control> DefaultButton(const FormSpec& form) {
    for (const ControlSpec& entry : form.controls) {
        if (entry.kind == K::Button && entry.isDefault) return entry.name;
    }
    return std::nullopt;
}

ScreenPoint CentredOn(const ScreenArea& area, int width, int height) {
    return {area.left + (area.width - width) / 2, area.top + (area.height - height) / 2};
}

std::vector<const ControlSpec*> InTabIndexOrder(const FormSpec& form) {
    std::vector<const ControlSpec*> order;
    for (const ControlSpec& entry : form.controls) order.push_back(&entry);
    const auto key = [](const ControlSpec* entry) {
        return entry->tabIndex < 0 ? std::numeric_limits<int>::max() : entry->tabIndex;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const ControlSpec* a, const ControlSpec* b) { return key(a) < key(b); });
    return order;
}

std::vector<Control> TabOrder(const FormSpec& form) {
    std::vector<Control> order;
    for (const ControlSpec* entry : InTabIndexOrder(form)) {
        if (TakesFocus(*entry)) order.push_back(entry->name);
    }
    return order;
}

std::optional<Control> FirstFocus(const FormSpec& form) {
    const std::vector<Control> order = TabOrder(form);
    if (order.empty()) return std::nullopt;
    return order.front();
}

int TwipsToPixels(int twips, int dpi) { return (twips * dpi + 720) / 1440; }

ScreenArea PixelArea(const ControlSpec& entry, int dpi) {
    return {TwipsToPixels(entry.left, dpi), TwipsToPixels(entry.top, dpi),
            TwipsToPixels(entry.width, dpi), TwipsToPixels(entry.height, dpi)};
}

}  // namespace morvane
