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
    {StartButton,         K::Button,  "开始提取", 1192, 1680, 1215, 495, 16, kNone, kBlack, 0, "", false, true},
    {ExitButton,          K::Button,  "退出程序", 4792, 1680, 1215, 495, 15, kNone},
    {ExampleButton,       K::Button,  "例",        120, 1800,  375, 375,  4, kNone, kBlack, 0, "不会用，就看看例子吧"},
    {EchoClauseBox,       K::TextBox, kEchoClause,   360, 2040, 495, 270, 14, kNone, kBlack, 0, "", true},
    {InClauseBox,         K::TextBox, kInClause,       0, 1920, 495, 270, 13, kNone, kBlack, 0, "", true},
    {DelimsClauseBox,     K::TextBox, kDelimsClause,   0, 1680, 615, 270, 12, kNone, kBlack, 0, "", true},
    {ChooseOutputButton,  K::Button,  "...",      6240,  682,  375, 300,  6, kSimSun75, kBlack, 0, "单击选择保存路径"},
    {OutputPathBox,       K::TextBox, "",         1680,  690, 4575, 285,  1, kNone},
    {TokensClauseBox,     K::TextBox, kTokensClause,   0, 1320, 615, 270, 11, kNone, kBlack, 0, "", true},
    {FieldNumberBox,      K::TextBox, "",         5160, 1080, 1095, 285,  3, kNone, kBlack, 2, "必须是数字"},
    {DelimiterBox,        K::TextBox, "",         1680, 1080, 1095, 285,  2, kNone, kBlack, 1, "注意输入法噢"},
    {ChooseSourceButton,  K::Button,  "...",      6240,  202,  375, 300,  5, kSimSun75, kBlack, 0, "单击选择文件"},
    {SourcePathBox,       K::TextBox, "",         1680,  210, 4575, 285,  0, kNone},
    {ProgressLabel,       K::Label,   kProgressCaption,  2752, 1800, 1695, 255, 17, kSimSun105, kRed, 0, "", true},
    {FieldNumberLabel,    K::Label,   "提取段号：", 3960, 1110, 1335, 255, 10, kSimSun105},
    {DelimiterLabel,      K::Label,   "分割符号：",  480, 1110, 1335, 255,  9, kSimSun105},
    {OutputPathLabel,     K::Label,   "输出路径：",  480,  720, 1335, 255,  8, kSimSun105},
    {SourcePathLabel,     K::Label,   "源文件路径：", 480, 240, 1335, 255,  7, kSimSun105},
};

constexpr ControlSpec kExampleWindowControls[] = {
    {ExampleOutputBox,    K::MultiLineTextBox, "张三\r\n李四\r\n赵钱\r\n孙李\r\n", 600, 1800, 5055, 855, 12, kNone},
    {ExampleSourceBox,    K::MultiLineTextBox, "01,张三,男\r\n02,李四,男\r\n03,赵钱,男\r\n04,孙李,男\r\n",
                                                              600,  480, 5055, 855,  0, kNone},
    {ExampleCloseButton,  K::Button,  "我知道了",            2400, 4800, 1215, 375,  9, kNone, kBlack, 0, "", false, true},
    {SourcePathBox,       K::TextBox, "C:\\123.txt",          1320, 2880, 4335, 285,  4, kNone},
    {DelimiterBox,        K::TextBox, ",",                    1320, 3750, 1095, 285,  3, kNone},
    {FieldNumberBox,      K::TextBox, "2",                    4560, 3750, 1095, 285,  2, kNone, kBlack, 2},
    {OutputPathBox,       K::TextBox, "C:\\321.txt提取.txt",   1320, 3360, 4335, 285,  1, kNone},
    {ExampleFrame,        K::Frame,   "",                        0,    0, 6285, 5400, -1, kNone},
    {FormatsNoteLabel,    K::Label,   "本程序目前仅支持TXT和CSV两种格式的文件", 120, 4200, 5775, 375, 14, kKaiTi1425, kRed},
    {CreditLabel,         K::Label,   "Morvane 出品",         5040, 5040, 1215, 255, 13, kNone},
    {ExampleOutputLabel,  K::Label,   "我们面要提取全部的姓名：", 120, 1440, 2655, 255, 11, kSimSun105},
    {ExampleSourceLabel,  K::Label,   "假设123.txt在C盘根目录下,文本内容是：", 120, 120, 3975, 255, 10, kSimSun105},
    {SourcePathLabel,     K::Label,   "源文件路径：",          120, 2910, 1335, 255,  8, kSimSun105},
    {OutputPathLabel,     K::Label,   "输出路径：",            120, 3390, 1335, 255,  7, kSimSun105},
    {DelimiterLabel,      K::Label,   "分割符号：",            120, 3780, 1335, 255,  6, kSimSun105},
    {FieldNumberLabel,    K::Label,   "提取段号：",           3360, 3780, 1335, 255,  5, kSimSun105},
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
