// Files and scratch folders for every test program. Paths are UTF-8; on
// Windows they are opened as UTF-16, so a Chinese name works whatever the
// ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvane::testing {

// The file's bytes, or nothing when it cannot be opened. On Windows the file
// is opened with every sharing mode, so reading never stops another program
// from writing or deleting it.
std::optional<std::string> ReadFile(const std::string& path);

// The bytes of an output file the command interpreter wrote with the
// program's line, as Windows writes them. Wine's cmd.exe writes "(" before
// the text of `echo(text`, where Windows writes the text alone: under Wine
// one leading "(" of each line is dropped; every other byte is kept.
std::optional<std::string> ReadInterpreterOutput(const std::string& path);

// Creates the file, or replaces what it held, with `bytes`.
void WriteFile(const std::string& path, std::string_view bytes);

bool Exists(const std::string& path);

// A new empty folder under the system's temporary folder, removed with
// everything in it (read-only files included) when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder's path, without a trailing separator.
    const std::string& Path() const { return path_; }
    // The path of `name` inside the folder, joined with the platform's separator.
    std::string operator/(const std::string& name) const;
    // Writes `name` in the folder; answers its path.
    std::string Write(const std::string& name, std::string_view bytes) const;

  private:
    std::string path_;
};

}  // namespace morvane::testing
