// Chunked byte streams behind ISave and ILoad.
//
// A chunk is USHORT id, ULONG length (the header's 6 bytes included; the top bit marks a
// container of chunks) and its contents. A chunk holds either bytes or chunks, never both.
#pragma once

#include <list>
#include <string>
#include <vector>

#include "ioapi.h"

namespace host_io {

const ULONG kContainerBit = 0x80000000u;
const size_t kChunkHeader = 6;
const int kMaxDepth = 64;

class ChunkWriter : public ISave {
public:
    void BeginChunk(USHORT id) override;
    void EndChunk() override;
    int CurChunkDepth() override { return (int)open.size(); }
    IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;
    IOResult WriteWString(const char* str) override;
    IOResult WriteWString(const mwchar_t* str) override;
    IOResult WriteCString(const char* str) override;
    IOResult WriteCString(const mwchar_t* str) override;
    int GetRefID(void* ptarg) override;

    // What the scene writer tells the objects it saves.
    void SetRefIDs(std::vector<void*>* objects) { refIDs = objects; }

    // The bytes written; valid when Ok().
    std::vector<unsigned char>& Bytes() { return bytes; }
    // False when the object wrote bytes outside a chunk, mixed bytes and chunks, or left
    // chunks open.
    bool Ok() const { return error.empty() && open.empty(); }
    const std::wstring& Error() const { return error; }

private:
    struct Open {
        size_t start;
        bool hasChunks;
        bool hasBytes;
    };
    void Fail(const wchar_t* what);

    std::vector<unsigned char> bytes;
    std::vector<Open> open;
    std::wstring error;
    std::vector<void*>* refIDs = nullptr;
};

class ChunkReader : public ILoad {
public:
    // Reads the chunks in data[0 .. size); offsets in messages count from base.
    ChunkReader(const unsigned char* data, size_t size, size_t base);

    IOResult OpenChunk() override;
    USHORT CurChunkID() override;
    ChunkType CurChunkType() override;
    ULONGLONG CurChunkLength() override;
    int CurChunkDepth() override { return (int)open.size(); }
    IOResult CloseChunk() override;
    USHORT PeekNextChunkID() override;
    IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
    IOResult ReadWStringChunk(char** buf) override;
    IOResult ReadWStringChunk(mwchar_t** buf) override;
    IOResult ReadCStringChunk(char** buf) override;
    IOResult ReadCStringChunk(mwchar_t** buf) override;
    void SetObsolete() override { obsolete = true; }
    void RegisterPostLoadCallback(PostLoadCallback* cb) override;

    // The first fault met, with its byte offset (from base).
    bool Failed() const { return !error.empty(); }
    const std::wstring& Error() const { return error; }
    size_t ErrorOffset() const { return errorOffset; }
    // Position of the next byte to read, from base.
    size_t Offset() const { return base + pos; }
    // Contents of the open chunk (data and size), for the scene reader.
    const unsigned char* ChunkData() const;
    size_t ChunkSize() const;
    size_t ChunkOffset() const; // from base, of the contents
    std::vector<PostLoadCallback*>& Callbacks() { return callbacks; }

private:
    struct Open {
        size_t start; // of the header
        size_t end; // one past the contents
        USHORT id;
        bool container;
    };
    IOResult Fail(size_t at, const std::wstring& what);
    size_t LevelEnd() const;

    const unsigned char* data;
    size_t size;
    size_t base;
    size_t pos = 0;
    std::vector<Open> open;
    std::wstring error;
    size_t errorOffset = 0;
    bool obsolete = false;
    std::list<std::wstring> wideStrings; // buffers handed out by the string reads
    std::list<std::string> narrowStrings;
    std::vector<PostLoadCallback*> callbacks;
};

} // namespace host_io
