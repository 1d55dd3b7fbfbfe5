#include "tests/support/fake_runtime.h"

#include "ui/layout.h"

namespace morvane::testing {

FakeRuntime::FakeRuntime() {
    for (const ControlSpec& entry : MainWindowLayout().controls) {
        texts[entry.name] = entry.text;
        enabled[entry.name] = true;
        visible[entry.name] = !entry.hidden;
    }
}

std::vector<std::string> FakeRuntime::LogStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& entry : log) {
        if (entry.rfind(prefix, 0) == 0) found.push_back(entry);
    }
    return found;
}

void FakeRuntime::ShowNotice(const std::string& prompt, const std::string& title) {
    log.push_back("notice " + title + " " + prompt);
    notices.push_back({prompt, title});
    if (whileNoticeOpen) whileNoticeOpen(prompt);
}

std::string FakeRuntime::Text(Control control) const {
    auto it = texts.find(control);
    return it == texts.end() ? "" : it->second;
}

void FakeRuntime::SetText(Control control, const std::string& text) {
    log.push_back("text " + ControlName(control) + "=" + text);
    texts[control] = text;
}

void FakeRuntime::SetEnabled(Control control, bool value) {
    log.push_back(std::string(value ? "enable " : "disable ") + ControlName(control));
    enabled[control] = value;
}

void FakeRuntime::SetVisible(Control control, bool value) {
    log.push_back(std::string(value ? "show " : "hide ") + ControlName(control));
    visible[control] = value;
}

void FakeRuntime::SetFocus(Control control) {
    log.push_back("focus " + ControlName(control));
    focus = control;
}

void FakeRuntime::SetMousePointer(MousePointer value) {
    log.push_back(value == MousePointer::Hourglass ? "pointer hourglass" : "pointer default");
    pointer = value;
}

void FakeRuntime::SetCompletionTimerRunning(bool running) {
    log.push_back(std::string("timer ") + (running ? "on" : "off"));
    timer = running;
}

std::optional<FileChoice> FakeRuntime::ShowFileDialog(FileDialogKind kind,
                                                      const std::string& filter, int filterIndex) {
    log.push_back(std::string(kind == FileDialogKind::Open ? "open-dialog " : "save-dialog ") +
                  filter + " " + std::to_string(filterIndex));
    if (dialogAnswers.empty()) return std::nullopt;
    auto answer = dialogAnswers.front();
    dialogAnswers.erase(dialogAnswers.begin());
    return answer;
}

void FakeRuntime::ShowExampleWindow() {
    log.push_back("example");
    ++exampleShows;
}

void FakeRuntime::EndProgram() {
    log.push_back("end");
    ended = true;
}

std::optional<std::string> FakeRuntime::EncodeForScript(const std::string& text) const {
    for (const std::string& bad : unencodable) {
        if (text.find(bad) != std::string::npos) return std::nullopt;
    }
    return text;
}

bool FakeRuntime::WriteNewFile(const std::string& path, const std::string& bytes,
                               std::string& reason) {
    log.push_back("write " + path);
    if (!writeFailure.empty()) {
        reason = writeFailure;
        return false;
    }
    writtenFiles[path] = bytes;
    existingFiles.insert(path);
    return true;
}

bool FakeRuntime::DeleteFile(const std::string& path) {
    log.push_back("delete " + path);
    const bool existed = existingFiles.erase(path) + regularFiles.erase(path) > 0;
    return writtenFiles.erase(path) > 0 || existed;
}

std::optional<std::string> FakeRuntime::FindMatchingFile(const std::string& path) {
    log.push_back("query " + path);
    if (!existingFiles.count(path)) return std::nullopt;
    return path;
}

bool FakeRuntime::StartInterpreter(const std::string& scriptPath, std::string& reason) {
    log.push_back("launch " + scriptPath);
    if (!launchFailure.empty()) {
        reason = launchFailure;
        return false;
    }
    launches.push_back(scriptPath);
    interpreterState = stateAfterStart;
    return true;
}

std::optional<std::vector<std::string>> FakeRuntime::RunningProcessNames() {
    log.push_back("processes");
    if (processListFails) return std::nullopt;
    return processes;
}

InterpreterState FakeRuntime::StartedInterpreterState() {
    log.push_back("interpreter-state");
    return interpreterState;
}

bool FakeRuntime::SomethingExistsAt(const std::string& path) {
    log.push_back("exists " + path);
    return existingFiles.count(path) || regularFiles.count(path) || somethingAt.count(path);
}

std::optional<std::uint64_t> FakeRuntime::RegularFileSize(const std::string& path) {
    log.push_back("regular " + path);
    if (!existingFiles.count(path) && !regularFiles.count(path)) return std::nullopt;
    return emptyFiles.count(path) ? 0 : 1;
}

FolderAccess FakeRuntime::OutputFolderAccess(const std::string& path) {
    const auto found = outputFolders.find(path);
    return found == outputFolders.end() ? FolderAccess::Writable : found->second;
}

bool FakeRuntime::SameFile(const std::string& first, const std::string& second) {
    log.push_back("same " + first + " " + second);
    return sameFilePairs.count({first, second}) || sameFilePairs.count({second, first});
}

bool FakeRuntime::ReadFileInPieces(const std::string& path,
                                   const std::function<bool(std::string_view)>& piece) {
    log.push_back("read " + path);
    const auto file = fileContents.find(path);
    if (file == fileContents.end()) return false;
    const std::string_view bytes = file->second;
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (!piece(bytes.substr(at, 1))) return false;
    }
    return true;
}

void FakeRuntime::InterpreterWrites(const std::string& path, const std::string& bytes) {
    emptyFiles.erase(path);
    fileContents[path] = bytes;
}

std::optional<FileIdentity> FakeRuntime::RegularFileIdentity(const std::string& path) {
    if (!existingFiles.count(path) && !regularFiles.count(path)) return std::nullopt;
    FileIdentity identity = identities.count(path) ? identities[path] : FileIdentity{1, 1};
    const auto contents = fileContents.find(path);
    identity.size = contents != fileContents.end() ? contents->second.size()
                    : emptyFiles.count(path)       ? 0
                                                   : 1;
    return identity;
}

bool FakeRuntime::CreateEmptyFile(const std::string& path, std::string&) {
    log.push_back("create " + path);
    regularFiles.insert(path);
    emptyFiles.insert(path);
    identities[path] = {2, identities.size() + 100};
    return true;
}

void FakeRuntime::StopInterpreter() {
    log.push_back("stop-interpreter");
    if (interpreterState == InterpreterState::Running) interpreterState = InterpreterState::Stopped;
}

std::string FakeWindowView::Text(Control control) const { return runtime_.Text(control); }

}  // namespace morvane::testing
