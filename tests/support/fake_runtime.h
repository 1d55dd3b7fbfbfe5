// A runtime for tests: it keeps the main window's state in memory and
// records, in order, every notice, focus move, control change, timer and
// pointer change and file operation the program asks for.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime.h"
#include "tests/support/control_name.h"
#include "tests/support/window_probe.h"

namespace morvane::testing {

class FakeRuntime : public Controls, public SystemServices {
  public:
    FakeRuntime();

    // --- what the test sets up ---
    std::set<std::string> existingFiles;  // visible regular files: the pattern search finds them
    std::set<std::string> regularFiles;   // regular files the search does not see (hidden, dot)
    std::set<std::string> somethingAt;    // anything else at a path: folder, link, FIFO, device
    std::set<std::string> emptyFiles;     // regular files of the two sets above that hold no byte
    std::set<std::string> relativePaths;  // paths that do not start from a root
    std::set<std::string> unreadable;     // files that cannot be opened for reading
    std::map<std::string, FolderAccess> outputFolders;  // by output path; Writable if absent
    std::set<std::string> tooLong;                      // names the file system cannot hold
    std::set<std::pair<std::string, std::string>> sameFilePairs;  // spellings of one file
    // What reading a file hands out, a byte at a time, so that every line and
    // character is cut between pieces; a file not here cannot be read.
    std::map<std::string, std::string> fileContents;
    SourceReading sourceReading{.encodingFromContent = true};  // as our stand-in reads
    // The started interpreter's state; StartInterpreter sets it to stateAfterStart.
    InterpreterState interpreterState = InterpreterState::NotStarted;
    InterpreterState stateAfterStart = InterpreterState::EndedNormally;
    std::vector<std::string> processes;  // the running processes' names
    bool processListFails = false;
    bool usesWindowsNames = true;
    std::set<std::string> inScriptFolder;  // paths whose folder is the script folder
    std::map<std::string, FileIdentity>
        identities;                     // set by CreateEmptyFile; tests may change them
    std::set<std::string> unencodable;  // substrings the code page cannot hold
    std::string writeFailure;           // non-empty: writing fails with it
    std::string launchFailure;          // non-empty: the launch fails with it
    std::vector<std::optional<FileChoice>> dialogAnswers;  // answered in turn
    // Called inside ShowNotice, while the notice is "open".
    std::function<void(const std::string& prompt)> whileNoticeOpen;

    // As the interpreter does: writes `bytes` (one value by default) into the
    // output the program made.
    void InterpreterWrites(const std::string& path, const std::string& bytes = "v\r\n");

    // --- what the program did ---
    std::vector<std::string> log;
    struct Notice {
        std::string prompt, title;
    };
    std::vector<Notice> notices;
    std::map<std::string, std::string> writtenFiles;  // path -> bytes
    std::vector<std::string> launches;
    bool ended = false;
    int exampleShows = 0;

    std::map<Control, std::string> texts;
    std::map<Control, bool> enabled;
    std::map<Control, bool> visible;
    Control focus = Control::SourcePathBox;
    MousePointer pointer = MousePointer::Default;
    bool timer = false;

    // Log entries that start with `prefix`, in order.
    std::vector<std::string> LogStartingWith(const std::string& prefix) const;

    // Controls
    void ShowNotice(const std::string& prompt, const std::string& title) override;
    std::string Text(Control control) const override;
    void SetText(Control control, const std::string& text) override;
    void SetEnabled(Control control, bool value) override;
    void SetVisible(Control control, bool value) override;
    void SetFocus(Control control) override;
    void SetMousePointer(MousePointer value) override;
    void SetCompletionTimerRunning(bool running) override;
    bool CompletionTimerRunning() const override { return timer; }
    std::optional<FileChoice> ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                             int filterIndex) override;
    void ShowExampleWindow() override;
    void EndProgram() override;

    // SystemServices
    std::string ScriptPath() const override {
        return "C:\\Users\\zhang\\AppData\\Local\\Morvane\\1.bat";
    }
    std::optional<std::string> EncodeForScript(const std::string& text) const override;
    bool WriteNewFile(const std::string& path, const std::string& bytes,
                      std::string& reason) override;
    bool DeleteFile(const std::string& path) override;
    std::optional<std::string> FindMatchingFile(const std::string& path) override;
    bool StartInterpreter(const std::string& scriptPath, std::string& reason) override;
    std::optional<std::vector<std::string>> RunningProcessNames() override;
    bool ClaimSingleInstance() override { return !anotherCopyRunning; }
    InterpreterState StartedInterpreterState() override;
    bool SomethingExistsAt(const std::string& path) override;
    std::optional<std::uint64_t> RegularFileSize(const std::string& path) override;
    bool IsAbsolutePath(const std::string& path) const override {
        return !relativePaths.count(path);
    }
    bool CanOpenForReading(const std::string& path) override { return !unreadable.count(path); }
    FolderAccess OutputFolderAccess(const std::string& path) override;
    bool NameFits(const std::string& path) const override { return !tooLong.count(path); }
    bool SameFile(const std::string& first, const std::string& second) override;
    bool ReadFileInPieces(const std::string& path,
                          const std::function<bool(std::string_view)>& piece) override;
    SourceReading InterpreterSourceReading() const override { return sourceReading; }
    std::optional<FileIdentity> RegularFileIdentity(const std::string& path) override;
    bool CreateEmptyFile(const std::string& path, std::string& reason) override;
    void StopInterpreter() override;
    void SetRunningOutput(const std::string& outputPath) override {
        log.push_back("running-output " + outputPath);
    }
    bool UsesWindowsNames() const override { return usesWindowsNames; }
    bool InScriptFolder(const std::string& path) override { return inScriptFolder.count(path) > 0; }

    bool anotherCopyRunning = false;
};

// The fake's window as a user would see it: a box's text, a label's or a
// button's caption.
class FakeWindowView : public WindowProbe {
  public:
    explicit FakeWindowView(const FakeRuntime& runtime) : runtime_(runtime) {}
    std::string Text(Control control) const override;
    bool Enabled(Control control) const override { return runtime_.enabled.at(control); }
    bool Visible(Control control) const override { return runtime_.visible.at(control); }
    std::optional<Control> Focus() const override { return runtime_.focus; }

  private:
    const FakeRuntime& runtime_;
};

}  // namespace morvane::testing
