// What Start learns of a source's encoding before a run on Windows, where
// cmd.exe decodes a source with its console's code page instead of looking
// at the file.
#pragma once

#include <string>

#include "platform/runtime.h"

namespace morvane {

// How the loop is to read the source.
enum class LoopReading {
    // As the interpreter reads any source by itself: our stand-in by the
    // file's content, cmd.exe in its code page (ANSI/GBK and ASCII sources).
    AsTheInterpreterReads,
    // UTF-8, with a byte-order mark or by its content: on Windows the loop
    // then runs under code page 65001 (ComposeScriptLine).
    Utf8,
    // UTF-16 with a byte-order mark: cmd.exe's for /f cannot read it.
    Utf16,
};

// Reads the source once, in pieces (memory does not grow with the file), by
// the rule the stand-in reads its sources by (common/text/): a byte-order
// mark decides; without one, a file that is valid UTF-8 to its end and holds
// a multi-byte sequence is UTF-8. A GBK file fails the UTF-8 test at its
// first double-byte character, so only UTF-8 files are read to the end.
// Nothing is read where the interpreter takes the encoding from the content
// itself (the stand-in), and a source that cannot be read now is left to the
// interpreter as ever.
LoopReading HowTheLoopReads(SystemServices& system, const std::string& sourcePath);

}  // namespace morvane
