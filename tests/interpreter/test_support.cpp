#include "tests/interpreter/test_support.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "interpreter/encoding.h"
#include "interpreter/script_runner.h"

namespace morvane::interp::testing {

TempFolder::TempFolder() {
    char pattern[] = "/tmp/cmd-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

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

ScriptRun RunScript(std::string_view utf8Script, std::size_t readBufferSize) {
    ScriptRun run;
    RunContext context;
    context.readBufferSize = readBufferSize;
    context.report = [&](const std::string& message) { run.messages.push_back(message); };
    run.allRan = RunScriptText(Cp936(utf8Script), context);
    return run;
}

std::string MorvaneLine(const std::string& source, const std::string& output,
                        std::string_view delimiter, int field) {
    return "for /f \"tokens=" + std::to_string(field) + " delims=" + std::string(delimiter) +
           "\" %%a in (" + source + ") do @echo %%a>>" + output + "\r\n";
}

}  // namespace morvane::interp::testing
