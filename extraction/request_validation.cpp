#include "extraction/request_validation.h"

#include <tuple>

#include "common/text/source_encoding.h"
#include "extraction/extraction_request.h"

namespace morvane {

namespace {

const char* const kCheckTitle = "提示！";

bool Refuse(Controls& controls, const std::string& prompt, Control focus) {
    controls.ShowNotice(prompt, kCheckTitle);
    controls.SetFocus(focus);
    return false;
}

// In UTF-8 these bytes only ever stand for the control characters
// themselves. A tab is the one control character a delimiter may be (a
// tab-separated file): it breaks no line, and inside the quoted options it is
// as plain as a space. In a path it stays refused.
bool HoldsControlCharacter(const std::string& text, bool tabAllowed) {
    for (char c : text) {
        if (c == '\t' && tabAllowed) continue;
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

bool HoldsDoubleQuote(const std::string& text) { return text.find('"') != std::string::npos; }

// The loop variable is %%a; "%a" and every "%~...a" modifier form would be
// read as it in the redirection target, so "%~" is refused whatever follows.
bool HoldsLoopVariableReference(const std::string& text) {
    return text.find("%a") != std::string::npos || text.find("%~") != std::string::npos;
}

}  // namespace

bool ScriptCanHoldBoxes(Controls& controls) {
    for (Control box : {Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox}) {
        const std::string text = controls.Text(box);
        // Half of a surrogate pair (pasted alone) reaches here as bytes that
        // are no UTF-8 and no character of any code page.
        if (!text::IsUtf8(text)) return Refuse(controls, kUnencodableNotice, box);
        if (HoldsControlCharacter(text, box == Control::DelimiterBox))
            return Refuse(controls, "路径或分割符号中不能含有换行符等控制字符，请修改后再试！",
                          box);
        if (HoldsDoubleQuote(text)) {
            return Refuse(controls,
                          box == Control::DelimiterBox ? "分割符号不能是双引号，请换一个分割符号！"
                                                       : "路径中不能含有双引号，请修改后再试！",
                          box);
        }
        if (box == Control::OutputPathBox && HoldsLoopVariableReference(text))
            return Refuse(controls, "输出路径中不能含有“%a”或“%~”，请修改后再试！", box);
    }
    return true;
}

bool PathsCanBeUsed(Controls& controls, SystemServices& system) {
    const std::string source = controls.Text(Control::SourcePathBox);
    const std::string output = controls.Text(Control::OutputPathBox);
    const std::tuple<Control, std::string, const char*> paths[] = {
        {Control::SourcePathBox, source, "源文件路径"},
        {Control::OutputPathBox, output, "输出路径"}};
    for (const auto& [box, path, name] : paths) {
        if (!system.IsAbsolutePath(path)) {
            return Refuse(controls,
                          std::string(name) + "必须是从根目录或盘符开始的完整路径，请重新输入！",
                          box);
        }
    }
    for (const auto& [box, path, name] : paths) {
        if (path.find_first_of("*?") != std::string::npos)
            return Refuse(controls, "路径中不能含有“*”或“?”，请修改后再试！", box);
    }
    if (!system.CanOpenForReading(source)) {
        return Refuse(controls, "无法读取源文件：没有读取权限，或正被其他程序独占打开！",
                      Control::SourcePathBox);
    }
    switch (system.OutputFolderAccess(output)) {
        case FolderAccess::Missing:
            return Refuse(controls, "输出路径所在的文件夹不存在，请重新输入！",
                          Control::OutputPathBox);
        case FolderAccess::NotAFolder:
            return Refuse(controls, "输出路径所在的位置不是文件夹，请重新输入！",
                          Control::OutputPathBox);
        case FolderAccess::NotWritable:
            return Refuse(controls, "没有在输出路径所在的文件夹中新建文件的权限，请换一个文件夹！",
                          Control::OutputPathBox);
        case FolderAccess::Writable:
            break;
    }
    if (!system.NameFits(output))
        return Refuse(controls, "输出文件名太长，请换一个短一些的名字！", Control::OutputPathBox);
    return true;
}

bool ValidateRequest(Controls& controls, SystemServices& system) {
    const std::string source = controls.Text(Control::SourcePathBox);
    const std::string output = controls.Text(Control::OutputPathBox);

    if (source.empty()) return Refuse(controls, "请输入源文件路径！", Control::SourcePathBox);
    if (output.empty()) return Refuse(controls, "请输入输出路径！", Control::OutputPathBox);
    if (controls.Text(Control::DelimiterBox).empty())
        return Refuse(controls, "请输入分割符号！", Control::DelimiterBox);
    // Typing lets only digits in, but a paste can bring anything: a text that
    // is not a field number is treated like a missing one.
    if (!ParseFieldNumber(controls.Text(Control::FieldNumberBox)))
        return Refuse(controls, "选择你需要提取的段落编号！", Control::FieldNumberBox);
    if (!ScriptCanHoldBoxes(controls)) return false;
    if (!system.FindMatchingFile(source))
        return Refuse(controls, "对不起，源文件路径不正确，请重新输入！", Control::SourcePathBox);
    // Another spelling of the source (a link to it, another letter case on
    // Windows) would have the run append to its own source.
    if (output == source || system.SameFile(source, output))
        return Refuse(controls, "源文件名和导出文件名不能相同！", Control::OutputPathBox);
    // The run appends to its output, so nothing at all may be there yet: the
    // pattern search does not see hidden files, and a link or a FIFO would be
    // written through or hang the run.
    if (system.FindMatchingFile(output) || system.SomethingExistsAt(output))
        return Refuse(controls, "导出文件名已存在，请重新输入！", Control::OutputPathBox);
    return PathsCanBeUsed(controls, system);
}

}  // namespace morvane
