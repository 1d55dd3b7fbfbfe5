#include "tests/interpreter/test_support.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "extraction/extraction_request.h"
#include "interpreter/encoding.h"
#include "interpreter/script_runner.h"

namespace morvane::interp::testing {

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Cp936(std::string_view utf8) {
    const auto converted = Utf8ToCodePage936(utf8);
    if (!converted) throw std::runtime_error("not representable in code page 936");
    return *converted;
}

std::string Gb18030(std::string_view utf8) {
    const auto converted = Utf8ToGb18030(utf8);
    if (!converted) throw std::runtime_error("not UTF-8");
    return *converted;
}

ScriptRun RunScript(std::string_view utf8Script, std::size_t readBufferSize) {
    ScriptRun run;
    RunContext context;
    context.readBufferSize = readBufferSize;
    context.report = [&](const std::string& message) { run.messages.push_back(message); };
    run.allRan = RunScriptText(Gb18030(utf8Script), context);
    return run;
}

std::string MorvaneLine(const std::string& source, const std::string& output,
                        std::string_view delimiter, int field) {
    const ExtractionRequest request{source,
                                    output,
                                    std::string(delimiter),
                                    static_cast<std::int16_t>(field),
                                    kTokensClause,
                                    kDelimsClause,
                                    kInClause,
                                    kEchoClause};
    return ComposeScriptLine(request) + "\r\n";
}

}  // namespace morvane::interp::testing
