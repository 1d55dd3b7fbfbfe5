#include "interpreter/echo_template.h"

namespace morvane::interp {

bool IsVariableName(char c) { return c >= 'A' && c <= 'z'; }

std::vector<EchoPiece> CompileEchoText(std::string_view text, char first, int count) {
    std::vector<EchoPiece> pieces;
    std::string literal;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 1 < text.size() && text[pos] == '%' && IsVariableName(text[pos + 1])) {
            const int index = text[pos + 1] - first;
            if (index >= 0 && index < count) {
                if (!literal.empty()) pieces.push_back({-1, std::move(literal)});
                literal.clear();
                pieces.push_back({index, {}});
                pos += 2;
                continue;
            }
        }
        literal += text[pos++];
    }
    if (!literal.empty()) pieces.push_back({-1, std::move(literal)});
    return pieces;
}

}  // namespace morvane::interp
