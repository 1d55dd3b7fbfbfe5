#include "tests/interpreter/fuzz/split_invariant.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/posix/iconv_converter.h"
#include "common/split/bitmask_splitter.h"
#include "common/split/line_splitter.h"
#include "interpreter/script_line.h"
#include "interpreter/script_runner.h"

namespace morvane::interp::testing {

namespace {

bool IsUtf16(Encoding encoding) {
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
}

// Length of the character at `at`, and whether it is a complete, valid one.
std::size_t CharLength(std::string_view file, std::size_t at, std::size_t end, Encoding encoding,
                       bool* valid = nullptr) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(file[i]); };
    if (valid) *valid = true;
    switch (encoding) {
        case Encoding::Gbk:
            if (byte(at) >= 0x81 && byte(at) <= 0xFE && at + 1 < end && byte(at + 1) >= 0x40 &&
                byte(at + 1) <= 0xFE && byte(at + 1) != 0x7F) {
                return 2;
            }
            return 1;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            if (at + 2 > end) return 1;
            const bool big = encoding == Encoding::Utf16Be;
            const auto unit = [&](std::size_t i) {
                return big ? byte(i) << 8 | byte(i + 1) : byte(i + 1) << 8 | byte(i);
            };
            if (unit(at) >= 0xD800 && unit(at) <= 0xDBFF && at + 4 <= end &&
                unit(at + 2) >= 0xDC00 && unit(at + 2) <= 0xDFFF) {
                return 4;
            }
            return 2;
        }
        case Encoding::Utf8:
            break;
    }
    // UTF-8 by its definition, not by the table of byte ranges the program
    // checks with: the lead byte tells the length, the bytes after it are
    // 10xxxxxx, and the value must need that length, be no surrogate and be
    // at most U+10FFFF.
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    std::size_t expected = 0;
    while (expected < 8 && (lead << expected & 0x80) != 0) ++expected;
    if (expected < 2 || expected > 4) {
        if (valid) *valid = false;
        return 1;
    }
    std::uint32_t value = lead & (0xFFu >> (expected + 1));
    std::size_t length = 1;
    while (length < expected && at + length < end && (byte(at + length) & 0xC0) == 0x80) {
        value = value << 6 | (byte(at + length) & 0x3Fu);
        ++length;
    }
    constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (valid) {
        *valid =
            length == expected && value >= kSmallest[expected] && !surrogate && value <= 0x10FFFF;
    }
    return length;
}

bool CharIs(std::string_view file, std::size_t at, std::size_t length, const std::string& c) {
    return file.substr(at, length) == c;
}

std::string Describe(const std::optional<ByteRange>& range) {
    if (!range) return "none";
    return "[" + std::to_string(range->begin) + "," + std::to_string(range->end) + ")";
}

std::string DescribeValues(const std::vector<std::optional<ByteRange>>& values) {
    if (values.empty()) return "(not run)";
    std::string text;
    for (const auto& value : values) text += Describe(value) + " ";
    return text;
}

// A splitter's values in the reference's form: nothing where a variable got
// no token, no values at all when the body does not run.
std::vector<std::optional<ByteRange>> ValuesOrNone(const LineValues& line) {
    if (!line.Runs()) return {};
    std::vector<std::optional<ByteRange>> values;
    for (int i = 0; i < line.VariableCount(); ++i) {
        const ByteRange value = line.Value(i);
        values.push_back(value.Size() > 0 ? std::optional<ByteRange>(value) : std::nullopt);
    }
    return values;
}

std::string ReadWholeFile(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Parser mode: any text is parsed without a crash, and what a for line names
// comes from the line itself.
std::string CheckParserOnly(std::string_view line) {
    const ScriptCommand command = ParseScriptLine(line);
    if (const auto* loop = std::get_if<ForCommand>(&command)) {
        // The names come from the line as a batch file reads it: "%%" as "%".
        std::string read(line);
        for (std::size_t at = read.find("%%"); at != std::string::npos;
             at = read.find("%%", at + 1))
            read.erase(at, 1);
        if (read.find(loop->source) == std::string::npos) return "source is not from the line";
        while (!read.empty() && (read.back() == ' ' || read.back() == '\t')) read.pop_back();
        if (!loop->body.target.empty() && !read.ends_with(loop->body.target) &&
            !read.ends_with(loop->body.target + '"')) {
            return "redirection target is not the end of the line";
        }
        if (loop->options.tokens.VariableCount() > kMaxTokenNumber + 1) return "too many variables";
    }
    return "";
}

}  // namespace

Encoding ReferenceEncoding(std::string_view file, std::size_t& markLength) {
    markLength = 0;
    if (file.starts_with("\xEF\xBB\xBF")) {
        markLength = 3;
        return Encoding::Utf8;
    }
    if (file.starts_with("\xFF\xFE")) {
        markLength = 2;
        return Encoding::Utf16Le;
    }
    if (file.starts_with("\xFE\xFF")) {
        markLength = 2;
        return Encoding::Utf16Be;
    }
    bool multibyte = false;
    for (std::size_t at = 0; at < file.size();) {
        bool valid = true;
        const std::size_t length = CharLength(file, at, file.size(), Encoding::Utf8, &valid);
        if (!valid) return Encoding::Gbk;
        multibyte = multibyte || length > 1;
        at += length;
    }
    return multibyte ? Encoding::Utf8 : Encoding::Gbk;
}

std::vector<ByteRange> ReferenceLines(std::string_view file, Encoding encoding,
                                      std::size_t markLength) {
    std::vector<ByteRange> lines;
    const std::size_t unit = IsUtf16(encoding) ? 2 : 1;
    const bool big = encoding == Encoding::Utf16Be;
    const auto isUnit = [&](std::size_t at, char c) {
        if (unit == 1) return file[at] == c;
        return file[at + (big ? 1 : 0)] == c && file[at + (big ? 0 : 1)] == '\0';
    };
    std::size_t start = markLength;
    std::size_t at = markLength;
    for (; at + unit <= file.size(); at += unit) {
        if (!isUnit(at, '\n')) continue;
        std::size_t end = at;
        if (end - start >= unit && isUnit(end - unit, '\r')) end -= unit;
        lines.push_back({start, end});
        start = at + unit;
    }
    // An odd last byte of a UTF-16 file is half a unit, in no line.
    const std::size_t fileEnd = file.size() - (unit == 2 ? file.size() % 2 : 0);
    if (start < fileEnd) lines.push_back({start, fileEnd});
    return lines;
}

std::vector<std::optional<ByteRange>> ReferenceSplit(std::string_view file, ByteRange line,
                                                     const SplitRules& rules) {
    const auto end = static_cast<std::size_t>(line.end);
    auto at = static_cast<std::size_t>(line.begin);
    const auto length = [&](std::size_t p) { return CharLength(file, p, end, rules.encoding); };
    const auto isDelimiter = [&](std::size_t p) {
        const std::size_t n = length(p);
        return std::any_of(rules.delimiters.begin(), rules.delimiters.end(),
                           [&](const std::string& d) { return CharIs(file, p, n, d); });
    };
    // Tokens as ranges, in order.
    while (at < end && isDelimiter(at)) at += length(at);
    if (at >= end) return {};
    if (rules.eol && CharIs(file, at, length(at), *rules.eol)) return {};
    std::vector<ByteRange> tokens;
    while (at < end) {
        const std::size_t start = at;
        while (at < end && !isDelimiter(at)) at += length(at);
        tokens.push_back({start, at});
        while (at < end && isDelimiter(at)) at += length(at);
    }
    const TokenPlan& plan = rules.plan;
    std::vector<std::optional<ByteRange>> values;
    for (int i = 0; i < plan.TokenCount(); ++i) {
        const auto number = static_cast<std::size_t>(plan.TokenOfVariable(i));
        values.push_back(number <= tokens.size() ? std::optional(tokens[number - 1])
                                                 : std::nullopt);
    }
    if (plan.rest) {
        const auto next =
            static_cast<std::size_t>(plan.HighestToken());  // index of the token after
        values.push_back(next < tokens.size()
                             ? std::optional(ByteRange{tokens[next].begin, line.end})
                             : std::nullopt);
    }
    if (values.empty() || !values[0]) return {};
    return values;
}

std::string CompareSplitters(std::string_view file, const SplitRules& rules, std::size_t piece) {
    std::size_t markLength = 0;
    ReferenceEncoding(file, markLength);
    const std::vector<ByteRange> lines = ReferenceLines(file, rules.encoding, markLength);
    const auto* bytes = reinterpret_cast<const unsigned char*>(file.data());
    const split::SplitRules splitRules = rules.ForSplitter();
    LineValues wholeValues(rules.plan);
    LineValues piecesValues(rules.plan);
    split::LineSplitter<LineValues> whole(splitRules, wholeValues);
    split::LineSplitter<LineValues> pieces(splitRules, piecesValues);
    std::vector<std::vector<std::optional<ByteRange>>> expected;
    for (const ByteRange& line : lines) {
        expected.push_back(ReferenceSplit(file, line, rules));
        const std::string where = "line at " + std::to_string(line.begin) + ": expected " +
                                  DescribeValues(expected.back());
        for (const auto& value : expected.back()) {
            if (value && (value->begin < line.begin || value->end > line.end)) {
                return where + " reaches outside its line";
            }
        }

        whole.Start(line.begin);
        if (whole.Feed(bytes + line.begin, static_cast<std::size_t>(line.Size()), true) !=
            line.Size()) {
            return where + ", whole line not consumed";
        }
        if (ValuesOrNone(wholeValues) != expected.back()) {
            return where + ", LineSplitter gave " + DescribeValues(ValuesOrNone(wholeValues));
        }

        // In pieces, handing back what was not consumed as the caller does.
        pieces.Start(line.begin);
        auto at = static_cast<std::size_t>(line.begin);
        const auto end = static_cast<std::size_t>(line.end);
        std::size_t stalls = 0;
        while (true) {
            const std::size_t available = std::min(piece, end - at);
            const bool last = at + available == end;
            const std::size_t taken = pieces.Feed(bytes + at, available, last);
            at += taken;
            if (last && at == end) break;
            if (taken == 0 && ++stalls > 8) piece += 1;  // the caller would read more
        }
        if (ValuesOrNone(piecesValues) != expected.back()) {
            return where + ", LineSplitter in pieces of " + std::to_string(piece) + " gave " +
                   DescribeValues(ValuesOrNone(piecesValues));
        }
    }

    if (split::BitmaskSplitter::Handles(splitRules)) {
        split::BitmaskSplitter fast(splitRules);
        LineValues values(rules.plan);
        std::size_t lineIndex = 0;
        std::string problem;
        const auto start = markLength;
        const auto progress =
            fast.SplitLines(bytes + start, file.size() - start, start, values, [&] {
                if (!values.Runs()) return true;
                // Skip lines the reference does not run the body for.
                while (lineIndex < expected.size() && expected[lineIndex].empty()) ++lineIndex;
                if (lineIndex == expected.size()) {
                    problem = "BitmaskSplitter ran the body for a line the reference skips";
                    return false;
                }
                const std::vector<std::optional<ByteRange>> got = ValuesOrNone(values);
                if (got != expected[lineIndex]) {
                    problem = "line at " + std::to_string(lines[lineIndex].begin) +
                              ": BitmaskSplitter gave " + DescribeValues(got) + ", expected " +
                              DescribeValues(expected[lineIndex]);
                    return false;
                }
                ++lineIndex;
                return true;
            });
        if (!problem.empty()) return problem;
        // Lines it left alone are the unterminated last one at most.
        for (; lineIndex < expected.size(); ++lineIndex) {
            if (!expected[lineIndex].empty() && lines[lineIndex].end < start + progress.consumed) {
                return "BitmaskSplitter missed the line at " +
                       std::to_string(lines[lineIndex].begin);
            }
        }
    }
    return "";
}

std::string CheckFuzzInput(const std::uint8_t* data, std::size_t size,
                           const std::string& workFolder) {
    if (size == 0) return "";
    const std::uint8_t selector = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (selector & 0x80) return CheckParserOnly(rest);

    static constexpr std::size_t kBufferSizes[] = {16, 23, 64, 4096};
    const std::size_t bufferSize = kBufferSizes[selector & 3];
    const std::size_t lineFeed = rest.find('\n');
    if (lineFeed == std::string_view::npos) return "";
    const std::string_view options = rest.substr(0, lineFeed);
    const std::string_view file = rest.substr(lineFeed + 1);
    // A quote would end the options early and let the rest of the line name
    // other files; the parser mode covers such lines.
    if (options.find('"') != std::string_view::npos ||
        options.find('\r') != std::string_view::npos) {
        return "";
    }

    const std::string source = workFolder + "/source.txt";
    const std::string output = workFolder + "/output.txt";
    ::unlink(output.c_str());
    WriteWholeFile(source, file);
    const std::string body = (selector & 4) ? "[%%a/%%b]" : "%%a";
    const std::string script = "for /f \"" + std::string(options) + "\" %%a in (" + source +
                               ") do @echo " + body + ">>" + output + "\r\n";

    RunContext context;
    context.readBufferSize = bufferSize;
    const bool ran = RunScriptText(script, context);
    bool outputExists = false;
    const std::string written = ReadWholeFile(output, outputExists);

    // What the output must be, worked out with the reference.
    const auto line = posix::Gb18030ToUtf8(script.substr(0, script.size() - 2));
    const ScriptCommand command = line ? ParseScriptLine(*line) : ScriptCommand(LineError{});
    const auto* loop = std::get_if<ForCommand>(&command);
    if (!loop) {
        if (ran) return "a line that does not parse ran";
        return outputExists ? "a line that does not parse left output" : "";
    }
    std::size_t markLength = 0;
    SplitRules rules;
    rules.encoding = ReferenceEncoding(file, markLength);
    rules.plan = loop->options.tokens;
    for (const std::string& d : loop->options.delimiters) {
        const auto encoded = EncodeUtf8Text(d, rules.encoding);
        if (!encoded) return "";  // reported and skipped; nothing to compare
        rules.delimiters.push_back(*encoded);
    }
    if (loop->options.eol) {
        rules.eol = EncodeUtf8Text(*loop->options.eol, rules.encoding);
        if (!rules.eol) return "";
    }
    if (std::string problem = CompareSplitters(file, rules, 1 + selector % 5); !problem.empty()) {
        return problem;
    }

    const std::vector<ByteRange> lines = ReferenceLines(file, rules.encoding, markLength);
    const auto encodeAscii = [&](std::string_view text) {
        return *EncodeUtf8Text(text, rules.encoding);
    };
    std::string expected;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i < loop->options.skip) continue;
        const auto values = ReferenceSplit(file, lines[i], rules);
        if (values.empty()) continue;
        const auto piece = [&](std::size_t index) {
            if (index >= values.size() || !values[index]) return std::string();
            return std::string(file.substr(values[index]->begin, values[index]->Size()));
        };
        if (selector & 4) {
            expected += encodeAscii("[") + piece(0) + encodeAscii("/") +
                        (values.size() > 1 ? piece(1) : encodeAscii("%b")) + encodeAscii("]");
        } else {
            expected += piece(0);
        }
        expected += LineBreak(rules.encoding);
    }
    if (!expected.empty() && markLength > 0) {
        expected = std::string(ByteOrderMarkBytes(rules.encoding)) + expected;
    }
    if (!ran) return "the loop failed";
    if (expected.empty() != !outputExists) {
        return outputExists ? "output exists without a value" : "no output although values exist";
    }
    if (written != expected) {
        return "output differs: expected " + std::to_string(expected.size()) + " bytes, got " +
               std::to_string(written.size());
    }
    return "";
}

}  // namespace morvane::interp::testing
