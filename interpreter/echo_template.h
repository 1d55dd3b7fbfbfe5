// The text of a loop's echo, cut into literal text and variable references.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace morvane::interp {

struct EchoPiece {
    int variable = -1;  // >= 0: the loop variable's value; otherwise `literal`
    std::string literal;
    bool operator==(const EchoPiece&) const = default;
};

// Whether `c` can name a loop variable: a letter, or one of "[\]^_`", the
// characters between Z and a, which name the variables that follow Z.
bool IsVariableName(char c);

// `%X` (a batch file's "%%X" once read) with X from `first` through the
// following `count` characters (in character order, as far as IsVariableName
// goes) refers to a variable; any other text, other `%X` included, stays as
// written.
std::vector<EchoPiece> CompileEchoText(std::string_view text, char first, int count);

}  // namespace morvane::interp
