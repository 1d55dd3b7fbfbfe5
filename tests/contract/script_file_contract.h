// What writing the script must do on every platform: the composed line in
// the script's code page (936 on Windows, GB18030 on Linux: the same bytes
// for every character both hold) with CR LF, replacing any earlier script.
// The cases live in script_file_contract.cpp; each platform's test program
// supplies the services to run them on (services_platform.h).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/contract/services_platform.h"
#include "tests/support/files.h"

namespace morvane::testing {

class ScriptFileContract : public ::testing::Test {
  protected:
    // Writes the line composed from the inputs through the real script
    // writer, as a start would, and answers the script file's bytes.
    std::string Script(const std::string& source, const std::string& output,
                       const std::string& delimiter, const std::string& field);

    std::unique_ptr<ServicesPlatform> platform = MakeServicesPlatform();
    SystemServices& system = platform->System();
};

}  // namespace morvane::testing
