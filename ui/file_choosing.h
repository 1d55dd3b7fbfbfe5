// The two "..." buttons: choosing the source and the output file; and a
// source file taken without the dialog (dropped on the window, named on the
// command line).
#pragma once

#include <optional>
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

// What saving as `fileName` writes into the output box: the name as chosen
// when its last component has an extension, else with the selected entry's.
std::string ChosenOutputPath(const std::string& fileName, int filterIndex);

// Source "...": the gate, the Open dialog, then the source box and the
// proposed output. A cancelled dialog leaves both boxes as they were.
void ChooseSourceFile(Controls& controls, SystemServices& system);

// Output "...": the gate, the Save dialog, then the output box.
void ChooseOutputFile(Controls& controls, SystemServices& system);

// The Open dialog's filter entry a file would be listed under: 2 (CSV) when
// its name ends in ".csv" in any letter case, 1 (text) otherwise.
int FilterIndexForFile(const std::string& path);

// What becomes of files given without the dialog (dropped on the window,
// named on the command line): the one taken, or the notice refusing them.
// The first regular file among `paths` is taken, past anything else. A name
// whose bytes are not UTF-8 stops the search: the program's text cannot hold
// it, and another file must not be taken in its place. So does a first
// regular file that Start would not find (on Linux a dot file is hidden from
// the pattern search): Start's notice for that, at once. With no regular file, the
// notice names the first path and says whether nothing or something else
// (a folder, a link, a FIFO, a device) is there; with no path, no notice.
struct GivenFiles {
    std::optional<std::string> taken;
    std::string refusal;  // "" when a file is taken or none was given
};
GivenFiles JudgeGivenFiles(SystemServices& system, const std::vector<std::string>& paths);

// Whether files given without the dialog may be taken now: not while a run
// is going on, when the boxes are disabled, so the files are refused as
// silently as the boxes would refuse them (and a drag shows "not allowed").
bool TakesGivenFilesNow(const Controls& controls);

// A file given without the dialog becomes the source exactly as if chosen in
// it, when TakesGivenFilesNow: the gate, then the source box and the
// proposed output. A refusal shows its notice (title "提示！") and changes
// nothing.
void TakeSourceFile(Controls& controls, SystemServices& system,
                    const std::vector<std::string>& paths);

}  // namespace morvane
