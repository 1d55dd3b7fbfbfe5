#include "ui/file_choosing.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "common/text/source_encoding.h"
#include "extraction/interpreter_gate.h"
#include "extraction/notice_titles.h"
#include "extraction/request_validation.h"
#include "ui/window_text.h"

namespace morvane {

std::vector<FilterEntry> ParseFilter(const std::string& filter) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start < filter.size()) {
        const auto bar = filter.find('|', start);
        const auto end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<FilterEntry> entries;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        entries.push_back({parts[i], parts[i + 1]});
    return entries;
}

std::string ProposedOutputPath(const std::string& fileName, int filterIndex) {
    return fileName + (filterIndex == 1 ? "提取.txt" : "提取.CSV");
}

std::string ChosenOutputPath(const std::string& fileName, int filterIndex) {
    const auto separator = fileName.find_last_of("/\\");
    const std::string_view name =
        std::string_view(fileName).substr(separator == std::string::npos ? 0 : separator + 1);
    // A dot that starts the name begins no extension (".profile").
    if (name.find('.', 1) != std::string_view::npos) return fileName;
    return fileName + (filterIndex == 1 ? ".txt" : ".CSV");
}

void ChooseSourceFile(Controls& controls, SystemServices& system) {
    if (InterpreterGate(controls, system) == Gate::Blocked) return;
    const auto choice = controls.ShowFileDialog(FileDialogKind::Open, kFileFilter, 1);
    if (!choice) return;
    controls.SetText(Control::SourcePathBox, choice->fileName);
    controls.SetText(Control::OutputPathBox,
                     ProposedOutputPath(choice->fileName, choice->filterIndex));
}

void ChooseOutputFile(Controls& controls, SystemServices& system) {
    if (InterpreterGate(controls, system) == Gate::Blocked) return;
    const auto choice = controls.ShowFileDialog(FileDialogKind::Save, kFileFilter, 1);
    if (!choice) return;
    controls.SetText(Control::OutputPathBox,
                     ChosenOutputPath(choice->fileName, choice->filterIndex));
}

int FilterIndexForFile(const std::string& path) {
    static constexpr std::string_view kCsv = ".csv";
    if (path.size() < kCsv.size()) return 1;
    const bool csv =
        std::equal(kCsv.begin(), kCsv.end(), path.end() - kCsv.size(), [](char wanted, char given) {
            return wanted == std::tolower(static_cast<unsigned char>(given));
        });
    return csv ? 2 : 1;
}

GivenFiles JudgeGivenFiles(SystemServices& system, const std::vector<std::string>& paths) {
    std::optional<std::string> passedOver;
    for (const std::string& path : paths) {
        if (!text::IsUtf8(path)) {
            return {std::nullopt, "文件名“" + path +
                                      "”中含有无法识别的字符，本程序打不开这个文件，"
                                      "请把文件改名后再试！"};
        }
        if (system.RegularFileSize(path)) {
            if (!system.FindMatchingFile(path))
                return {std::nullopt, "对不起，源文件路径不正确，请重新输入！"};
            return {path, ""};
        }
        if (!passedOver) passedOver = path;
    }
    if (!passedOver) return {};
    if (!system.SomethingExistsAt(*passedOver))
        return {std::nullopt, "找不到文件“" + *passedOver + "”，请重新选择！"};
    return {std::nullopt,
            "“" + *passedOver + "”不是文件（是文件夹、链接或设备），请选择TXT或CSV文件！"};
}

bool TakesGivenFilesNow(const Controls& controls) { return !controls.CompletionTimerRunning(); }

void TakeSourceFile(Controls& controls, SystemServices& system,
                    const std::vector<std::string>& paths) {
    if (!TakesGivenFilesNow(controls)) return;
    const GivenFiles given = JudgeGivenFiles(system, paths);
    if (!given.taken) {
        if (!given.refusal.empty()) controls.ShowNotice(given.refusal, kRefusalTitle);
        return;
    }
    if (InterpreterGate(controls, system) == Gate::Blocked) return;
    const std::string& file = *given.taken;
    controls.SetText(Control::SourcePathBox, file);
    controls.SetText(Control::OutputPathBox, ProposedOutputPath(file, FilterIndexForFile(file)));
}

}  // namespace morvane
