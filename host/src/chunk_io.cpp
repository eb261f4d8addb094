#include "chunk_io.h"

#include <string.h>

#include <algorithm>

#include "text_convert.h"

namespace host_io {

namespace {
void PutU16(std::vector<unsigned char>& b, USHORT v)
{
    b.push_back((unsigned char)(v & 0xff));
    b.push_back((unsigned char)(v >> 8));
}
void PutU32At(std::vector<unsigned char>& b, size_t at, ULONG v)
{
    for (int i = 0; i < 4; ++i)
        b[at + (size_t)i] = (unsigned char)((v >> (8 * i)) & 0xff);
}
USHORT GetU16(const unsigned char* p) { return (USHORT)(p[0] | (p[1] << 8)); }
ULONG GetU32(const unsigned char* p)
{
    return (ULONG)p[0] | ((ULONG)p[1] << 8) | ((ULONG)p[2] << 16) | ((ULONG)p[3] << 24);
}
} // namespace

// ChunkWriter

void ChunkWriter::Fail(const wchar_t* what)
{
    if (error.empty()) error = what;
}

void ChunkWriter::BeginChunk(USHORT id)
{
    if (!open.empty()) {
        if (open.back().hasBytes) Fail(L"a chunk holds both bytes and chunks");
        open.back().hasChunks = true;
    }
    if ((int)open.size() >= kMaxDepth) Fail(L"chunks nested too deep");
    open.push_back(Open {bytes.size(), false, false});
    PutU16(bytes, id);
    bytes.insert(bytes.end(), 4, 0);
}

void ChunkWriter::EndChunk()
{
    if (open.empty()) {
        Fail(L"EndChunk without BeginChunk");
        return;
    }
    Open o = open.back();
    open.pop_back();
    size_t length = bytes.size() - o.start;
    if (length >= kContainerBit) {
        Fail(L"chunk larger than 2 GB");
        return;
    }
    PutU32At(bytes, o.start + 2, (ULONG)length | (o.hasChunks ? kContainerBit : 0));
}

IOResult ChunkWriter::Write(const void* buf, ULONG nbytes, ULONG* nwrit)
{
    if (nwrit) *nwrit = 0;
    if (open.empty()) {
        Fail(L"bytes written outside a chunk");
        return IO_ERROR;
    }
    if (open.back().hasChunks) {
        Fail(L"a chunk holds both chunks and bytes");
        return IO_ERROR;
    }
    if (nbytes && !buf) return IO_ERROR;
    open.back().hasBytes = true;
    const unsigned char* b = static_cast<const unsigned char*>(buf);
    bytes.insert(bytes.end(), b, b + nbytes);
    if (nwrit) *nwrit = nbytes;
    return IO_OK;
}

IOResult ChunkWriter::WriteWString(const mwchar_t* str)
{
    if (!str) str = L"";
    ULONG n = 0;
    return Write(str, (ULONG)((wcslen(str) + 1) * sizeof(mwchar_t)), &n);
}

IOResult ChunkWriter::WriteWString(const char* str)
{
    std::wstring w = host_text::FromUTF8(str ? str : "");
    return WriteWString(w.c_str());
}

IOResult ChunkWriter::WriteCString(const char* str)
{
    if (!str) str = "";
    ULONG n = 0;
    return Write(str, (ULONG)(strlen(str) + 1), &n);
}

IOResult ChunkWriter::WriteCString(const mwchar_t* str)
{
    std::string s = host_text::ToUTF8(str ? str : L"");
    return WriteCString(s.c_str());
}

int ChunkWriter::GetRefID(void* ptarg)
{
    if (!refIDs || !ptarg) return -1;
    auto it = std::find(refIDs->begin(), refIDs->end(), ptarg);
    return it == refIDs->end() ? -1 : (int)(it - refIDs->begin());
}

// ChunkReader

ChunkReader::ChunkReader(const unsigned char* d, size_t s, size_t b) : data(d), size(s), base(b) { }

IOResult ChunkReader::Fail(size_t at, const std::wstring& what)
{
    if (error.empty()) {
        error = what;
        errorOffset = base + at;
    }
    return IO_ERROR;
}

size_t ChunkReader::LevelEnd() const { return open.empty() ? size : open.back().end; }

IOResult ChunkReader::OpenChunk()
{
    if (Failed()) return IO_ERROR;
    if (!open.empty() && !open.back().container) {
        // A data chunk has no chunks inside: nothing more at this level.
        return IO_END;
    }
    size_t end = LevelEnd();
    if (pos == end) return IO_END;
    if ((int)open.size() >= kMaxDepth) return Fail(pos, L"chunks nested too deep");
    if (end - pos < kChunkHeader)
        return Fail(pos,
                    host_text::Format(L"chunk header cut short (%u bytes left of 6)",
                                      (unsigned)(end - pos)));
    USHORT id = GetU16(data + pos);
    ULONG raw = GetU32(data + pos + 2);
    bool container = (raw & kContainerBit) != 0;
    size_t length = raw & ~kContainerBit;
    if (length < kChunkHeader)
        return Fail(pos,
                    host_text::Format(L"chunk 0x%04x has length %u, less than its header", id,
                                      (unsigned)length));
    if (length > end - pos)
        return Fail(pos,
                    host_text::Format(L"chunk 0x%04x of %u bytes runs past the end of its "
                                      L"container (%u bytes left)",
                                      id, (unsigned)length, (unsigned)(end - pos)));
    open.push_back(Open {pos, pos + length, id, container});
    pos += kChunkHeader;
    return IO_OK;
}

USHORT ChunkReader::CurChunkID() { return open.empty() ? 0 : open.back().id; }

ChunkType ChunkReader::CurChunkType()
{
    if (open.empty()) return UNKNOWN_CHUNK;
    return open.back().container ? CONTAINER_CHUNK : DATA_CHUNK;
}

ULONGLONG ChunkReader::CurChunkLength()
{
    return open.empty() ? 0 : open.back().end - open.back().start - kChunkHeader;
}

IOResult ChunkReader::CloseChunk()
{
    if (open.empty()) return Fail(pos, L"CloseChunk without an open chunk");
    pos = open.back().end;
    open.pop_back();
    return Failed() ? IO_ERROR : IO_OK;
}

USHORT ChunkReader::PeekNextChunkID()
{
    if (!open.empty() && !open.back().container) return 0;
    size_t end = LevelEnd();
    if (end - pos < kChunkHeader) return 0;
    return GetU16(data + pos);
}

IOResult ChunkReader::Read(void* buf, ULONG nbytes, ULONG* nread)
{
    if (nread) *nread = 0;
    if (Failed()) return IO_ERROR;
    if (open.empty() || open.back().container)
        return Fail(pos, L"read of bytes outside a data chunk");
    size_t left = open.back().end - pos;
    size_t n = nbytes < left ? nbytes : left;
    if (n && buf) memcpy(buf, data + pos, n);
    pos += n;
    if (nread) *nread = (ULONG)n;
    if (n < nbytes)
        return Fail(pos,
                    host_text::Format(L"chunk 0x%04x ends after %u of %u bytes wanted",
                                      open.back().id, (unsigned)n, (unsigned)nbytes));
    return IO_OK;
}

const unsigned char* ChunkReader::ChunkData() const
{
    return open.empty() ? data : data + open.back().start + kChunkHeader;
}

size_t ChunkReader::ChunkSize() const
{
    return open.empty() ? size : open.back().end - open.back().start - kChunkHeader;
}

size_t ChunkReader::ChunkOffset() const
{
    return base + (open.empty() ? 0 : open.back().start + kChunkHeader);
}

IOResult ChunkReader::ReadWStringChunk(mwchar_t** buf)
{
    if (buf) *buf = NULL;
    if (Failed()) return IO_ERROR;
    if (open.empty() || open.back().container)
        return Fail(pos, L"string read outside a data chunk");
    size_t n = ChunkSize();
    if (n % 2) return Fail(ChunkOffset(), L"wide string chunk of an odd length");
    std::wstring s(n / 2, L'\0');
    if (n) memcpy(&s[0], ChunkData(), n);
    size_t zero = s.find(L'\0');
    if (zero != std::wstring::npos) s.resize(zero);
    pos = open.back().end;
    wideStrings.push_back(s);
    if (buf) *buf = &wideStrings.back()[0];
    return IO_OK;
}

IOResult ChunkReader::ReadWStringChunk(char** buf)
{
    mwchar_t* w = NULL;
    if (buf) *buf = NULL;
    IOResult r = ReadWStringChunk(&w);
    if (r != IO_OK) return r;
    narrowStrings.push_back(host_text::ToUTF8(w));
    if (buf) *buf = &narrowStrings.back()[0];
    return IO_OK;
}

IOResult ChunkReader::ReadCStringChunk(char** buf)
{
    if (buf) *buf = NULL;
    if (Failed()) return IO_ERROR;
    if (open.empty() || open.back().container)
        return Fail(pos, L"string read outside a data chunk");
    std::string s(reinterpret_cast<const char*>(ChunkData()), ChunkSize());
    size_t zero = s.find('\0');
    if (zero != std::string::npos) s.resize(zero);
    pos = open.back().end;
    narrowStrings.push_back(s);
    if (buf) *buf = &narrowStrings.back()[0];
    return IO_OK;
}

IOResult ChunkReader::ReadCStringChunk(mwchar_t** buf)
{
    char* c = NULL;
    if (buf) *buf = NULL;
    IOResult r = ReadCStringChunk(&c);
    if (r != IO_OK) return r;
    wideStrings.push_back(host_text::FromUTF8(c));
    if (buf) *buf = &wideStrings.back()[0];
    return IO_OK;
}

void ChunkReader::RegisterPostLoadCallback(PostLoadCallback* cb)
{
    if (cb) callbacks.push_back(cb);
}

} // namespace host_io
