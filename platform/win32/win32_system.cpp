#include "platform/win32/win32_system.h"

#include <utility>
#include <vector>

#include "platform/win32/file_query.h"
#include "platform/win32/interpreter_launch.h"
#include "platform/win32/process_list.h"
#include "platform/win32/script_folder.h"
#include "platform/win32/utf.h"

namespace morvane::win32 {

namespace {

// The size of the pieces a file is read in.
constexpr std::size_t kReadPieceSize = 1 << 20;

// Code pages for which WideCharToMultiByte takes neither flags nor the
// used-default-character flag.
bool TakesNoConversionFlags(UINT codePage) {
    return codePage == CP_UTF7 || codePage == CP_UTF8 || codePage == 42 ||
           (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011) ||
           codePage == 54936;
}

}  // namespace

std::optional<std::string> EncodeForCodePage(const std::string& text, UINT codePage) {
    const std::optional<std::wstring> wide = Utf8ToWideStrict(text);
    if (!wide) return std::nullopt;
    if (wide->empty()) return std::string();

    const bool noFlags = TakesNoConversionFlags(codePage);
    const DWORD flags = noFlags ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(wide->size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(codePage, flags, wide->data(), length, nullptr, 0, nullptr,
                                         noFlags ? nullptr : &usedDefault);
    if (size <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, flags, wide->data(), length, bytes.data(), size, nullptr,
                            noFlags ? nullptr : &usedDefault) != size ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

std::string SystemReason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length > 0 && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.' || text.back() == L'\x3002')) {
        text.pop_back();
    }
    if (text.empty()) return "error " + std::to_string(error);
    return WideToUtf8(text);
}

Win32System::Win32System()
    : scriptFolder_(ScriptFolderPath()),
      scriptPath_(WideToUtf8(scriptFolder_ + L"\\" + kScriptFileName)) {}

Win32System::~Win32System() = default;

std::string Win32System::ScriptPath() const { return scriptPath_; }

// cmd.exe decodes a batch file with its console's code page, and a new
// console starts in the OEM code page: 936 on Chinese Windows (the ANSI one
// too), 437 or 850 on Western ones, where the ANSI code page 1252 would turn
// "é" in a path into another character.
std::optional<std::string> Win32System::EncodeForScript(const std::string& text) const {
    return EncodeForCodePage(text, GetOEMCP());
}

bool Win32System::WriteNewFile(const std::string& path, const std::string& bytes,
                               std::string& reason) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide) {
        reason = SystemReason(ERROR_INVALID_NAME);
        return false;
    }
    // The script's folder is made on first use (and again if removed).
    if (path == scriptPath_ && !EnsureScriptFolder(scriptFolder_, reason)) return false;
    UniqueHandle file(CreateFileW(wide->c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        reason = SystemReason(GetLastError());
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD written = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!WriteFile(file.Get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            reason = SystemReason(GetLastError());
            return false;
        }
        done += written;
    }
    return true;
}

bool Win32System::DeleteFile(const std::string& path) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide) return false;
    if (::DeleteFileW(wide->c_str())) return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::optional<std::string> Win32System::FindMatchingFile(const std::string& path) {
    return win32::FindMatchingFile(path);
}

bool Win32System::StartInterpreter(const std::string& scriptPath, std::string& reason) {
    const std::optional<std::wstring> script = PathText(scriptPath);
    if (!script || script->empty()) {
        reason = SystemReason(ERROR_INVALID_NAME);
        return false;
    }
    UniqueHandle started = LaunchInterpreter(*script, reason);
    if (!started.Valid()) return false;
    // Kept to tell later how the interpreter ended.
    startedInterpreter_ = std::move(started);
    return true;
}

std::optional<std::vector<std::string>> Win32System::RunningProcessNames() {
    return win32::RunningProcessNames();
}

bool Win32System::ClaimSingleInstance() {
    if (!instanceMutex_.Valid()) {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, kInstanceMutexName);
        anotherCopyRunning_ = mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
        instanceMutex_.Reset(mutex);
    }
    return !anotherCopyRunning_;
}

InterpreterState Win32System::StartedInterpreterState() {
    if (!startedInterpreter_.Valid()) return InterpreterState::NotStarted;
    switch (WaitForSingleObject(startedInterpreter_.Get(), 0)) {
        case WAIT_TIMEOUT:
            return InterpreterState::Running;
        case WAIT_OBJECT_0: {
            DWORD exitCode = 1;
            if (!GetExitCodeProcess(startedInterpreter_.Get(), &exitCode))
                return InterpreterState::EndedAbnormally;
            if (exitCode == 0) return InterpreterState::EndedNormally;
            // What a console process ends with when Ctrl+C, Ctrl+Break or
            // logging off closes it.
            if (exitCode == static_cast<DWORD>(STATUS_CONTROL_C_EXIT))
                return InterpreterState::Stopped;
            return InterpreterState::EndedAbnormally;
        }
        default:
            // A handle that cannot be waited on says nothing good about
            // the run.
            return InterpreterState::EndedAbnormally;
    }
}

bool Win32System::SomethingExistsAt(const std::string& path) {
    return win32::SomethingExistsAt(path);
}

std::optional<std::uint64_t> Win32System::RegularFileSize(const std::string& path) {
    return win32::RegularFileSize(path);
}

bool Win32System::IsAbsolutePath(const std::string& path) const {
    return win32::IsAbsolutePath(path);
}

bool Win32System::CanOpenForReading(const std::string& path) {
    return win32::CanOpenForReading(path);
}

FolderAccess Win32System::OutputFolderAccess(const std::string& path) {
    return win32::OutputFolderAccess(path);
}

bool Win32System::NameFits(const std::string& path) const { return win32::NameFits(path); }

bool Win32System::SameFile(const std::string& first, const std::string& second) {
    return win32::SameFile(first, second);
}

bool Win32System::ReadFileInPieces(const std::string& path,
                                   const std::function<bool(std::string_view)>& piece) {
    const std::optional<std::wstring> wide = PathText(path);
    if (!wide || wide->empty()) return false;
    // Others may go on reading, writing or deleting it; a program that holds
    // it locked makes the open fail.
    const UniqueHandle file(CreateFileW(
        wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
    std::vector<char> buffer(kReadPieceSize);
    while (true) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            return false;
        if (got == 0) return true;
        if (!piece({buffer.data(), got})) return false;
    }
}

SourceReading Win32System::InterpreterSourceReading() const {
    // cmd.exe reads a source in its console's code page, as it reads the script.
    SourceReading reading;
    const UINT codePage = GetOEMCP();
    for (std::size_t byte = 0; byte < reading.leadBytes.size(); ++byte)
        reading.leadBytes[byte] = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(byte)) != FALSE;
    // Wine's cmd.exe writes the "(" of `echo(` (Windows' writes only what
    // follows it); Wine is told by the function its ntdll alone exports.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    reading.echoWritesParenthesis =
        ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    return reading;
}

std::optional<FileIdentity> Win32System::RegularFileIdentity(const std::string& path) {
    return win32::RegularFileIdentity(path);
}

bool Win32System::CreateEmptyFile(const std::string& path, std::string& reason) {
    return win32::CreateEmptyFile(path, reason);
}

void Win32System::StopInterpreter() {
    if (StartedInterpreterState() != InterpreterState::Running) return;
    TerminateProcess(startedInterpreter_.Get(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    WaitForSingleObject(startedInterpreter_.Get(), 5000);
}

bool Win32System::InScriptFolder(const std::string& path) {
    return win32::InFolder(path, WideToUtf8(scriptFolder_));
}

}  // namespace morvane::win32
