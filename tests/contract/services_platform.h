// A platform's real system services as every services contract runs on
// them: the script file (script_file_contract.cpp), the file questions and
// the started interpreter (services_contract.cpp), and whole extractions from
// and to awkwardly named files (path_case_contract.cpp). Each platform's test
// program defines MakeServicesPlatform once, in its services_platform.cpp.
#pragma once

#include <memory>
#include <string>

#include "platform/runtime.h"

namespace morvane::testing {

// A platform's real system services, set up so that the script can be
// written where the test may read it (with tests/support/files.h), and a
// scratch folder for the test's own files.
class ServicesPlatform {
  public:
    virtual ~ServicesPlatform() = default;
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
std::unique_ptr<ServicesPlatform> MakeServicesPlatform();

}  // namespace morvane::testing
