// cmd.exe for Linux: runs the one-line batch scripts Morvane writes.
// Usage: cmd.exe /c SCRIPT
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "interpreter/script_runner.h"

namespace {

// The signal that asked the run to stop, 0 while none has.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int signal) { stopRequested = signal; }

// Termination, a hang-up (the user logs out) and an interrupt stop the loop
// at its next read; it then takes back what it wrote, so no half output is
// left that could pass for a result, and ends by the same signal, so that
// whoever waits for it can tell a stopped run from a failed one.
void StopCleanlyOnTermination() {
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    // A closed standard output is a write error to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    StopCleanlyOnTermination();
    const auto report = [](const std::string& message) {
        std::fprintf(stderr, "cmd.exe: %s\n", message.c_str());
    };
    if (argc != 3 || (std::string_view(argv[1]) != "/c" && std::string_view(argv[1]) != "/C")) {
        report("usage: cmd.exe /c SCRIPT");
        return 1;
    }
    morvane::interp::RunContext context;
    context.report = report;
    context.stopRequested = &stopRequested;
    const bool ran = morvane::interp::RunScriptFile(argv[2], context);
    if (const int signal = stopRequested) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
    return ran ? 0 : 1;
}
