#include "extraction/extraction_job.h"

#include <utility>

#include "extraction/interpreter_gate.h"
#include "extraction/notice_titles.h"
#include "extraction/output_count.h"
#include "extraction/request_validation.h"
#include "extraction/script_file.h"
#include "extraction/source_encoding_check.h"
#include "extraction/source_survey.h"

namespace morvane {

std::string CountText(std::uint64_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

namespace {

const char* const kFailurePrompt =
    "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！";

// Whether the survey found anything the success notice tells of.
bool HasFacts(const SourceSurvey& survey) {
    return survey.linesWithoutField > 0 || survey.linesWithEmptyFieldBefore > 0 ||
           survey.linesWithQuotedFieldCut > 0 || survey.linesCutAtNul > 0 || survey.longLines > 0 ||
           survey.lineEndsAreCrOnly;
}

// The success notice: "提取完成", and when lines with data gave no value or a
// later field's, or the interpreter could not read lines whole, what the
// source held and what became of it.
std::string SuccessPrompt(const std::optional<SourceSurvey>& survey, int field,
                          bool sourceChanged) {
    std::string prompt = "提取完成";
    if (sourceChanged) return prompt + "\n" + kSourceChangedNotice;
    // A survey that found no value at all disagrees with the output: the
    // source changed since the run.
    if (!survey || survey->Values() == 0 || !HasFacts(*survey)) return prompt;
    const std::string fieldText = "第 " + std::to_string(field) + " 段";
    prompt += "\n源文件共 " + CountText(survey->DataLines()) + " 行数据，写出了 " +
              CountText(survey->Values()) + " 个值";
    prompt += survey->linesWithoutField == 0
                  ? "。"
                  : "：" + CountText(survey->linesWithoutField) + " 行没有" + fieldText + "。";
    if (survey->linesWithEmptyFieldBefore > 0) {
        prompt += "\n另有 " + CountText(survey->linesWithEmptyFieldBefore) + " 行在" + fieldText +
                  "之前有空字段（分割符号相连或在行首），这些行写出的是后面一段的值。";
    }
    if (survey->linesWithQuotedFieldCut > 0) {
        prompt += "\n另有 " + CountText(survey->linesWithQuotedFieldCut) +
                  " 行含有带引号的字段（引号里有分割符号或换行），命令解释器把它们拆开了，"
                  "这些行写出的值可能不完整。";
    }
    if (survey->linesCutAtNul > 0) {
        prompt += "\n另有 " + CountText(survey->linesCutAtNul) +
                  " 行含有 NUL 字符，命令解释器只读到 NUL 之前，这些行写出的值可能不完整。";
    }
    if (survey->longLines > 0) {
        prompt += "\n另有 " + CountText(survey->longLines) +
                  " 行超过 8191 个字符，命令解释器可能截断这些行。";
    }
    if (survey->lineEndsAreCrOnly) {
        prompt +=
            "\n源文件的行以单独的 CR 结尾，命令解释器把整个文件当作一行读取；"
            "请把文件另存为 CR LF 或 LF 换行后再试。";
    }
    return prompt;
}

std::string FewerValuesReason(std::uint64_t written, std::uint64_t found) {
    return "原因：输出文件只有 " + CountText(written) + " 个值，而源文件有 " + CountText(found) +
           " 个；命令解释器没有读完源文件。";
}

}  // namespace

ExtractionJob::ExtractionJob(Controls& controls, SystemServices& system)
    : controls_(controls), system_(system) {}

void ExtractionJob::StartAction() {
    if (controls_.CompletionTimerRunning()) return;  // a run is already going on
    if (!ValidateRequest(controls_, system_)) return;
    const std::optional<LoopReading> reading = SourceReadingAtStart();
    if (!reading) return;
    if (InterpreterGate(controls_, system_) == Gate::Blocked) return;
    StartExtraction(*reading);
}

std::optional<LoopReading> ExtractionJob::SourceReadingAtStart() {
    // The whole of a UTF-8 source is read: the busy pointer while it lasts.
    controls_.SetMousePointer(MousePointer::Hourglass);
    const LoopReading reading = HowTheLoopReads(system_, controls_.Text(Control::SourcePathBox));
    controls_.SetMousePointer(MousePointer::Default);
    if (reading != LoopReading::Utf16) return reading;
    // for /f reads it byte by byte and stops at each NUL. Going through
    // "type", which converts it, would pass the file name through a second
    // command line, which expands %NAME% inside quotes too.
    controls_.ShowNotice(kUtf16SourceNotice, kRefusalTitle);
    controls_.SetFocus(Control::SourcePathBox);
    return std::nullopt;
}

void ExtractionJob::FillRequest() {
    request_.sourcePath = controls_.Text(Control::SourcePathBox);
    request_.outputPath = controls_.Text(Control::OutputPathBox);
    request_.delimiter = controls_.Text(Control::DelimiterBox);
    request_.fieldNumber = ParseFieldNumber(controls_.Text(Control::FieldNumberBox)).value_or(0);
    request_.tokensClause = controls_.Text(Control::TokensClauseBox);
    request_.delimsClause = controls_.Text(Control::DelimsClauseBox);
    request_.inClause = controls_.Text(Control::InClauseBox);
    request_.echoClause = controls_.Text(Control::EchoClauseBox);
}

void ExtractionJob::StartExtraction(LoopReading reading) {
    FillRequest();
    request_.loopInUtf8 = reading == LoopReading::Utf8;

    // A character the script's code page cannot hold would reach the
    // interpreter as some other character: refuse it instead.
    if (auto box = FirstUnencodableBox(controls_, system_)) {
        controls_.ShowNotice(kUnencodableNotice, kRefusalTitle);
        controls_.SetFocus(*box);
        return;
    }

    const std::string scriptPath = system_.ScriptPath();
    std::string reason;
    if (!WriteScriptFile(system_, ComposeScriptLine(request_), reason)) {
        controls_.ShowNotice("无法写入脚本文件" + scriptPath + "：" + reason, kFailureTitle);
        return;
    }
    // The output is made here, empty, and the interpreter appends to it: so
    // the file the run writes is known for certain, and one that takes its
    // place meanwhile is told from it.
    if (!system_.CreateEmptyFile(request_.outputPath, reason)) {
        system_.DeleteFile(scriptPath);
        controls_.ShowNotice("无法创建输出文件：" + reason, kFailureTitle);
        return;
    }
    outputAtStart_ = system_.RegularFileIdentity(request_.outputPath);
    sourceAtStart_ = system_.RegularFileIdentity(request_.sourcePath);
    if (!system_.StartInterpreter(scriptPath, reason)) {
        system_.DeleteFile(scriptPath);
        system_.DeleteFile(request_.outputPath);
        controls_.ShowNotice("无法启动命令解释器：" + reason, kFailureTitle);
        return;
    }
    system_.SetRunningOutput(request_.outputPath);

    controls_.SetCompletionTimerRunning(true);
    controls_.SetMousePointer(MousePointer::Hourglass);
    for (Control control : kInputControls) controls_.SetEnabled(control, false);
    controls_.SetVisible(Control::ProgressLabel, true);
}

bool ExtractionJob::InterpreterStillRunning() {
    // Any cmd.exe on the machine holds the run open.
    if (IsProcessRunning(system_, kInterpreterProcessName)) return true;
    // The process list may not be had (a broken management service); the
    // interpreter we started can still tell whether it is done.
    return system_.StartedInterpreterState() == InterpreterState::Running;
}

void ExtractionJob::CompletionTick() {
    if (completing_ || !controls_.CompletionTimerRunning()) return;
    if (InterpreterStillRunning()) return;
    completing_ = true;
    Complete();
    completing_ = false;
}

std::optional<FileIdentity> ExtractionJob::OurOutput() {
    const std::optional<FileIdentity> now = system_.RegularFileIdentity(request_.outputPath);
    if (!now || (outputAtStart_ && !now->SameFileAs(*outputAtStart_))) return std::nullopt;
    return now;
}

void ExtractionJob::Complete() {
    controls_.SetMousePointer(MousePointer::Default);
    system_.SetRunningOutput("");
    // A script that is already gone or locked does not change the verdict;
    // the next start overwrites it.
    system_.DeleteFile(system_.ScriptPath());
    const Verdict verdict = Judge();
    if (verdict.succeeded) {
        controls_.SetText(Control::ProgressLabel, kDoneCaption);
        controls_.ShowNotice(verdict.text, kSuccessTitle);
    } else {
        controls_.ShowNotice(
            verdict.text.empty() ? kFailurePrompt : kFailurePrompt + ("\n" + verdict.text),
            kFailureTitle);
    }
    ReturnToIdle();
}

ExtractionJob::Verdict ExtractionJob::Judge() {
    // Only the file made at Start is the run's output: one that took its
    // place meanwhile is someone else's and stays.
    const std::optional<FileIdentity> output = OurOutput();
    if (!output) return {false, "原因：输出文件在提取过程中被移走或替换了。"};
    // From here on a failure removes the output, empty or partial: it is no
    // result, and left behind it would block the retry.
    const auto failWith = [&](std::string reason) {
        system_.DeleteFile(request_.outputPath);
        return Verdict{false, std::move(reason)};
    };
    const bool empty = output->size == 0;
    switch (system_.StartedInterpreterState()) {
        case InterpreterState::EndedNormally:
            break;
        case InterpreterState::Stopped:
            return failWith("原因：命令解释器在提取完成之前被终止了。");
        case InterpreterState::EndedAbnormally:
            // Nothing is certain of a partial output: a source it could
            // not read, a kill from outside with an error code.
            return failWith(empty ? "原因：命令解释器报告了错误，没有写出任何值。" : "");
        default:
            return failWith("");
    }

    // The survey reads the source as the interpreter read it: up to the size
    // it had at Start (our stand-in reads no further; what cmd.exe does with
    // a source that grows while it reads is not documented). A source
    // replaced or cut meanwhile cannot be counted against.
    const std::optional<FileIdentity> sourceNow = system_.RegularFileIdentity(request_.sourcePath);
    const bool sourceChanged =
        sourceNow && sourceAtStart_ &&
        (!sourceNow->SameFileAs(*sourceAtStart_) ||
         (sourceAtStart_->sizeTold && sourceNow->size < sourceAtStart_->size));
    std::optional<SourceSurvey> survey;
    if (!sourceChanged) {
        const bool sizeTold = sourceAtStart_ && sourceAtStart_->sizeTold;
        survey = SurveySource(system_, request_,
                              sizeTold ? std::optional(sourceAtStart_->size) : std::nullopt);
    }
    if (empty) {
        // The loop went through the whole source and wrote nothing: said
        // only when the survey confirms it.
        if (survey && survey->Values() == 0)
            return failWith("原因：源文件中没有一行含有第 " +
                            FieldNumberText(request_.fieldNumber) + " 段。");
        return failWith(survey ? FewerValuesReason(0, survey->Values()) : "");
    }
    // An interpreter that stopped early (ended from outside with code 0, a
    // line it could not read) leaves fewer values than the source gives.
    // More is no failure: Wine's cmd.exe runs `echo(` for lines without the
    // field too.
    if (survey) {
        const std::optional<std::uint64_t> written = CountOutputValues(
            system_, request_.outputPath, system_.InterpreterSourceReading().echoWritesParenthesis);
        if (written && *written < survey->Values())
            return failWith(FewerValuesReason(*written, survey->Values()));
    }
    return {true, SuccessPrompt(survey, request_.fieldNumber, sourceChanged)};
}

void ExtractionJob::AbandonRun() {
    if (!controls_.CompletionTimerRunning()) return;
    system_.StopInterpreter();
    system_.SetRunningOutput("");
    if (OurOutput()) system_.DeleteFile(request_.outputPath);
    system_.DeleteFile(system_.ScriptPath());
    controls_.SetCompletionTimerRunning(false);
}

void ExtractionJob::ReturnToIdle() {
    controls_.SetCompletionTimerRunning(false);
    controls_.SetText(Control::ProgressLabel, kProgressCaption);
    controls_.SetVisible(Control::ProgressLabel, false);
    for (Control control : kInputControls) controls_.SetEnabled(control, true);
    for (Control box : {Control::SourcePathBox, Control::OutputPathBox, Control::DelimiterBox,
                        Control::FieldNumberBox}) {
        controls_.SetText(box, "");
    }
    controls_.SetFocus(Control::SourcePathBox);
}

}  // namespace morvane
