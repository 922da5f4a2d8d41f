#include "objdb/qelsqlitevfs.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <mutex>

namespace {

sqlite3_vfs* g_base = nullptr;
sqlite3_vfs g_vfs;

// Our file comes first; the platform's file lives behind it in the same allocation.
struct TGatherFile {
    sqlite3_file head;
    sqlite3_file* real;
    bool gather; // main database files only: journals are written little and synced often
    bool shared; // a WAL's shared memory is in use: others may write while we read
    char* buf;
    sqlite3_int64 start;
    int len;
    // Read ahead, once reads run on from one page to the next (the pages of a large content).
    char* ahead;
    sqlite3_int64 aheadStart;
    int aheadLen;
    sqlite3_int64 lastReadEnd;
};

constexpr std::size_t kRealOffset = (sizeof(TGatherFile) + 15) & ~std::size_t { 15 };

TGatherFile* self(sqlite3_file* f)
{
    return reinterpret_cast<TGatherFile*>(f);
}

sqlite3_file* real(sqlite3_file* f)
{
    return self(f)->real;
}

// What was read ahead is valid only until the file changes or its lock does.
void forgetAhead(sqlite3_file* f)
{
    self(f)->aheadLen = 0;
    self(f)->lastReadEnd = -1;
}

int flush(sqlite3_file* f)
{
    TGatherFile* p = self(f);
    forgetAhead(f);
    if (p->len == 0)
        return SQLITE_OK;
    const int n = p->len;
    p->len = 0;
    return p->real->pMethods->xWrite(p->real, p->buf, n, p->start);
}

int xClose(sqlite3_file* f)
{
    TGatherFile* p = self(f);
    const int flushed = flush(f);
    const int rc = p->real->pMethods->xClose(p->real);
    sqlite3_free(p->buf);
    sqlite3_free(p->ahead);
    p->buf = nullptr;
    p->ahead = nullptr;
    return flushed != SQLITE_OK ? flushed : rc;
}

// Serves a read from the read-ahead block, filling it when reads run on sequentially.
bool readAhead(sqlite3_file* f, void* out, int amt, sqlite3_int64 off)
{
    TGatherFile* p = self(f);
    if (p->aheadLen > 0 && off >= p->aheadStart && off + amt <= p->aheadStart + p->aheadLen) {
        std::memcpy(out, p->ahead + (off - p->aheadStart), static_cast<std::size_t>(amt));
        p->lastReadEnd = off + amt;
        return true;
    }
    const bool sequential = off == p->lastReadEnd;
    p->lastReadEnd = off + amt;
    // Random reads (a search through a tree) go page by page: reading ahead would only cost.
    if (!sequential || amt > QelGatherBytes / 2)
        return false;
    sqlite3_int64 size = 0;
    if (p->real->pMethods->xFileSize(p->real, &size) != SQLITE_OK || off + amt > size)
        return false;
    if (!p->ahead && !(p->ahead = static_cast<char*>(sqlite3_malloc(QelGatherBytes))))
        return false;
    const int n = static_cast<int>(std::min<sqlite3_int64>(QelGatherBytes, size - off));
    p->aheadLen = 0;
    if (p->real->pMethods->xRead(p->real, p->ahead, n, off) != SQLITE_OK)
        return false;
    p->aheadStart = off;
    p->aheadLen = n;
    std::memcpy(out, p->ahead, static_cast<std::size_t>(amt));
    return true;
}

int xRead(sqlite3_file* f, void* out, int amt, sqlite3_int64 off)
{
    TGatherFile* p = self(f);
    if (p->len > 0)
        if (int rc = flush(f); rc != SQLITE_OK)
            return rc;
    if (p->gather && !p->shared && readAhead(f, out, amt, off))
        return SQLITE_OK;
    return p->real->pMethods->xRead(p->real, out, amt, off);
}

int xWrite(sqlite3_file* f, const void* data, int amt, sqlite3_int64 off)
{
    TGatherFile* p = self(f);
    forgetAhead(f);
    if (p->gather && amt <= QelGatherBytes) {
        if (p->len > 0 && off == p->start + p->len && p->len + amt <= QelGatherBytes) {
            std::memcpy(p->buf + p->len, data, static_cast<std::size_t>(amt));
            p->len += amt;
            return SQLITE_OK;
        }
        if (int rc = flush(f); rc != SQLITE_OK)
            return rc;
        if (!p->buf)
            p->buf = static_cast<char*>(sqlite3_malloc(QelGatherBytes));
        if (p->buf) {
            std::memcpy(p->buf, data, static_cast<std::size_t>(amt));
            p->start = off;
            p->len = amt;
            return SQLITE_OK;
        }
    }
    if (int rc = flush(f); rc != SQLITE_OK)
        return rc;
    return p->real->pMethods->xWrite(p->real, data, amt, off);
}

// Every other operation flushes first and then hands over to the platform's file.
template <auto Method, class... A> int pass(sqlite3_file* f, A... args)
{
    if (int rc = flush(f); rc != SQLITE_OK)
        return rc;
    return (real(f)->pMethods->*Method)(real(f), args...);
}

int xTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return pass<&sqlite3_io_methods::xTruncate>(f, size);
}
int xSync(sqlite3_file* f, int flags)
{
    return pass<&sqlite3_io_methods::xSync>(f, flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return pass<&sqlite3_io_methods::xFileSize>(f, size);
}
int xLock(sqlite3_file* f, int lock)
{
    return pass<&sqlite3_io_methods::xLock>(f, lock);
}
int xUnlock(sqlite3_file* f, int lock)
{
    return pass<&sqlite3_io_methods::xUnlock>(f, lock);
}
int xCheckReservedLock(sqlite3_file* f, int* out)
{
    return pass<&sqlite3_io_methods::xCheckReservedLock>(f, out);
}
int xFileControl(sqlite3_file* f, int op, void* arg)
{
    return pass<&sqlite3_io_methods::xFileControl>(f, op, arg);
}
int xSectorSize(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out)
{
    if (real(f)->pMethods->iVersion < 2)
        return SQLITE_IOERR_SHMMAP;
    self(f)->shared = true;
    return pass<&sqlite3_io_methods::xShmMap>(f, page, size, extend, out);
}
int xShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return pass<&sqlite3_io_methods::xShmLock>(f, offset, n, flags);
}
void xShmBarrier(sqlite3_file* f)
{
    flush(f);
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return pass<&sqlite3_io_methods::xShmUnmap>(f, deleteFlag);
}
int xFetch(sqlite3_file* f, sqlite3_int64 off, int amt, void** out)
{
    *out = nullptr;
    if (real(f)->pMethods->iVersion < 3)
        return flush(f);
    return pass<&sqlite3_io_methods::xFetch>(f, off, amt, out);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 off, void* p)
{
    if (real(f)->pMethods->iVersion < 3)
        return SQLITE_OK;
    return real(f)->pMethods->xUnfetch(real(f), off, p);
}

const sqlite3_io_methods kMethods = { 3, xClose, xRead, xWrite, xTruncate, xSync, xFileSize, xLock, xUnlock,
    xCheckReservedLock, xFileControl, xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock, xShmBarrier,
    xShmUnmap, xFetch, xUnfetch };

int xOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    TGatherFile* p = self(f);
    std::memset(p, 0, sizeof *p);
    p->real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(f) + kRealOffset);
    p->gather = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    p->lastReadEnd = -1;
    const int rc = g_base->xOpen(g_base, name, p->real, flags, outFlags);
    // SQLite closes a file whose methods are set even when opening failed.
    p->head.pMethods = p->real->pMethods ? &kMethods : nullptr;
    return rc;
}

} // namespace

const char* QelGatherVfsName()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_base = sqlite3_vfs_find(nullptr);
        // Everything but opening is the platform's own.
        g_vfs = *g_base;
        g_vfs.zName = "qel-gather";
        g_vfs.szOsFile = static_cast<int>(kRealOffset) + g_base->szOsFile;
        g_vfs.xOpen = xOpen;
        g_vfs.pNext = nullptr;
        sqlite3_vfs_register(&g_vfs, 0);
    });
    return g_vfs.zName;
}
