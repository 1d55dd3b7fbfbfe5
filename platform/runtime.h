// The contract between the portable program and the platform it runs on.
//
// The portable code (extraction/, ui/) talks to the platform
// only through these two interfaces:
//
//   Controls        the main window as the event handlers see it: control
//                   texts, enabling, visibility, focus, the mouse pointer,
//                   the completion timer, notices, dialogs, the example
//                   window and ending the program.
//   SystemServices  everything that is not a window: the script file and
//                   its code page, the pattern search and the literal path
//                   questions, deleting, reading a file, starting the
//                   command interpreter, asking how it ended and how it
//                   reads a source, the running processes' names and the
//                   single-instance claim.
//
// Each platform provides both (platform/qt + platform/posix on Linux,
// platform/win32 on Windows); tests/ provides a recording fake.
//
// All text crossing these interfaces is UTF-8. Conversions to UTF-16 (window
// text) and to the script's code page happen inside the implementations.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// The controls of both windows. The boxes and labels for the four inputs
// exist in both (the example window shows them filled in); the others belong
// to one window. Controls always means the main window.
enum class Control {
    SourcePathBox,
    OutputPathBox,
    DelimiterBox,
    FieldNumberBox,
    TokensClauseBox,
    DelimsClauseBox,
    InClauseBox,
    EchoClauseBox,
    ChooseSourceButton,
    ChooseOutputButton,
    StartButton,
    ExitButton,
    ExampleButton,
    SourcePathLabel,
    OutputPathLabel,
    DelimiterLabel,
    FieldNumberLabel,
    ExampleSourceLabel,
    ExampleOutputLabel,
    ProgressLabel,
    CreditLabel,
    FormatsNoteLabel,
    ExampleSourceBox,
    ExampleOutputBox,
    ExampleCloseButton,
    ExampleFrame,
};

// The pointer over the main window: each control's own (the arrow, the text
// cursor over a box), or the hourglass over all of it.
enum class MousePointer { Default, Hourglass };

enum class FileDialogKind { Open, Save };

// What the user picked in an Open or Save dialog.
struct FileChoice {
    std::string fileName;  // the full path chosen
    int filterIndex = 1;   // 1-based entry of the filter left selected
};

class Controls {
  public:
    virtual ~Controls() = default;

    // Modal message box with an OK button only; returns once it is closed.
    virtual void ShowNotice(const std::string& prompt, const std::string& title) = 0;

    // A box's text, or the caption of a label or a button.
    virtual std::string Text(Control control) const = 0;
    virtual void SetText(Control control, const std::string& text) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    virtual void SetFocus(Control control) = 0;

    virtual void SetMousePointer(MousePointer pointer) = 0;

    // The completion timer: while it runs, it ticks every interval, the
    // first tick a whole interval after it is started.
    virtual void SetCompletionTimerRunning(bool running) = 0;
    virtual bool CompletionTimerRunning() const = 0;

    // Shows the Open or Save dialog. `filter` is in the "description|pattern|"
    // form; `filterIndex` is the 1-based entry selected first. Answers nothing
    // when the user cancels.
    virtual std::optional<FileChoice> ShowFileDialog(FileDialogKind kind, const std::string& filter,
                                                     int filterIndex) = 0;

    // Shows the example window modally; returns once it has been closed.
    virtual void ShowExampleWindow() = 0;

    // Ends the program at once, without further events.
    virtual void EndProgram() = 0;
};

// What became of the command interpreter this program started last.
enum class InterpreterState {
    NotStarted,       // no interpreter was started by this program yet
    Running,          // still running
    EndedNormally,    // ended with exit status (Linux) or exit code (Windows) 0
    EndedAbnormally,  // ended otherwise: an error status, killed from outside
    // Stopped before its end: by a signal on Linux, by Ctrl+C, Ctrl+Break or
    // the user logging off on Windows.
    Stopped,
};

// What the folder an output would be created in allows.
enum class FolderAccess { Writable, Missing, NotAFolder, NotWritable };

// How the command interpreter StartInterpreter starts reads the text of a source
// file: which bytes make one character, and so which of them can be a
// delimiter.
struct SourceReading {
    // Our stand-in (Linux) takes each source's encoding from the file itself:
    // its byte-order mark, else UTF-8 when the file is valid UTF-8, else code
    // page 936 (interpreter/README.md).
    bool encodingFromContent = false;
    // Otherwise (cmd.exe on Windows) a source is read in the console's code
    // page, the one the script is written in (a UTF-8 source under code page
    // 65001, ExtractionRequest::loopInUtf8); a line only up to a NUL byte in
    // it, and a line of 8,191 characters or more perhaps not whole. These are
    // the bytes that lead a double-byte character in the script's code page;
    // none in a single-byte one.
    std::array<bool, 256> leadBytes{};
    // Wine's cmd.exe writes the "(" of `echo(` before each value, and runs it
    // for lines without the field too: a line of "(" alone is no value.
    bool echoWritesParenthesis = false;
};

// Which file a path names: a file keeps its identity however it is renamed,
// and another one put in its place has another.
struct FileIdentity {
    std::uint64_t volume = 0;  // the device (Linux), the volume serial number (Windows)
    std::uint64_t index = 0;   // the inode (Linux), the file index (Windows)
    std::uint64_t size = 0;
    // False where the system does not tell a file's size (/proc and /sys on
    // Linux report 0 or 4,096 whatever they hold): such a file is read to its
    // end.
    bool sizeTold = true;
    bool SameFileAs(const FileIdentity& other) const {
        return volume == other.volume && index == other.index;
    }
};

class SystemServices {
  public:
    virtual ~SystemServices() = default;

    // Where the script file lives on this platform.
    virtual std::string ScriptPath() const = 0;

    // Converts text to the script's code page (the OEM code page on
    // Windows, the console's first code page, which cmd.exe reads a batch
    // file in; GB18030 on Linux). Answers nothing when the text holds a
    // character the code page cannot represent: such a character must
    // never reach the script as a stand-in such as "?".
    virtual std::optional<std::string> EncodeForScript(const std::string& text) const = 0;

    // Creates the file at `path`, replacing an earlier one, writes `bytes`
    // and closes it. On failure answers false and puts the system's reason
    // in `reason`.
    virtual bool WriteNewFile(const std::string& path, const std::string& bytes,
                              std::string& reason) = 0;

    // Answers true when the file is gone afterwards.
    virtual bool DeleteFile(const std::string& path) = 0;

    // The directory search Start takes for "does the file exist": the path
    // is taken as a pattern ("*" and "?" in its last component); folders,
    // hidden and system files do not match. Answers the first matching name;
    // nothing for none, and nothing when the search fails for any reason.
    virtual std::optional<std::string> FindMatchingFile(const std::string& path) = 0;

    // Starts the command interpreter on the script at `scriptPath` with no
    // visible window, without waiting for it. On failure answers false with
    // the system's reason.
    virtual bool StartInterpreter(const std::string& scriptPath, std::string& reason) = 0;

    // The name of every running process: its executable's file name (on
    // Windows the process's description, which is that name). Answers
    // nothing when the list cannot be had.
    virtual std::optional<std::vector<std::string>> RunningProcessNames() = 0;

    // Claims this program's single instance for this process: false when
    // another copy already holds it. Later calls give the first call's
    // answer.
    virtual bool ClaimSingleInstance() = 0;

    // What became of the command interpreter that the last successful
    // StartInterpreter started, answered from the process itself (its handle
    // on Windows, its pid on Linux), not from the process list.
    virtual InterpreterState StartedInterpreterState() = 0;

    // True when anything at all is at `path`, taken literally (no pattern):
    // a file whatever its attributes (hidden, system, dot-named), a link
    // (even a dangling one), a folder, a device, a FIFO.
    virtual bool SomethingExistsAt(const std::string& path) = 0;

    // The size in bytes of the regular file at `path`, taken literally,
    // whatever its attributes; nothing when no regular file is there. A link
    // is not followed, so a link is not a regular file.
    virtual std::optional<std::uint64_t> RegularFileSize(const std::string& path) = 0;

    // True when `path` starts from a root ("/" on Linux; a drive "C:\" or a
    // share "\\server\" on Windows), so it does not depend on the folder
    // the program was started from.
    virtual bool IsAbsolutePath(const std::string& path) const = 0;

    // True when the file at `path` can be opened for reading now.
    virtual bool CanOpenForReading(const std::string& path) = 0;

    // Whether a file could be created at `path`: its folder exists, is a
    // folder and may be written by this user.
    virtual FolderAccess OutputFolderAccess(const std::string& path) = 0;

    // True when the path's name (and the whole path) is short enough for the
    // file system and for the command interpreter to open.
    virtual bool NameFits(const std::string& path) const = 0;

    // True when both paths name the same existing file, however each is
    // spelt (same device and inode on Linux; same volume serial number and
    // file index on Windows).
    virtual bool SameFile(const std::string& first, const std::string& second) = 0;

    // Hands the bytes of the regular file at `path`, from its start, to
    // `piece` in pieces of a bounded size, so memory does not grow with the
    // file; `piece` answers false to stop. Answers true once the whole file
    // went through; false when nothing regular could be opened there (a
    // file deleted, or locked by another program), a read failed, or `piece`
    // stopped.
    virtual bool ReadFileInPieces(const std::string& path,
                                  const std::function<bool(std::string_view)>& piece) = 0;

    // How the command interpreter StartInterpreter starts reads a source's text.
    virtual SourceReading InterpreterSourceReading() const = 0;

    // The regular file at `path`, taken literally (a link is not followed);
    // nothing when no regular file is there.
    virtual std::optional<FileIdentity> RegularFileIdentity(const std::string& path) = 0;

    // Creates an empty regular file at `path`, never replacing anything that
    // is there. On failure answers false with the system's reason.
    virtual bool CreateEmptyFile(const std::string& path, std::string& reason) = 0;

    // Ends the interpreter StartInterpreter started last, if it still runs,
    // and waits until it has ended.
    virtual void StopInterpreter() = 0;

    // The output of the run going on ("" when none), so that the run can be
    // undone should the program be ended from outside (Linux: SIGTERM,
    // SIGHUP, SIGINT end the interpreter and remove the output and the
    // script). Windows ends a session through the window instead.
    virtual void SetRunningOutput(const std::string& outputPath) = 0;

    // Whether paths are Windows paths, where a ":" after the drive letter
    // names a stream of a file and CON, NUL, COM1 and the like are devices.
    virtual bool UsesWindowsNames() const = 0;

    // Whether the folder `path` is in is this program's script folder,
    // however either is spelt.
    virtual bool InScriptFolder(const std::string& path) = 0;
};

}  // namespace morvane
