// The Start action and the completion watch: one extraction from the click on
// "开始提取" to the verdict.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "extraction/extraction_request.h"
#include "extraction/source_encoding_check.h"
#include "platform/runtime.h"

namespace morvane {

// The controls disabled while an extraction runs, in the order they are
// disabled and enabled again.
inline constexpr std::array<Control, 8> kInputControls = {
    Control::SourcePathBox,  Control::OutputPathBox,      Control::DelimiterBox,
    Control::FieldNumberBox, Control::ChooseSourceButton, Control::ChooseOutputButton,
    Control::StartButton,    Control::ExitButton,
};

// How often the completion watch looks for a command interpreter still
// running: the completion timer's interval.
inline constexpr int kCompletionTimerIntervalMs = 2000;

inline constexpr const char* kProgressCaption = "正在提取数据...";
inline constexpr const char* kDoneCaption = "提取已完成！";

inline constexpr const char* kSourceChangedNotice =
    "源文件在提取过程中被改动了，无法核对写出的值的个数。";

inline constexpr const char* kUtf16SourceNotice =
    "源文件是 UTF-16（Unicode）编码的，命令解释器不能逐行读取它。请用记事本把它另存为 UTF-8 或 "
    "ANSI 编码后再试。";

// A count as the notices show it, thousands separated: "1,234,567".
std::string CountText(std::uint64_t count);

// Owned by the main window for its whole life. Running is exactly the state
// in which the completion timer runs.
class ExtractionJob {
  public:
    ExtractionJob(Controls& controls, SystemServices& system);

    // The click on Start: checks, the interpreter gate, then the run.
    void StartAction();

    // The completion timer's tick: finishes the run once no command interpreter is left.
    // Success needs the interpreter we started to have ended normally and
    // a regular file at the output path.
    void CompletionTick();

    // The session ends (or the program is told to quit) during a run: the
    // interpreter is ended, the partial output and the script removed.
    void AbandonRun();

    const ExtractionRequest& Request() const { return request_; }

  private:
    // How the loop is to read the source; nothing, with the notice shown,
    // for a source the interpreter cannot read.
    std::optional<LoopReading> SourceReadingAtStart();
    void StartExtraction(LoopReading reading);
    void FillRequest();
    bool InterpreterStillRunning();
    void Complete();
    struct Verdict {
        bool succeeded = false;
        // The success notice's prompt, or the line saying why the run failed
        // ("" when nothing certain can be said).
        std::string text;
    };
    // How the run ended; a failed run's output is removed if it is this run's.
    Verdict Judge();
    // The file at the output path, when it is the one made at Start.
    std::optional<FileIdentity> OurOutput();
    void ReturnToIdle();

    Controls& controls_;
    SystemServices& system_;
    ExtractionRequest request_;
    std::optional<FileIdentity> sourceAtStart_, outputAtStart_;
    // Set while a completion's notice is open, so that ticks still arriving
    // then do not complete the same run twice.
    bool completing_ = false;
};

}  // namespace morvane
