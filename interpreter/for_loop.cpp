#include "interpreter/for_loop.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "common/split/bitmask_splitter.h"
#include "common/split/line_ends.h"
#include "common/split/line_splitter.h"
#include "interpreter/encoding.h"
#include "interpreter/line_values.h"
#include "interpreter/output_file.h"
#include "interpreter/source_file.h"
#include "interpreter/source_window.h"
#include "interpreter/split_rules.h"

namespace morvane::interp {

namespace {

// A loop's delimiters, end-of-line character and echo text, put into the
// source's encoding.
struct LoopSetup {
    SplitRules rules;
    std::vector<EchoPiece> pieces;  // literal text already in the source's encoding
    std::string lineBreak;
};

// Answers nothing, and says why, when a character has no equivalent in
// `encoding` (the script is GB18030, so it can name characters that a code
// page 936 source cannot hold).
std::optional<LoopSetup> SetUpLoop(const ForCommand& command, Encoding encoding,
                                   std::string& error) {
    const std::string in = std::string(" cannot be written in ") + EncodingName(encoding);
    LoopSetup setup;
    setup.rules.encoding = encoding;
    setup.rules.plan = command.options.tokens;
    for (const std::string& delimiter : command.options.delimiters) {
        auto encoded = EncodeUtf8Text(delimiter, encoding);
        if (!encoded) {
            error = "the delimiter \"" + delimiter + "\"" + in;
            return std::nullopt;
        }
        setup.rules.delimiters.push_back(std::move(*encoded));
    }
    if (command.options.eol) {
        setup.rules.eol = EncodeUtf8Text(*command.options.eol, encoding);
        if (!setup.rules.eol) {
            error = "the end-of-line character" + in;
            return std::nullopt;
        }
    }
    setup.pieces =
        CompileEchoText(command.body.text, command.variable, setup.rules.plan.VariableCount());
    for (EchoPiece& piece : setup.pieces) {
        if (piece.variable >= 0) continue;
        auto encoded = EncodeUtf8Text(piece.literal, encoding);
        if (!encoded) {
            error = "the echo text" + in;
            return std::nullopt;
        }
        piece.literal = std::move(*encoded);
    }
    setup.lineBreak = std::string(LineBreak(encoding));
    return setup;
}

// The loop's state while it walks through the source. Positions are file
// offsets; the window holds the bytes from lineStart_ on.
class ForLoopRun {
  public:
    ForLoopRun(const ForCommand& command, const RunContext& context, SourceFile source,
               std::unique_ptr<OutputFile> output)
        : command_(command),
          context_(context),
          window_(std::move(source), context.readBufferSize, command.source, context.stopRequested),
          output_(std::move(output)) {}

    bool Run();

  private:
    enum class LineState { Fresh, Splitting, Skipping };

    bool Prepare();
    bool Walk();
    bool SplitCompleteLines();
    bool SplitLinesByBitmask();
    bool LineFeedArrived() const;
    std::uint64_t FindLineFeed();
    void StartLine(std::uint64_t at);
    void FeedPart(std::uint64_t from, std::uint64_t to);
    bool FinishLine(std::uint64_t from, std::uint64_t to);
    bool FinishLastLine();
    bool MakeRoom();
    bool Echo(const LineValues& values);
    bool AppendValue(ByteRange range) {
        if (window_.Holds(range)) return output_->Append(window_.Text(range));
        return AppendValueReadAgain(range);
    }
    bool AppendValueReadAgain(ByteRange range);
    bool Fail(const std::string& message);

    const ForCommand& command_;
    const RunContext& context_;
    SourceWindow window_;

    Encoding encoding_ = Encoding::Utf8;
    split::Characters characters_;
    std::size_t unit_ = 1;
    std::uint64_t lineStart_ = 0;
    std::uint64_t scanFrom_ = 0;  // where the search for the next line feed goes on
    std::uint64_t lineNumber_ = 0;
    LineState lineState_ = LineState::Fresh;
    std::unique_ptr<LineValues> values_;  // what the splitters fill
    std::unique_ptr<split::LineSplitter<LineValues>> lineSplitter_;
    std::unique_ptr<split::BitmaskSplitter> bitmaskSplitter_;
    std::vector<EchoPiece> pieces_;
    std::string lineBreak_;
    std::unique_ptr<OutputFile> output_;
};

bool ForLoopRun::Fail(const std::string& message) {
    context_.report(message);
    if (output_) output_->Discard();
    return false;
}

bool ForLoopRun::Prepare() {
    if (!window_.FillUp()) return Fail(window_.Error());
    const auto mark = DetectByteOrderMark(window_.Held());
    std::string byteOrderMark;
    if (mark) {
        encoding_ = mark->encoding;
        lineStart_ = scanFrom_ = mark->length;
        byteOrderMark = std::string(ByteOrderMarkBytes(encoding_));
    } else if (EncodingMatters(command_.options.delimiters, command_.options.eol,
                               command_.body.text)) {
        const auto chosen = ChooseEncodingFromContent(window_.File(), window_.Held().data(),
                                                      window_.Held().size(), window_.AtEnd());
        if (!chosen) {
            return Fail("cannot read the source file \"" + command_.source +
                        "\": " + window_.File().Error());
        }
        encoding_ = *chosen;
    }
    characters_ = split::CharactersOf(encoding_);
    unit_ = characters_.UnitSize();

    std::string error;
    auto setup = SetUpLoop(command_, encoding_, error);
    if (!setup) return Fail(error);
    const split::SplitRules rules = setup->rules.ForSplitter();
    values_ = std::make_unique<LineValues>(setup->rules.plan);
    lineSplitter_ = std::make_unique<split::LineSplitter<LineValues>>(rules, *values_);
    if (split::BitmaskSplitter::Handles(rules)) {
        bitmaskSplitter_ = std::make_unique<split::BitmaskSplitter>(rules);
    }
    pieces_ = std::move(setup->pieces);
    lineBreak_ = std::move(setup->lineBreak);

    output_->SetByteOrderMark(std::move(byteOrderMark));
    return true;
}

bool ForLoopRun::Run() {
    if (!Prepare() || !Walk()) return false;
    if (!output_->Finish()) return Fail(output_->Error());
    return true;
}

bool ForLoopRun::Walk() {
    while (true) {
        if (!SplitCompleteLines()) return false;
        if (window_.AtEnd()) return FinishLastLine();
        if (!MakeRoom()) return false;
        if (!window_.ReadMore()) return Fail(window_.Error());
    }
}

// Where the loop chooses its splitter, for the complete lines the window
// holds. BitmaskSplitter takes all of them at once when the rules suit it
// (BitmaskSplitter::Handles: a UTF-8 or GBK source, delimiters of one byte
// that is never part of a multi-byte character, an end-of-line character of
// one byte or none), the lines to skip are behind, no line is half split
// (the start of a line longer than the window went to LineSplitter), and a
// line feed has come, so that a long line arriving in pieces is not
// classified again at every read. LineSplitter takes every other line, one
// at a time: UTF-16 sources, characters of several bytes as delimiters, the
// lines around those skipped, and lines longer than the window. Both give
// the same values; the first is there for speed (README.md, "Speed").
bool ForLoopRun::SplitCompleteLines() {
    while (true) {
        if (bitmaskSplitter_ && lineState_ == LineState::Fresh &&
            lineNumber_ >= command_.options.skip && LineFeedArrived() && !SplitLinesByBitmask()) {
            return false;
        }
        const std::uint64_t lineFeed = FindLineFeed();
        if (lineFeed == window_.End()) return true;
        std::uint64_t contentEnd = lineFeed;
        if (split::EndsWithCarriageReturn(characters_, window_.At(lineStart_),
                                          window_.At(contentEnd)))
            contentEnd -= unit_;
        if (!FinishLine(lineStart_, contentEnd)) return false;
        lineStart_ = scanFrom_ = lineFeed + unit_;
    }
}

bool ForLoopRun::SplitLinesByBitmask() {
    const auto progress = bitmaskSplitter_->SplitLines(
        window_.At(lineStart_), static_cast<std::size_t>(window_.End() - lineStart_), lineStart_,
        *values_, [&] { return !values_->Runs() || Echo(*values_); });
    if (progress.stopped) return false;
    lineNumber_ += progress.lines;
    lineStart_ += progress.consumed;
    scanFrom_ = window_.End();  // no line feed is left after the last complete line
    return true;
}

// Whether the bytes not yet searched for a line end, [scanFrom_, End()), hold
// a line feed byte.
bool ForLoopRun::LineFeedArrived() const {
    return std::memchr(window_.At(scanFrom_), '\n',
                       static_cast<std::size_t>(window_.End() - scanFrom_)) != nullptr;
}

// The offset of the next line feed at or after scanFrom_, or End() when the
// window holds none (scanFrom_ then marks where to look on).
std::uint64_t ForLoopRun::FindLineFeed() {
    const std::uint64_t end = window_.End();
    // UTF-16 code units sit at even file offsets.
    const std::uint64_t from = std::min(scanFrom_ + (scanFrom_ & (unit_ - 1)), end);
    const unsigned char* hit = split::FindLineFeed(characters_, window_.At(from), window_.At(end));
    const std::uint64_t at = from + static_cast<std::uint64_t>(hit - window_.At(from));
    if (at < end) return at;
    scanFrom_ = end - (end - from) % unit_;  // a unit cut off at the end is looked at again
    return end;
}

void ForLoopRun::StartLine(std::uint64_t at) {
    ++lineNumber_;
    if (lineNumber_ <= command_.options.skip) {
        lineState_ = LineState::Skipping;
    } else {
        lineSplitter_->Start(at);
        lineState_ = LineState::Splitting;
    }
}

// Hands LineSplitter part of a line too long for the window; lineStart_
// moves past what it took.
void ForLoopRun::FeedPart(std::uint64_t from, std::uint64_t to) {
    if (lineState_ == LineState::Fresh) StartLine(from);
    auto taken = static_cast<std::size_t>(to - from);
    if (lineState_ == LineState::Splitting) {
        taken = lineSplitter_->Feed(window_.At(from), taken, false);
    }
    lineStart_ = from + taken;
}

bool ForLoopRun::FinishLine(std::uint64_t from, std::uint64_t to) {
    if (lineState_ == LineState::Fresh) StartLine(from);
    const bool split = lineState_ == LineState::Splitting;
    lineState_ = LineState::Fresh;
    if (!split) return true;
    lineSplitter_->Feed(window_.At(from), static_cast<std::size_t>(to - from), true);
    return !values_->Runs() || Echo(*values_);
}

// A last line without a line feed; a CR at its end is data. A UTF-16 file of
// odd length ends in half a code unit, which is no character: it is left out.
bool ForLoopRun::FinishLastLine() {
    std::uint64_t end = window_.End();
    if (unit_ == 2 && (end & 1)) --end;
    if (lineStart_ < end || lineState_ != LineState::Fresh) return FinishLine(lineStart_, end);
    return true;
}

// Makes room at the end of the window: the lines done with leave it. A line
// longer than the window is split as far as it has come when its values can
// be read again later, else the window grows to hold it whole.
bool ForLoopRun::MakeRoom() {
    window_.DropBefore(lineStart_);
    if (!window_.Full()) return true;
    if (window_.Rereadable()) {
        // Kept back: a unit that may be the CR of a CR LF.
        std::uint64_t to = window_.End() - unit_;
        if (unit_ == 2 && (to & 1)) --to;
        FeedPart(lineStart_, to);
        window_.DropBefore(lineStart_);
        if (!window_.Full()) return true;
    }
    return window_.Grow() || Fail(window_.Error());
}

// Inline: the bitmask splitter calls it for nearly every line.
inline bool ForLoopRun::Echo(const LineValues& values) {
    bool ok = output_->BeginRecord();
    for (const EchoPiece& piece : pieces_) {
        if (!ok) break;
        ok = piece.variable >= 0 ? AppendValue(values.Value(piece.variable))
                                 : output_->Append(piece.literal);
    }
    ok = ok && output_->Append(lineBreak_);
    if (!ok && !output_->Error().empty()) return Fail(output_->Error());
    return ok;
}

// Part of the value has left the window (a line longer than it): it is read
// again from the file.
bool ForLoopRun::AppendValueReadAgain(ByteRange range) {
    for (std::uint64_t at = range.begin; at < range.end;) {
        const auto piece = window_.ReadAgain(at, range.end - at);
        if (!piece) return Fail(window_.Error());
        if (!output_->Append(*piece)) return false;
        at += piece->size();
    }
    return true;
}

}  // namespace

bool RunForLoop(const ForCommand& command, const RunContext& context) {
    auto output = command.body.redirect == Redirect::None
                      ? std::make_unique<OutputFile>(context.standardOutput)
                      : std::make_unique<OutputFile>(command.body.target, command.body.redirect,
                                                     context.createdFiles);
    // A redirection around a block opens its target before the loop reads
    // anything, so the target is there even when no line gives a value.
    if (command.inBlock && !output->OpenNow()) {
        context.report(output->Error());
        return false;
    }
    std::string error;
    auto source = SourceFile::Open(command.source, error);
    if (!source) {
        context.report(error);
        output->Discard();
        return false;
    }
    ForLoopRun run(command, context, std::move(*source), std::move(output));
    return run.Run();
}

}  // namespace morvane::interp
