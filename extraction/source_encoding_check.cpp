#include "extraction/source_encoding_check.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "common/text/source_encoding.h"

namespace morvane {

namespace {

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

LoopReading HowTheLoopReads(SystemServices& system, const std::string& sourcePath) {
    if (system.InterpreterSourceReading().encodingFromContent)
        return LoopReading::AsTheInterpreterReads;

    std::string head;  // the first three bytes, which tell a byte-order mark
    std::optional<text::Encoding> marked;
    text::Utf8Validator validator;
    bool decided = false;  // a mark, or a byte that is no UTF-8, ended the reading
    const auto decide = [&](std::string_view bytes) {
        decided = !validator.Feed(Bytes(bytes), bytes.size());
        return !decided;
    };
    const bool readToTheEnd = system.ReadFileInPieces(sourcePath, [&](std::string_view piece) {
        if (head.size() < 3) {
            const std::size_t taken = std::min(piece.size(), 3 - head.size());
            head.append(piece.substr(0, taken));
            piece.remove_prefix(taken);
            if (head.size() < 3) return true;
            if (const auto mark = text::DetectByteOrderMark({Bytes(head), head.size()})) {
                marked = mark->encoding;
                decided = true;
                return false;
            }
            if (!decide(head)) return false;
        }
        return decide(piece);
    });
    if (!readToTheEnd && !decided) return LoopReading::AsTheInterpreterReads;  // gone or locked
    // A file of one or two bytes: a UTF-16 mark alone, or text.
    if (head.size() < 3) {
        if (const auto mark = text::DetectByteOrderMark({Bytes(head), head.size()}))
            marked = mark->encoding;
        else
            decide(head);
    }
    if (marked) return *marked == text::Encoding::Utf8 ? LoopReading::Utf8 : LoopReading::Utf16;
    return validator.Chosen() == text::Encoding::Utf8 ? LoopReading::Utf8
                                                      : LoopReading::AsTheInterpreterReads;
}

}  // namespace morvane
