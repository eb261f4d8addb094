// File access for the host program: UTF-8 paths in, wide Win32 calls underneath, and output
// that appears under its final name only when it is complete.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quiltra {

// Bad input from the user (a file, an option, a value): the program reports the message and
// exits with status 2.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads a whole file. Throws InputError naming the file when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// True when the path names an existing regular file.
bool FileExists(const std::string& path);

// Directory part of a path ("" when it has none), and a path joined onto a directory unless it
// is absolute already (drive letter, UNC or rooted).
std::string DirectoryOf(const std::string& path);
std::string ResolveRelativeTo(const std::string& directory, const std::string& path);
bool IsAbsolutePath(const std::string& path);

// Creates the folders above a file path that are missing. Throws InputError on failure.
void CreateParentDirectories(const std::string& path);

// Writes a set of files so that each appears under its final name only when every one of them
// has been written in full: each goes to a temporary name beside its target first, then all are
// renamed. On any failure every temporary is removed and no target is touched (a target that
// was renamed before a later rename failed is the new content, never a partial one).
class OutputFiles {
public:
    OutputFiles() = default;
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;
    ~OutputFiles();  // removes temporaries that were not committed

    // Writes the bytes to a temporary beside `path`. Throws InputError naming `path`.
    void Stage(const std::string& path, const std::vector<std::uint8_t>& bytes);
    // Reserves a temporary name beside `path` for a writer that writes the file itself;
    // returns that name. The caller writes it, then calls Commit.
    std::string StageName(const std::string& path);
    // Renames every staged temporary onto its target.
    void Commit();

private:
    struct Entry { std::string target, temporary; };
    std::vector<Entry> entries_;
    bool committed_ = false;
};

// Removes a file if it exists; silent when it does not.
void RemoveFileQuietly(const std::string& path);

#ifdef _WIN32
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
#endif

}  // namespace quiltra
