// The two "..." buttons: choosing the source and the output file; and a
// source file taken without the dialog (dropped on the window, named on the
// command line).
#pragma once

#include <string>
#include <vector>

#include "platform/runtime.h"

namespace morvane {

// The dialogs' filter: two entries, description then pattern.
inline constexpr const char* kFileFilter = "文本文档(*.txt)|*.txt|逗号分隔值文件(*.CSV)|*.CSV|";

struct FilterEntry {
    std::string description;
    std::string pattern;
};

// Splits a "description|pattern|…" filter into its entries.
std::vector<FilterEntry> ParseFilter(const std::string& filter);

// What picking `fileName` as the source proposes for the output box.
std::string ProposedOutputPath(const std::string& fileName, int filterIndex);

// What saving as `fileName` writes into the output box.
std::string ChosenOutputPath(const std::string& fileName, int filterIndex);

// Source "...": the gate, the Open dialog, then the source box and the
// proposed output. A cancelled dialog leaves both boxes as they were.
void ChooseSourceFile(Controls& controls, SystemServices& system);

// Output "...": the gate, the Save dialog, then the output box.
void ChooseOutputFile(Controls& controls, SystemServices& system);

// The Open dialog's filter entry a file would be listed under: 2 (CSV) when
// its name ends in ".csv" in any letter case, 1 (text) otherwise.
int FilterIndexForFile(const std::string& path);

// A file given without the dialog becomes the source exactly as if chosen in
// it: the gate, then the source box and the proposed output. The first
// regular file among `paths` is taken; folders and anything else are passed
// over, and with no regular file nothing happens. While a run is going on the
// boxes are disabled, so the file is refused silently as they would refuse it.
void TakeSourceFile(Controls& controls, SystemServices& system,
                    const std::vector<std::string>& paths);

}  // namespace morvane
