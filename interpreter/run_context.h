// What running a script needs from its surroundings.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace morvane::interp {

struct RunContext {
    // Receives one message per problem (the program prints them to stderr).
    std::function<void(const std::string&)> report = [](const std::string&) {};
    // Where echo without a redirection writes.
    int standardOutput = 1;
    // Size of the window a source file is read through; lines longer than
    // this still work. Tests shrink it to reach the long-line paths.
    std::size_t readBufferSize = 256 * 1024;
};

}  // namespace morvane::interp
