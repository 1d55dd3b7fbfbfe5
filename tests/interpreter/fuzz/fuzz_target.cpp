// libFuzzer entry: script options and a source file in, the splitting and
// output invariants checked (see split_invariant.h).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/interpreter/fuzz/split_invariant.h"

namespace {

const std::string& WorkFolder() {
    static const std::string folder = [] {
        char pattern[] = "/tmp/cmd-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string problem = morvane::interp::testing::CheckFuzzInput(data, size, WorkFolder());
    if (!problem.empty()) {
        std::fprintf(stderr, "invariant broken: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
