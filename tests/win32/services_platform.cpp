// The services contracts run on the Windows services, in the ANSI code page
// 936.
#include <gtest/gtest.h>

#include <cctype>

#include "platform/win32/windows_inc.h"

#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"
#include "tests/contract/services_platform.h"
#include "tests/win32/win_test_support.h"

namespace morvane::testing {
namespace {

using win32::Win32System;
using wintest::TempDir;
using wintest::WriteFile;

class Win32ServicesPlatform : public ServicesPlatform {
  public:
    Win32ServicesPlatform() {
        if (GetACP() != 936) ADD_FAILURE() << "run these tests with LC_ALL=zh_CN.UTF-8";
    }
    ~Win32ServicesPlatform() override { system_.DeleteFile(system_.ScriptPath()); }
    SystemServices& System() override { return system_; }
    bool MakeFolder(const std::string& path) override {
        return CreateDirectoryW(win32::Utf8ToWide(path).c_str(), nullptr) != 0;
    }
    std::string ScratchFolder() override { return scratch_.Path(); }
    char PathSeparator() const override { return '\\'; }

    std::string MakeHiddenFile() override {
        const std::string path = scratch_ / "hidden.txt";
        WriteFile(path, "x\r\n");
        SetFileAttributesW(win32::Utf8ToWide(path).c_str(),
                           FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        return path;
    }
    std::string OtherSpelling(const std::string& name) override {
        std::string upper = name;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return scratch_.Path() + "\\.\\" + upper;
    }

  private:
    TempDir scratch_;
    Win32System system_;
};

}  // namespace

std::unique_ptr<ServicesPlatform> MakeServicesPlatform() {
    return std::make_unique<Win32ServicesPlatform>();
}

}  // namespace morvane::testing
