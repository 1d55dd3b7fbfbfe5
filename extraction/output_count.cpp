#include "extraction/output_count.h"

#include <algorithm>
#include <string_view>

namespace morvane {

namespace {

// One line after another, from the output's line feeds, keeping the first
// bytes of each line: enough to tell "(" CR alone.
class LineCounter {
  public:
    explicit LineCounter(bool echoWritesParenthesis) : skipParenthesis_(echoWritesParenthesis) {}

    void Text(std::string_view text) {
        if (start_.size() < 3) start_.append(text.substr(0, 3 - start_.size()));
    }
    void LineFeed() {
        if (!(skipParenthesis_ && start_ == "(\r")) ++lines_;
        start_.clear();
    }
    std::uint64_t Lines() const { return lines_; }

  private:
    const bool skipParenthesis_;
    std::string start_;
    std::uint64_t lines_ = 0;
};

}  // namespace

std::optional<std::uint64_t> CountOutputValues(SystemServices& system, const std::string& path,
                                               bool echoWritesParenthesis) {
    LineCounter counter(echoWritesParenthesis);
    bool first = true;
    // UTF-16 (the output of a UTF-16 source): a line feed is a whole code
    // unit, little-endian unless the mark says otherwise.
    bool utf16 = false, bigEndian = false;
    std::uint64_t offset = 0;
    char unitStart = 0;  // the first byte of a code unit, until its second comes
    const bool whole = system.ReadFileInPieces(path, [&](std::string_view piece) {
        if (first && !piece.empty()) {
            utf16 = piece[0] == '\xFF' || piece[0] == '\xFE';
            bigEndian = piece[0] == '\xFE';
            first = false;
        }
        if (utf16) {
            for (const char c : piece) {
                const std::uint64_t at = offset++;
                if (at < 2) continue;  // the mark
                if (at % 2 == 0) {
                    unitStart = c;
                    continue;
                }
                // Whole units: 上 (U+4E0A) holds a 0A byte too.
                const char high = bigEndian ? unitStart : c;
                const char low = bigEndian ? c : unitStart;
                if (high != 0) {
                    counter.Text("?");
                } else {
                    low == '\n' ? counter.LineFeed() : counter.Text({&low, 1});
                }
            }
            return true;
        }
        for (std::size_t at = 0; at < piece.size();) {
            const std::size_t lineFeed = std::min(piece.find('\n', at), piece.size());
            counter.Text(piece.substr(at, lineFeed - at));
            if (lineFeed == piece.size()) break;
            counter.LineFeed();
            at = lineFeed + 1;
        }
        return true;
    });
    if (!whole) return std::nullopt;
    return counter.Lines();
}

}  // namespace morvane
