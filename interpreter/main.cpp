// cmd.exe for Linux: runs the one-line batch scripts Morvane writes.
// Usage: cmd.exe /c SCRIPT
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "interpreter/script_runner.h"

int main(int argc, char** argv) {
    // A closed standard output is a write error to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    const auto report = [](const std::string& message) {
        std::fprintf(stderr, "cmd.exe: %s\n", message.c_str());
    };
    if (argc != 3 || (std::string_view(argv[1]) != "/c" && std::string_view(argv[1]) != "/C")) {
        report("usage: cmd.exe /c SCRIPT");
        return 1;
    }
    morvane::interp::RunContext context;
    context.report = report;
    return morvane::interp::RunScriptFile(argv[2], context) ? 0 : 1;
}
