#include "extraction/extraction_job.h"

#include "extraction/interpreter_gate.h"
#include "extraction/request_validation.h"
#include "extraction/script_file.h"
#include "extraction/source_encoding_check.h"
#include "extraction/source_survey.h"

namespace morvane {

namespace {

// A count as the notices show it, thousands separated: "1,234,567".
std::string CountText(std::uint64_t count) {
    std::string digits = std::to_string(count);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

// The success notice: "提取完成", and when lines with data gave no value or a
// later field's, what the source held and what became of it.
std::string SuccessPrompt(const std::optional<SourceSurvey>& survey, int field) {
    std::string prompt = "提取完成";
    // A survey that found no value at all disagrees with the output: the
    // source changed since the run.
    if (!survey || survey->Values() == 0 ||
        (survey->linesWithoutField == 0 && survey->linesWithEmptyFieldBefore == 0 &&
         survey->linesWithQuotedFieldCut == 0))
        return prompt;
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
    return prompt;
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
    controls_.ShowNotice(kUtf16SourceNotice, "提示！");
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
        controls_.ShowNotice(kUnencodableNotice, "提示！");
        controls_.SetFocus(*box);
        return;
    }

    const std::string scriptPath = system_.ScriptPath();
    std::string reason;
    if (!WriteScriptFile(system_, ComposeScriptLine(request_), reason)) {
        controls_.ShowNotice("无法写入脚本文件" + scriptPath + "：" + reason, "失败");
        return;
    }
    if (!system_.StartInterpreter(scriptPath, reason)) {
        system_.DeleteFile(scriptPath);
        controls_.ShowNotice("无法启动命令解释器：" + reason, "失败");
        return;
    }

    controls_.SetCompletionTimerRunning(true);
    controls_.SetMousePointer(MousePointer::Hourglass);
    for (Control control : kInputControls) controls_.SetEnabled(control, false);
    controls_.SetVisible(Control::ProgressLabel, true);
}

bool ExtractionJob::InterpreterStillRunning() {
    // Any cmd.exe on the machine holds the run open.
    if (IsProcessRunning(system_, "cmd.exe")) return true;
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

void ExtractionJob::Complete() {
    controls_.SetMousePointer(MousePointer::Default);
    // A script that is already gone or locked does not change the verdict;
    // the next start overwrites it.
    system_.DeleteFile(system_.ScriptPath());

    // An output is only a result when the interpreter got to the end: one
    // that was killed or failed leaves a partial file. The output counts
    // whatever its attributes (a dot-named file is still the one asked for),
    // but only as a regular file at exactly that path, and only with a value
    // in it: the interpreter creates the file when the loop starts, so a
    // loop that found no value leaves it empty.
    const std::string output = controls_.Text(Control::OutputPathBox);
    const InterpreterState state = system_.StartedInterpreterState();
    const std::optional<std::uint64_t> outputSize = system_.RegularFileSize(output);
    if (state != InterpreterState::EndedNormally || outputSize.value_or(0) == 0) {
        // Nothing was at the output path when the run started, so a file
        // there now is this run's: an empty or partial one is not a result,
        // and left behind it would block the retry.
        if (outputSize) system_.DeleteFile(output);
        std::string prompt = "对不起,因为某些原因本次数据提取失败！请正确填写信息后，再试一次！";
        const std::string reason = WhyTheRunFailed(state, outputSize.has_value());
        if (!reason.empty()) prompt += "\n" + reason;
        controls_.ShowNotice(prompt, "失败");
    } else {
        // The interpreter drops empty fields and lines without the field
        // silently; the source, read once more, tells how many there were.
        const std::string prompt =
            SuccessPrompt(SurveySource(system_, request_), request_.fieldNumber);
        controls_.SetText(Control::ProgressLabel, kDoneCaption);
        controls_.ShowNotice(prompt, "成功");
    }
    ReturnToIdle();
}

std::string ExtractionJob::WhyTheRunFailed(InterpreterState state, bool outputWasMade) const {
    switch (state) {
        case InterpreterState::EndedNormally:
            // The loop went through the whole source and wrote nothing.
            return "原因：源文件中没有一行含有第 " + FieldNumberText(request_.fieldNumber) +
                   " 段。";
        case InterpreterState::Stopped:
            return "原因：命令解释器在提取完成之前被终止了。";
        case InterpreterState::EndedAbnormally:
            // The output is created before the loop reads anything; an
            // interpreter that failed without it could not create it. With
            // it, the failure could be a source it could not read or a kill
            // from outside: nothing certain to say.
            if (!outputWasMade) return "原因：命令解释器无法创建输出文件。";
            return "";
        default:
            return "";
    }
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
