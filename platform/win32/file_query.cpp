#include "platform/win32/file_query.h"

#include "platform/win32/windows_inc.h"

#include <cctype>

#include "platform/win32/unique_handle.h"
#include "platform/win32/utf.h"
#include "platform/win32/win32_system.h"

namespace morvane::win32 {

namespace {

class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

// Opens whatever is at `path` for nothing but asking about it, links
// followed or not.
UniqueHandle OpenForQuery(const std::wstring& path, bool followLinks) {
    const DWORD flags =
        FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return UniqueHandle(CreateFileW(path.c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, flags, nullptr));
}

}  // namespace

std::optional<std::string> FindMatchingFile(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return std::nullopt;
    WIN32_FIND_DATAW entry{};
    FindHandle search(FindFirstFileW(wide->c_str(), &entry));
    if (!search.Valid()) return std::nullopt;
    constexpr DWORD kNotNormal =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((entry.dwFileAttributes & kNotNormal) == 0) return WideToUtf8(entry.cFileName);
    } while (FindNextFileW(search.Get(), &entry));
    return std::nullopt;
}

bool SomethingExistsAt(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return false;
    // GetFileAttributesW takes no pattern and does not follow links: a
    // dangling link has attributes of its own.
    if (GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    // A file open without sharing (a page file) is there all the same.
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::optional<std::uint64_t> RegularFileSize(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return std::nullopt;
    // Attributes and size without opening the file, and without following a
    // link.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return std::nullopt;
    // A device name ("NUL", "COM1") has attributes too, but is no disk file.
    const UniqueHandle file = OpenForQuery(*wide, false);
    if (file.Valid() && GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool IsAbsolutePath(const std::string& path) {
    const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                       path[1] == ':' && isSlash(path[2]);
    const bool share = path.size() >= 3 && isSlash(path[0]) && isSlash(path[1]);
    return drive || share;
}

bool CanOpenForReading(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return false;
    // Sharing everything, so that only a file another program holds
    // exclusively (or one this user may not read) answers no.
    const UniqueHandle file(CreateFileW(wide->c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

FolderAccess OutputFolderAccess(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return FolderAccess::Missing;
    const std::size_t slash = wide->find_last_of(L"\\/");
    if (slash == std::wstring::npos) return FolderAccess::Missing;
    // "C:\" keeps its backslash: "C:" alone is the drive's current folder.
    const std::wstring folder = wide->substr(0, slash == 2 ? 3 : slash);
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FolderAccess::Missing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return FolderAccess::NotAFolder;
    // Asking for the right to add a file checks the folder's access list
    // without creating anything. (The read-only attribute of a folder means
    // nothing to the file system.)
    const UniqueHandle handle(CreateFileW(
        folder.c_str(), FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid() && GetLastError() == ERROR_ACCESS_DENIED) return FolderAccess::NotWritable;
    return FolderAccess::Writable;
}

bool NameFits(const std::string& path) {
    // The command interpreter opens paths of fewer than MAX_PATH characters
    // (the terminating null counts); a name has at most 255.
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide) return false;
    const std::size_t slash = wide->find_last_of(L"\\/");
    const std::size_t nameLength = wide->size() - (slash == std::wstring::npos ? 0 : slash + 1);
    return wide->size() < MAX_PATH && nameLength <= 255;
}

bool SameFile(const std::string& first, const std::string& second) {
    const std::optional<std::wstring> firstWide = PathText(first);
    const std::optional<std::wstring> secondWide = PathText(second);
    if (!firstWide || !secondWide || firstWide->empty() || secondWide->empty()) return false;
    const UniqueHandle a = OpenForQuery(*firstWide, true);
    const UniqueHandle b = OpenForQuery(*secondWide, true);
    BY_HANDLE_FILE_INFORMATION infoA{}, infoB{};
    return a.Valid() && b.Valid() && GetFileInformationByHandle(a.Get(), &infoA) &&
           GetFileInformationByHandle(b.Get(), &infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
}

std::optional<FileIdentity> RegularFileIdentity(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty() || !RegularFileSize(path)) return std::nullopt;
    const UniqueHandle file = OpenForQuery(*wide, false);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
                        static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow};
}

bool CreateEmptyFile(const std::string& path, std::string& reason) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) {
        reason = SystemReason(ERROR_INVALID_NAME);
        return false;
    }
    // CREATE_NEW: never over anything that is there.
    const UniqueHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) reason = SystemReason(GetLastError());
    return file.Valid();
}

bool InFolder(const std::string& path, const std::string& folder) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return false;
    // "C:\x" is in "C:\", whose own name keeps its separator.
    return SameFile(path.substr(0, separator == 2 ? 3 : separator), folder);
}

}  // namespace morvane::win32
