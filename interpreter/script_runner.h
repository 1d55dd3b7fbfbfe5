// Running a whole script file, line by line.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::interp {

// The files a run created (device and inode): the only ones it may write to
// again, say from a second line redirected to the same name.
struct CreatedFiles {
    struct Identity {
        dev_t device;
        ino_t inode;
    };
    std::vector<Identity> files;
};

// What running a script needs from its surroundings.
struct RunContext {
    // Receives one message per problem (the program prints them to stderr).
    std::function<void(const std::string&)> report = [](const std::string&) {};
    // Where echo without a redirection writes.
    int standardOutput = 1;
    // Size of the window a source file is read through; lines longer than
    // this still work. Tests shrink it to reach the long-line paths.
    std::size_t readBufferSize = 256 * 1024;
    // Filled in by RunScriptText for the whole script.
    CreatedFiles* createdFiles = nullptr;
    // Set (by a signal handler) when the run must stop: the loop then takes
    // back what it wrote, as on a write error.
    const volatile std::sig_atomic_t* stopRequested = nullptr;
};

// Runs each line of the script text (GB18030, lines ending in LF or CR LF)
// in order. Answers true when every line ran; a line that cannot run is
// reported and skipped.
bool RunScriptText(std::string_view script, const RunContext& context);

// Reads the script file and runs it; a missing or unreadable file is reported.
bool RunScriptFile(const std::string& path, const RunContext& context);

}  // namespace morvane::interp
