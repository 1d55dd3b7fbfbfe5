#include "extraction/extraction_request.h"

namespace morvane {

namespace {
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::optional<std::int16_t> ParseFieldNumber(const std::string& text) {
    if (text.empty() || text.size() > 2) return std::nullopt;
    std::int16_t value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = static_cast<std::int16_t>(value * 10 + (c - '0'));
    }
    return value;
}

std::string FieldNumberText(std::int16_t fieldNumber) { return std::to_string(fieldNumber); }

std::string DoublePercents(const std::string& text) {
    std::string doubled;
    doubled.reserve(text.size());
    for (char c : text) {
        doubled += c;
        if (c == '%') doubled += '%';
    }
    return doubled;
}

std::string QuotedPath(const std::string& path) { return '"' + DoublePercents(path) + '"'; }

std::string ComposeScriptLine(const ExtractionRequest& request) {
    return request.tokensClause + FieldNumberText(request.fieldNumber) + request.delimsClause +
           DoublePercents(request.delimiter) + request.inClause + QuotedPath(request.sourcePath) +
           request.echoClause + QuotedPath(request.outputPath);
}

}  // namespace morvane
