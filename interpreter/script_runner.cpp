#include "interpreter/script_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <type_traits>
#include <variant>

#include "common/posix/iconv_converter.h"
#include "common/posix/unique_handle.h"
#include "interpreter/for_loop.h"
#include "interpreter/output_file.h"
#include "interpreter/script_line.h"

namespace morvane::interp {

namespace {

// Scripts are a line or a few; a bigger file is not a script this program wrote.
constexpr std::size_t kMaxScriptSize = 4 * 1024 * 1024;

// echo on its own: the text in the script's own encoding, then CR LF.
bool RunEcho(const EchoCommand& echo, const RunContext& context) {
    auto text = posix::Utf8ToGb18030(echo.text);
    if (!text) {
        context.report("the echo text cannot be written in GB18030");
        return false;
    }
    *text += "\r\n";
    OutputFile output = echo.redirect == Redirect::None
                            ? OutputFile(context.standardOutput)
                            : OutputFile(echo.target, echo.redirect, context.createdFiles);
    if (output.BeginRecord() && output.Append(*text) && output.Finish()) return true;
    context.report(output.Error());
    output.Discard();
    return false;
}

bool RunLine(std::string_view rawLine, std::size_t number, const RunContext& context) {
    const auto line = posix::Gb18030ToUtf8(rawLine);
    const std::string where = "script line " + std::to_string(number) + ": ";
    if (!line) {
        context.report(where + "not GB18030 text; line skipped");
        return false;
    }
    RunContext lineContext = context;
    lineContext.report = [&](const std::string& message) { context.report(where + message); };
    return std::visit(
        [&](const auto& command) {
            using T = std::decay_t<decltype(command)>;
            if constexpr (std::is_same_v<T, BlankLine>) {
                return true;
            } else if constexpr (std::is_same_v<T, EchoCommand>) {
                return RunEcho(command, lineContext);
            } else if constexpr (std::is_same_v<T, ForCommand>) {
                return RunForLoop(command, lineContext);
            } else {
                lineContext.report(command.message + "; line skipped");
                return false;
            }
        },
        ParseScriptLine(*line));
}

}  // namespace

bool RunScriptText(std::string_view script, const RunContext& outerContext) {
    CreatedFiles created;
    RunContext context = outerContext;
    if (!context.createdFiles) context.createdFiles = &created;
    bool allRan = true;
    std::size_t number = 0;
    while (!script.empty()) {
        ++number;
        const std::size_t lineFeed = script.find('\n');
        std::string_view line = script.substr(0, lineFeed);
        script.remove_prefix(lineFeed == std::string_view::npos ? script.size() : lineFeed + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!RunLine(line, number, context)) allRan = false;
    }
    return allRan;
}

bool RunScriptFile(const std::string& path, const RunContext& context) {
    posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) {
        context.report("cannot open the script \"" + path + "\": " + std::strerror(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        context.report("the script \"" + path + "\" is not a regular file");
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > kMaxScriptSize) {
        context.report("the script \"" + path + "\" is too large to be a script");
        return false;
    }
    std::string script;
    char chunk[64 * 1024];
    while (true) {
        const ssize_t got = ::read(fd.Get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            context.report("cannot read the script \"" + path + "\": " + std::strerror(errno));
            return false;
        }
        if (got == 0) break;
        script.append(chunk, static_cast<std::size_t>(got));
        if (script.size() > kMaxScriptSize) {
            context.report("the script \"" + path + "\" is too large to be a script");
            return false;
        }
    }
    return RunScriptText(script, context);
}

}  // namespace morvane::interp
