// Saving and loading: objects write their own data as chunks (an id and a length around the
// bytes, nestable) and read them back in the same order.
#pragma once

#include "maxtypes.h"

class ILoad;

enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };
enum ChunkType { UNKNOWN_CHUNK, CONTAINER_CHUNK, DATA_CHUNK };

class ISave {
public:
    virtual ~ISave() { }
    // Opens a chunk inside the current one; EndChunk closes it.
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    virtual int CurChunkDepth() = 0;
    // Writes nbytes of buf into the current chunk; nwrit receives the count written.
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
    // Zero-terminated strings, stored wide or as 8-bit (UTF-8) characters.
    virtual IOResult WriteWString(const char* str) = 0;
    virtual IOResult WriteWString(const mwchar_t* str) = 0;
    virtual IOResult WriteCString(const char* str) = 0;
    virtual IOResult WriteCString(const mwchar_t* str) = 0;
    // The scene index of an object saved with this file, or -1.
    virtual int GetRefID(void* ptarg) = 0;
};

class PostLoadCallback {
public:
    virtual ~PostLoadCallback() { }
    virtual void proc(ILoad* iload) = 0;
    virtual int Priority() { return 5; }
};

class ILoad {
public:
    virtual ~ILoad() { }
    // Opens the next chunk at the current level: IO_OK, or IO_END when the level has no more.
    virtual IOResult OpenChunk() = 0;
    virtual USHORT CurChunkID() = 0;
    virtual ChunkType CurChunkType() = 0;
    // Bytes of the open chunk's contents (without its header).
    virtual ULONGLONG CurChunkLength() = 0;
    virtual int CurChunkDepth() = 0;
    // Closes the open chunk, skipping what was not read.
    virtual IOResult CloseChunk() = 0;
    // The id of the next chunk at this level without opening it; 0 when there is none.
    virtual USHORT PeekNextChunkID() = 0;
    // Reads nbytes of the open data chunk; IO_ERROR when fewer remain (nread tells how many).
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
    // The whole open chunk as a zero-terminated string; the buffer belongs to the loader and
    // stays valid until the load ends.
    virtual IOResult ReadWStringChunk(char** buf) = 0;
    virtual IOResult ReadWStringChunk(mwchar_t** buf) = 0;
    virtual IOResult ReadCStringChunk(char** buf) = 0;
    virtual IOResult ReadCStringChunk(mwchar_t** buf) = 0;
    virtual void SetObsolete() = 0;
    virtual void RegisterPostLoadCallback(PostLoadCallback* cb) = 0;
};
