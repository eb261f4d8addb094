#include "file_io.h"

#include <cstdio>
#include <cerrno>
#include <cstring>

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
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
    std::string s((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &s[0], n, nullptr, nullptr);
    return s;
}

static std::string LastErrorText()
{
    DWORD code = GetLastError();
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, (LPWSTR)&text, 0, nullptr);
    std::string s = text ? Narrow(text) : "error " + std::to_string(code);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.')) s.pop_back();
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

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    if (!FileExists(path)) throw InputError(path + ": no such file");
    std::FILE* f = OpenFile(path, "rb");
    if (!f) throw InputError(path + ": cannot open: " + LastErrorText());
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, f);
        bytes.insert(bytes.end(), buffer, buffer + n);
        if (n < sizeof buffer) break;
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) throw InputError(path + ": read error");
    return bytes;
}

bool FileExists(const std::string& path)
{
#ifdef _WIN32
    DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

static bool IsSeparator(char c) { return c == '/' || c == '\\'; }

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

void CreateParentDirectories(const std::string& path)
{
    std::string dir = DirectoryOf(path);
    while (!dir.empty() && IsSeparator(dir.back())) dir.pop_back();
    if (dir.empty() || dir.back() == ':' || IsDirectory(dir)) return;
    CreateParentDirectories(dir);
    if (!MakeDirectory(dir)) throw InputError(dir + ": cannot create folder: " + LastErrorText());
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
    if (!committed_)
        for (const Entry& e : entries_) RemoveFileQuietly(e.temporary);
}

std::string OutputFiles::StageName(const std::string& path)
{
    CreateParentDirectories(path);
    if (IsDirectory(path)) throw InputError(path + ": is a folder, not a file name");
    Entry e{path, TemporaryNameFor(path)};
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

}  // namespace quiltra
