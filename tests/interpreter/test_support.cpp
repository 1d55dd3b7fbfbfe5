#include "tests/interpreter/test_support.h"

#include <stdexcept>

#include "common/posix/iconv_converter.h"
#include "extraction/extraction_request.h"
#include "interpreter/script_runner.h"

namespace morvane::interp::testing {

std::string Cp936(std::string_view utf8) {
    const auto converted = posix::Utf8ToCodePage936(utf8);
    if (!converted) throw std::runtime_error("not representable in code page 936");
    return *converted;
}

std::string Gb18030(std::string_view utf8) {
    const auto converted = posix::Utf8ToGb18030(utf8);
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
