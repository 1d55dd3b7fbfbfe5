#include "interpreter/loop_setup.h"

namespace morvane::interp {

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

}  // namespace morvane::interp
