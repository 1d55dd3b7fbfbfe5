// The whole life of the `pellorin` process, from its command line to the
// end of its event loop. main() is this; the tests' probe copy runs it too.
#pragma once

#include <functional>

#include "platform/qt/pellorin_program.h"

namespace morvane::qt {

// Reads the options first, without a display: --help and --version print
// and answer 0, an unknown option prints one line and answers 2. Otherwise
// opens the window and runs until the program ends. `beforeStart` is called
// once the application and the program exist, before the single-instance
// guard runs.
int RunPellorin(int argc, char* argv[],
                const std::function<void(PellorinProgram&)>& beforeStart = {});

}  // namespace morvane::qt
