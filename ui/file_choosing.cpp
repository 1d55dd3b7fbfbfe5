#include "ui/file_choosing.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "extraction/interpreter_gate.h"

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

void TakeSourceFile(Controls& controls, SystemServices& system,
                    const std::vector<std::string>& paths) {
    if (controls.TimerEnabled()) return;
    const auto file = std::find_if(paths.begin(), paths.end(), [&](const std::string& path) {
        return system.RegularFileSize(path).has_value();
    });
    if (file == paths.end()) return;
    if (InterpreterGate(controls, system) == Gate::Blocked) return;
    controls.SetText(Control::SourcePathBox, *file);
    controls.SetText(Control::OutputPathBox, ProposedOutputPath(*file, FilterIndexForFile(*file)));
}

}  // namespace morvane
