#include "tests/support/files.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#endif

namespace morvane::testing {

namespace {

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

#ifdef _WIN32
std::optional<std::string> ReadFile(const std::string& path) {
    HANDLE file = CreateFileW(FsPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}
#else
std::optional<std::string> ReadFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               std::fclose);
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, got);
    return bytes;
}
#endif

std::optional<std::string> ReadInterpreterOutput(const std::string& path) {
    std::optional<std::string> bytes = ReadFile(path);
#ifdef _WIN32
    // Wine is told apart by ntdll's wine_get_version, which no Windows has.
    static const bool underWine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (bytes && underWine) {
        std::string kept;
        bool lineStart = true;
        for (const char c : *bytes) {
            if (!lineStart || c != '(') kept += c;
            lineStart = c == '\n';
        }
        bytes = std::move(kept);
    }
#endif
    return bytes;
}

void WriteFile(const std::string& path, std::string_view bytes) {
#ifdef _WIN32
    std::FILE* opened = _wfopen(FsPath(path).c_str(), L"wb");
#else
    std::FILE* opened = std::fopen(path.c_str(), "wb");
#endif
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(opened, std::fclose);
    if (file) std::fwrite(bytes.data(), 1, bytes.size(), file.get());
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(FsPath(path), ignored));
}

TempDir::TempDir() {
    std::random_device seed;
    for (;;) {
        const fs::path candidate =
            fs::temp_directory_path() / ("morvane-test-" + std::to_string(seed()));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            path_ = Utf8(candidate);
            return;
        }
    }
}

TempDir::~TempDir() {
    // A read-only file (a Windows attribute some tests set) would keep its
    // folder; write permission clears it.
    std::error_code ignored;
    for (auto it = fs::recursive_directory_iterator(FsPath(path_), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(FsPath(path_), ignored);
}

std::string TempDir::operator/(const std::string& name) const {
    return path_ + static_cast<char>(fs::path::preferred_separator) + name;
}

std::string TempDir::Write(const std::string& name, std::string_view bytes) const {
    const std::string path = *this / name;
    WriteFile(path, bytes);
    return path;
}

}  // namespace morvane::testing
