// What writing the script must do on every platform: the composed line in
// the script's code page (936 on Windows, GB18030 on Linux: the same bytes
// for every character both hold) with CR LF, replacing any earlier script.
// The cases live in script_file_contract.cpp; each platform's test program
// supplies the services to run them on (MakeScriptPlatform), and runs the
// whole-extraction path cases of path_case_contract.cpp on them as well.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/runtime.h"
#include "tests/support/files.h"

namespace morvane::testing {

// A platform's real system services, set up so that the script can be
// written where the test may read it (with tests/support/files.h), and a
// scratch folder for the test's own files.
class ScriptPlatform {
  public:
    virtual ~ScriptPlatform() = default;
    virtual SystemServices& System() = 0;
    virtual bool MakeFolder(const std::string& path) = 0;
    // An empty folder removed with the platform object, in the platform's
    // own path form, without a trailing separator.
    virtual std::string ScratchFolder() = 0;
    virtual char PathSeparator() const = 0;

    // The path of `name` in the scratch folder, spelt the platform's way.
    std::string ScratchPath(const std::string& name) {
        return ScratchFolder() + PathSeparator() + name;
    }
    // Makes a file the file query does not see (a dot name on Linux, the
    // hidden and system attributes on Windows); answers its path.
    virtual std::string MakeHiddenFile() = 0;
    // Another spelling of the existing scratch file `name`: a link to it on
    // Linux, its name in capitals on Windows.
    virtual std::string OtherSpelling(const std::string& name) = 0;
};

// Defined once by each platform's test program.
std::unique_ptr<ScriptPlatform> MakeScriptPlatform();

class ScriptFileContract : public ::testing::Test {
  protected:
    // Writes the line composed from the inputs through the real script
    // writer, as a start would, and answers the script file's bytes.
    std::string Script(const std::string& source, const std::string& output,
                       const std::string& delimiter, const std::string& field);

    std::unique_ptr<ScriptPlatform> platform = MakeScriptPlatform();
    SystemServices& system = platform->System();
};

}  // namespace morvane::testing
