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

// The largest file read: 1 GiB.
const std::uint64_t kMaxInputFileBytes = 1ull << 30;

// What a path names. Device names (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9, CONIN$,
// CONOUT$, with or without an extension, in any folder) and device paths (\\.\...) name devices
// whether or not the folder exists; they are never opened.
enum class PathKind { Missing, File, Folder, Device };
PathKind KindOfPath(const std::string& path);

// Why a path that is not a regular file cannot be read: "no such file", "is a folder, not a
// file", "names a device, not a file".
std::string NotAFile(PathKind kind);

// Reads a whole regular file of at most kMaxInputFileBytes. Throws InputError("path: why") for
// anything else (missing, a folder, a device, larger) or when it cannot be opened or read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

// Directory part of a path ("" when it has none), and a path joined onto a directory unless it
// is absolute already (drive letter, UNC or rooted).
std::string DirectoryOf(const std::string& path);
std::string ResolveRelativeTo(const std::string& directory, const std::string& path);
bool IsAbsolutePath(const std::string& path);

// Creates the folders above a file path that are missing, adding each one made to `created`
// (outermost first). Throws InputError on failure.
void CreateParentDirectories(const std::string& path, std::vector<std::string>& created);

// Writes a set of files so that each appears under its final name only when every one of them
// has been written in full: each goes to a temporary name beside its target first, then all are
// renamed. On any failure every temporary is removed and no target is touched (a target that
// was renamed before a later rename failed is the new content, never a partial one); the
// folders made for the targets are removed again, unless a renamed target is in one.
class OutputFiles {
public:
    OutputFiles() = default;
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;
    ~OutputFiles(); // removes temporaries that were not committed and the folders made

    // Writes the bytes to a temporary beside `path`. Throws InputError naming `path` (a device
    // name too).
    void Stage(const std::string& path, const std::vector<std::uint8_t>& bytes);
    // Reserves a temporary name beside `path` for a writer that writes the file itself;
    // returns that name. The caller writes it, then calls Commit.
    std::string StageName(const std::string& path);
    // Renames every staged temporary onto its target.
    void Commit();

private:
    struct Entry {
        std::string target, temporary;
    };
    std::vector<Entry> entries_;
    std::vector<std::string> folders_; // made for the targets, outermost first
    bool committed_ = false;
};

// The same file, whatever the spelling of its path: relative or absolute, / or \\, letter case,
// short folder names, trailing dots; files that exist also by their identity (links).
bool SameFile(const std::string& a, const std::string& b);

// Removes a file if it exists; silent when it does not.
void RemoveFileQuietly(const std::string& path);

#ifdef _WIN32
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);
#endif

} // namespace quiltra
