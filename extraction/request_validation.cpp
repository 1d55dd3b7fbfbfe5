#include "extraction/request_validation.h"

#include <algorithm>
#include <cctype>
#include <tuple>

#include "common/text/source_encoding.h"
#include "extraction/extraction_request.h"
#include "extraction/notice_titles.h"
#include "extraction/script_file.h"

namespace morvane {

namespace {

bool Refuse(Controls& controls, const std::string& prompt, Control focus) {
    controls.ShowNotice(prompt, kRefusalTitle);
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

// A ":" where Windows takes it for the start of a stream name (C:\a.txt:x):
// anywhere but right after the drive letter. ("\\?\C:\…" is refused
// before, for its "?".)
bool HoldsStreamName(const std::string& path) {
    const bool drive =
        path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    return path.find(':', drive ? 2 : 0) != std::string::npos;
}

// Whether the file name (the part after the last separator) names a device:
// CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$ or CONOUT$, in any letter
// case, alone or with an extension ("nul.txt" is NUL too), with the dots and
// spaces Windows drops from a name's end.
bool NamesDevice(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (name == device) return true;
    return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
           name[3] >= '1' && name[3] <= '9';
}

}  // namespace

bool ScriptCanHoldBoxes(Controls& controls) {
    for (Control box : kScriptBoxes) {
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
    return NamesMeanFiles(controls, system);
}

bool NamesMeanFiles(Controls& controls, SystemServices& system) {
    const std::string source = controls.Text(Control::SourcePathBox);
    const std::string output = controls.Text(Control::OutputPathBox);
    if (system.UsesWindowsNames()) {
        // On NTFS the values would go into a hidden stream of the source (or
        // of a new empty file), where nobody sees them.
        for (const auto& [box, path] : {std::pair{Control::SourcePathBox, source},
                                        std::pair{Control::OutputPathBox, output}}) {
            if (HoldsStreamName(path)) return Refuse(controls, kStreamNameNotice, box);
        }
        if (NamesDevice(output)) return Refuse(controls, kDeviceNameNotice, Control::OutputPathBox);
    }
    // The output as the running script would have the values run as
    // commands; anything else there is removed with the folder.
    for (const auto& [box, path] :
         {std::pair{Control::SourcePathBox, source}, std::pair{Control::OutputPathBox, output}}) {
        if (system.InScriptFolder(path)) return Refuse(controls, kScriptFolderNotice, box);
    }
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
    // for /f has tokens 1 to 31 only: any other number can only fail.
    const std::int16_t field = *ParseFieldNumber(controls.Text(Control::FieldNumberBox));
    if (field < 1 || field > 31)
        return Refuse(controls, kFieldRangeNotice, Control::FieldNumberBox);
    return PathsCanBeUsed(controls, system);
}

}  // namespace morvane
