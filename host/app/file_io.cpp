#include "file_io.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwctype>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quiltra {

#ifdef _WIN32
std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
    std::wstring w((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &w[0], n);
    return w;
}

std::string Narrow(const std::wstring& wide)
{
    if (wide.empty()) return std::string();
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr,
                                nullptr);
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &s[0], n, nullptr, nullptr);
    return s;
}

static std::string LastErrorText()
{
    DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, (LPWSTR)&text, 0, nullptr);
    std::string s = text ? Narrow(text) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!s.empty() &&
           (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s;
}
#else
static std::string LastErrorText() { return std::strerror(errno); }
#endif

static std::FILE* OpenFile(const std::string& path, const char* mode)
{
#ifdef _WIN32
    return _wfopen(Widen(path).c_str(), Widen(mode).c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

static bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The names Windows gives to devices in every folder: the part of the last name before its
// first dot, trailing spaces and a trailing colon ignored, in any letter case. COM and LPT take a
// digit or a superscript 1, 2 or 3.
static bool IsDeviceName(std::string path)
{
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '.' &&
        IsSeparator(path[3]))
        return true; // \\.\COM1, \\.\pipe\...
    while (!path.empty() && (path.back() == ':' || path.back() == ' '))
        path.pop_back();
    size_t start = path.size();
    while (start > 0 && !IsSeparator(path[start - 1]) && path[start - 1] != ':')
        --start;
    std::string stem = path.substr(start);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = (char)std::toupper((unsigned char)c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
        stem == "CONOUT$")
        return true;
    if (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0) return false;
    const std::string number = stem.substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xc2\xb9" ||
        number == "\xc2\xb2" || number == "\xc2\xb3"; // a digit, or ¹ ² ³ in UTF-8
}

PathKind KindOfPath(const std::string& path)
{
#ifdef _WIN32
    if (IsDeviceName(path)) return PathKind::Device;
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
#else
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return S_ISREG(st.st_mode) ? PathKind::File
        : S_ISDIR(st.st_mode)  ? PathKind::Folder
                               : PathKind::Device;
#endif
}

std::string NotAFile(PathKind kind)
{
    switch (kind) {
    case PathKind::Missing:
        return "no such file";
    case PathKind::Folder:
        return "is a folder, not a file";
    case PathKind::Device:
        return "names a device, not a file";
    case PathKind::File:
        break;
    }
    return "is a file";
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    PathKind kind = KindOfPath(path);
    if (kind != PathKind::File) throw InputError(path + ": " + NotAFile(kind));
    const std::string tooLarge =
        path + ": larger than " + std::to_string(kMaxInputFileBytes >> 20) + " MiB";
#ifdef _WIN32
    HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw InputError(path + ": cannot open: " + LastErrorText());
    struct Closer {
        HANDLE h;
        ~Closer() { CloseHandle(h); }
    } closer {h};
    // Only a file on a disk: a pipe or a character device reached some other way is refused
    // before anything is read from it.
    if (GetFileType(h) != FILE_TYPE_DISK)
        throw InputError(path + ": " + NotAFile(PathKind::Device));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size)) throw InputError(path + ": cannot read: " + LastErrorText());
    if ((std::uint64_t)size.QuadPart > kMaxInputFileBytes) throw InputError(tooLarge);
    std::vector<std::uint8_t> bytes;
    bytes.reserve((size_t)size.QuadPart);
    std::uint8_t buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr))
            throw InputError(path + ": read error: " + LastErrorText());
        if (n == 0) break;
        if (bytes.size() + n > kMaxInputFileBytes) throw InputError(tooLarge); // it grew meanwhile
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
#else
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw InputError(path + ": cannot open: " + LastErrorText());
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    bool large = false;
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (bytes.size() + n > kMaxInputFileBytes) {
            large = true;
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer) break;
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (large) throw InputError(tooLarge);
    if (failed) throw InputError(path + ": read error");
    return bytes;
#endif
}

bool IsAbsolutePath(const std::string& path)
{
    if (!path.empty() && IsSeparator(path[0])) return true;
#ifdef _WIN32
    if (path.size() >= 2 && path[1] == ':') return true;
#endif
    return false;
}

std::string DirectoryOf(const std::string& path)
{
    size_t i = path.size();
    while (i > 0 && !IsSeparator(path[i - 1])
#ifdef _WIN32
           && !(i == 2 && path[1] == ':')
#endif
    )
        --i;
    return path.substr(0, i);
}

std::string ResolveRelativeTo(const std::string& directory, const std::string& path)
{
    if (directory.empty() || IsAbsolutePath(path)) return path;
    if (IsSeparator(directory.back()) || directory.back() == ':') return directory + path;
    return directory + "/" + path;
}

static bool IsDirectory(const std::string& path)
{
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
#endif
}

static bool MakeDirectory(const std::string& path)
{
#ifdef _WIN32
    return CreateDirectoryW(Widen(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
#else
    return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
#endif
}

static bool RemoveEmptyDirectory(const std::string& path)
{
#ifdef _WIN32
    return RemoveDirectoryW(Widen(path).c_str()) != 0;
#else
    return rmdir(path.c_str()) == 0;
#endif
}

void CreateParentDirectories(const std::string& path, std::vector<std::string>& created)
{
    std::string dir = DirectoryOf(path);
    while (!dir.empty() && IsSeparator(dir.back()))
        dir.pop_back();
    if (dir.empty() || dir.back() == ':' || IsDirectory(dir)) return;
    CreateParentDirectories(dir, created);
    // Made, or there is a file of that name (which cannot be a folder).
    if (!MakeDirectory(dir) || !IsDirectory(dir))
        throw InputError(dir + ": cannot create folder: " + LastErrorText());
    created.push_back(dir);
}

void RemoveFileQuietly(const std::string& path)
{
#ifdef _WIN32
    DeleteFileW(Widen(path).c_str());
#else
    unlink(path.c_str());
#endif
}

static std::string TemporaryNameFor(const std::string& path)
{
#ifdef _WIN32
    unsigned long id = GetCurrentProcessId();
#else
    unsigned long id = (unsigned long)getpid();
#endif
    return path + ".part-" + std::to_string(id);
}

OutputFiles::~OutputFiles()
{
    if (committed_) return;
    for (const Entry& e : entries_)
        RemoveFileQuietly(e.temporary);
    // The folders made for this output, innermost first; one that something is in now (a target
    // renamed before a later rename failed) stays.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
        RemoveEmptyDirectory(*it);
}

std::string OutputFiles::StageName(const std::string& path)
{
    if (KindOfPath(path) == PathKind::Device)
        throw InputError(path + ": " + NotAFile(PathKind::Device));
    CreateParentDirectories(path, folders_);
    if (IsDirectory(path)) throw InputError(path + ": is a folder, not a file name");
    Entry e {path, TemporaryNameFor(path)};
    entries_.push_back(e);
    return e.temporary;
}

void OutputFiles::Stage(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::string temporary = StageName(path);
    std::FILE* f = OpenFile(temporary, "wb");
    if (!f) throw InputError(path + ": cannot write: " + LastErrorText());
    size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    bool ok = written == bytes.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) throw InputError(path + ": write failed (disk full?)");
}

void OutputFiles::Commit()
{
    for (const Entry& e : entries_) {
#ifdef _WIN32
        bool ok = MoveFileExW(Widen(e.temporary).c_str(), Widen(e.target).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
        bool ok = std::rename(e.temporary.c_str(), e.target.c_str()) == 0;
#endif
        if (!ok) throw InputError(e.target + ": cannot replace: " + LastErrorText());
    }
    committed_ = true;
}

#ifdef _WIN32
// A path as Windows resolves it, for comparing spellings: absolute, with backslashes, its
// folder under its long name, trailing dots and spaces of its name dropped, in lower case.
static std::wstring ResolvedSpelling(const std::string& path)
{
    std::wstring full(32768, L'\0');
    DWORD n = GetFullPathNameW(Widen(path).c_str(), (DWORD)full.size(), &full[0], nullptr);
    full.resize(n < full.size() ? n : 0);
    for (wchar_t& c : full)
        c = c == L'/' ? L'\\' : c;
    size_t slash = full.rfind(L'\\');
    std::wstring folder = slash == std::wstring::npos ? std::wstring() : full.substr(0, slash + 1);
    std::wstring name = full.substr(folder.size());
    while (!name.empty() && (name.back() == L'.' || name.back() == L' '))
        name.pop_back();
    std::wstring longFolder(32768, L'\0');
    n = folder.empty() ? 0
                       : GetLongPathNameW(folder.c_str(), &longFolder[0], (DWORD)longFolder.size());
    if (n > 0 && n < longFolder.size()) folder = longFolder.substr(0, n);
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    std::wstring all = folder + name;
    for (wchar_t& c : all)
        c = (wchar_t)towlower(c);
    return all;
}

// The identity of an existing file (volume and file index), or false.
static bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    HANDLE h =
        CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}
#endif

bool SameFile(const std::string& a, const std::string& b)
{
#ifdef _WIN32
    if (ResolvedSpelling(a) == ResolvedSpelling(b)) return true;
    BY_HANDLE_FILE_INFORMATION x, y;
    return FileIdentity(a, x) && FileIdentity(b, y) &&
        x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
        x.nFileIndexLow == y.nFileIndexLow;
#else
    return a == b;
#endif
}

} // namespace quiltra
