#include "interpreter/for_loop.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "interpreter/bitmask_splitter.h"
#include "interpreter/encoding.h"
#include "interpreter/line_splitter.h"
#include "interpreter/output_file.h"
#include "interpreter/source_file.h"

namespace morvane::interp {

namespace {

constexpr std::size_t kMinimumBuffer = 16;

// A source that cannot be read twice (a pipe, a device) keeps its current
// line whole in the buffer; an endless line (/dev/zero) stops here instead
// of taking all memory.
constexpr std::size_t kMaxHeldLine = std::size_t{1} << 30;

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

// The loop's state while it walks through the source. The buffer holds a
// window of the file: [0, filled_) is the bytes of file offsets
// [base_, base_ + filled_).
class ForLoopRun {
  public:
    ForLoopRun(const ForCommand& command, const RunContext& context, SourceFile source,
               std::unique_ptr<OutputFile> output)
        : command_(command),
          context_(context),
          source_(std::move(source)),
          buffer_(std::max(context.readBufferSize, kMinimumBuffer)),
          output_(std::move(output)) {}

    bool Run();

  private:
    enum class LineState { Fresh, Splitting, Skipping };

    bool FillHead();
    bool Prepare();
    bool ReadMore();
    bool Walk();
    bool LineFeedArrived() const;
    std::size_t FindLineFeed();
    bool EndsWithCarriageReturn(std::size_t from, std::size_t to) const;
    void StartLine(std::size_t at);
    bool FeedPart(std::size_t from, std::size_t to);
    bool FinishLine(std::size_t from, std::size_t to);
    bool SplitCompleteLines();
    bool Echo(const LineValues& values);
    bool AppendValue(ByteRange range);
    bool Fail(const std::string& message);
    void Compact();

    const ForCommand& command_;
    const RunContext& context_;
    SourceFile source_;
    std::vector<unsigned char> buffer_;
    std::size_t filled_ = 0;
    std::uint64_t base_ = 0;
    bool atEnd_ = false;

    Encoding encoding_ = Encoding::Utf8;
    std::size_t unit_ = 1;
    std::size_t lineStart_ = 0;
    std::size_t scanFrom_ = 0;
    std::uint64_t lineNumber_ = 0;
    LineState lineState_ = LineState::Fresh;
    std::unique_ptr<LineSplitter> splitter_;
    std::unique_ptr<BitmaskSplitter> fastSplitter_;
    std::vector<EchoPiece> pieces_;
    std::string lineBreak_;
    std::unique_ptr<OutputFile> output_;
    std::vector<unsigned char> copyBuffer_;
};

bool ForLoopRun::Fail(const std::string& message) {
    context_.report(message);
    if (output_) output_->Discard();
    return false;
}

bool ForLoopRun::ReadMore() {
    ssize_t got = 0;
    do {
        if (context_.stopRequested && *context_.stopRequested)
            return Fail("stopped before the end of the source; what was written is taken back");
        got = source_.Read(buffer_.data() + filled_, buffer_.size() - filled_);
    } while (got < 0 && source_.Interrupted());
    if (got < 0)
        return Fail("cannot read the source file \"" + command_.source + "\": " + source_.Error());
    if (got == 0) atEnd_ = true;
    filled_ += static_cast<std::size_t>(got);
    return true;
}

// Reads until the buffer is full or the file ends, so the byte-order mark and
// the encoding can be judged from a good stretch of the file.
bool ForLoopRun::FillHead() {
    while (!atEnd_ && filled_ < buffer_.size()) {
        if (!ReadMore()) return false;
    }
    return true;
}

bool ForLoopRun::Prepare() {
    const auto mark = DetectByteOrderMark({buffer_.data(), filled_});
    std::string byteOrderMark;
    if (mark) {
        encoding_ = mark->encoding;
        lineStart_ = scanFrom_ = mark->length;
        byteOrderMark = std::string(ByteOrderMarkBytes(encoding_));
    } else if (EncodingMatters(command_.options.delimiters, command_.options.eol,
                               command_.body.text)) {
        const auto chosen = ChooseEncodingFromContent(source_, buffer_.data(), filled_, atEnd_);
        if (!chosen) {
            return Fail("cannot read the source file \"" + command_.source +
                        "\": " + source_.Error());
        }
        encoding_ = *chosen;
    }
    unit_ = UnitSize(encoding_);

    std::string error;
    auto setup = SetUpLoop(command_, encoding_, error);
    if (!setup) return Fail(error);
    splitter_ = std::make_unique<LineSplitter>(setup->rules);
    if (BitmaskSplitter::Handles(setup->rules)) {
        fastSplitter_ = std::make_unique<BitmaskSplitter>(setup->rules);
    }
    pieces_ = std::move(setup->pieces);
    lineBreak_ = std::move(setup->lineBreak);

    output_->SetByteOrderMark(std::move(byteOrderMark));
    return true;
}

bool ForLoopRun::Run() {
    if (!FillHead() || !Prepare() || !Walk()) return false;
    if (!output_->Finish()) return Fail(output_->Error());
    return true;
}

// Whether the bytes not yet searched for a line end, [scanFrom_, filled_),
// hold a line feed byte.
bool ForLoopRun::LineFeedArrived() const {
    return std::memchr(buffer_.data() + scanFrom_, '\n', filled_ - scanFrom_) != nullptr;
}

// The index of the next line feed at or after scanFrom_, or filled_ when the
// buffer holds none (scanFrom_ then marks where to look on).
std::size_t ForLoopRun::FindLineFeed() {
    if (unit_ == 1) {
        const void* hit = std::memchr(buffer_.data() + scanFrom_, '\n', filled_ - scanFrom_);
        if (hit)
            return static_cast<std::size_t>(static_cast<const unsigned char*>(hit) -
                                            buffer_.data());
        scanFrom_ = filled_;
        return filled_;
    }
    // UTF-16: whole code units only; the units sit at even file offsets.
    std::size_t at = scanFrom_ + ((base_ + scanFrom_) & 1);
    for (; at + 2 <= filled_; at += 2) {
        if (Utf16UnitAt(buffer_.data() + at, encoding_) == '\n') return at;
    }
    scanFrom_ = std::min(at, filled_);
    return filled_;
}

bool ForLoopRun::EndsWithCarriageReturn(std::size_t from, std::size_t to) const {
    if (to - from < unit_) return false;
    if (unit_ == 1) return buffer_[to - 1] == '\r';
    return Utf16UnitAt(buffer_.data() + to - 2, encoding_) == '\r';
}

void ForLoopRun::StartLine(std::size_t at) {
    ++lineNumber_;
    if (lineNumber_ <= command_.options.skip) {
        lineState_ = LineState::Skipping;
    } else {
        splitter_->Start(base_ + at);
        lineState_ = LineState::Splitting;
    }
}

// Hands the splitter part of a line too long for the buffer; answers false
// when nothing could be taken.
bool ForLoopRun::FeedPart(std::size_t from, std::size_t to) {
    if (lineState_ == LineState::Fresh) StartLine(from);
    std::size_t taken = to - from;
    if (lineState_ == LineState::Splitting) {
        taken = splitter_->Feed(buffer_.data() + from, to - from, false);
    }
    lineStart_ = from + taken;
    return taken > 0;
}

bool ForLoopRun::FinishLine(std::size_t from, std::size_t to) {
    if (lineState_ == LineState::Fresh) StartLine(from);
    const bool split = lineState_ == LineState::Splitting;
    lineState_ = LineState::Fresh;
    if (!split) return true;
    splitter_->Feed(buffer_.data() + from, to - from, true);
    const LineValues& values = splitter_->Values();
    return !values.Runs() || Echo(values);
}

void ForLoopRun::Compact() {
    if (lineStart_ == 0) return;
    std::memmove(buffer_.data(), buffer_.data() + lineStart_, filled_ - lineStart_);
    base_ += lineStart_;
    filled_ -= lineStart_;
    scanFrom_ -= lineStart_;
    lineStart_ = 0;
}

// The fast path: every complete line in the buffer at once.
bool ForLoopRun::SplitCompleteLines() {
    const auto progress = fastSplitter_->SplitLines(
        buffer_.data() + lineStart_, filled_ - lineStart_, base_ + lineStart_,
        [&](const LineValues& values) { return Echo(values); });
    if (progress.stopped) return false;
    lineNumber_ += progress.lines;
    lineStart_ += progress.consumed;
    scanFrom_ = filled_;  // no line feed is left after the last complete line
    return true;
}

bool ForLoopRun::Walk() {
    while (true) {
        // The fast splitter works on whole lines; while a long line arrives
        // in pieces, it is run only once a line feed has come, so each byte
        // is looked at a bounded number of times.
        if (fastSplitter_ && lineState_ == LineState::Fresh &&
            lineNumber_ >= command_.options.skip && LineFeedArrived() && !SplitCompleteLines()) {
            return false;
        }
        const std::size_t lineFeed = FindLineFeed();
        if (lineFeed < filled_) {
            std::size_t contentEnd = lineFeed;
            if (EndsWithCarriageReturn(lineStart_, contentEnd)) contentEnd -= unit_;
            if (!FinishLine(lineStart_, contentEnd)) return false;
            lineStart_ = scanFrom_ = lineFeed + unit_;
            continue;
        }
        if (atEnd_) {
            // A last line without a line feed; a CR at its end is data. A
            // UTF-16 file of odd length ends in half a code unit, which is
            // no character: it is left out.
            std::size_t end = filled_;
            if (unit_ == 2 && ((base_ + end) & 1)) --end;
            if (lineStart_ < end || lineState_ != LineState::Fresh) {
                if (!FinishLine(lineStart_, end)) return false;
            }
            return true;
        }
        Compact();
        if (filled_ == buffer_.size()) {
            if (source_.Seekable()) {
                // A line longer than the buffer: split what is here, keeping
                // back a unit that may be the CR of a CR LF, and move on.
                std::size_t to = filled_ - unit_;
                if (unit_ == 2 && ((base_ + to) & 1)) --to;
                FeedPart(0, to);
                Compact();
            }
            if (filled_ == buffer_.size()) {
                if (buffer_.size() >= kMaxHeldLine) {
                    return Fail("a line of the source \"" + command_.source +
                                "\" is longer than 1 GiB, more than a source that cannot be "
                                "read twice (a pipe or device) may have");
                }
                try {
                    buffer_.resize(std::min(buffer_.size() * 2, kMaxHeldLine));
                } catch (const std::bad_alloc&) {
                    return Fail("not enough memory to hold a line of the source \"" +
                                command_.source + "\"");
                }
            }
        }
        if (!ReadMore()) return false;
    }
}

bool ForLoopRun::AppendValue(ByteRange range) {
    if (range.begin >= base_ && range.end <= base_ + filled_) {
        const auto* start = reinterpret_cast<const char*>(buffer_.data() + (range.begin - base_));
        return output_->Append({start, static_cast<std::size_t>(range.Size())});
    }
    // Part of the value has left the buffer (a very long line): read it again.
    if (copyBuffer_.empty()) copyBuffer_.resize(64 * 1024);
    for (std::uint64_t at = range.begin; at < range.end;) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(copyBuffer_.size(), range.end - at));
        const ssize_t got = source_.ReadAt(at, copyBuffer_.data(), want);
        if (got <= 0) {
            return Fail("cannot read the source file \"" + command_.source + "\" again: " +
                        (got < 0 ? source_.Error() : std::string("it became shorter")));
        }
        if (!output_->Append({reinterpret_cast<const char*>(copyBuffer_.data()),
                              static_cast<std::size_t>(got)})) {
            return false;
        }
        at += static_cast<std::uint64_t>(got);
    }
    return true;
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
