/*
 * files.cpp: paths, whole-file reading and atomic writing.
 */
#include "files.h"
#include "platform.h"
#include "text.h"

void PathDirectory(const wchar_t *path, wchar_t *out, int size)
{
    if (size <= 0)
        return;
    const wchar_t *slash = StrFindLastChar(path, '\\');
    int n = slash ? (int)(slash - path) : 0;
    if (n > size - 1)
        n = size - 1;
    MemCopy(out, path, (size_t)n * sizeof(wchar_t));
    out[n] = 0;
}

void PathJoin(wchar_t *out, int size, const wchar_t *dir, const wchar_t *name)
{
    if (size <= 0)
        return;
    StrCopyTo(out, size, dir);
    int n = StrLen(out);
    if (n > 0 && n < size - 1 && out[n - 1] != '\\') {
        out[n++] = '\\';
        out[n] = 0;
    }
    StrCopyTo(out + n, size - n, name);
}

bool PathWithSuffix(wchar_t *out, const wchar_t *path, const wchar_t *suffix)
{
    int n = StrLen(path);
    if (n + StrLen(suffix) >= KPATH) {
        out[0] = 0;
        return false;
    }
    StrCopyTo(out, KPATH, path);
    StrCopyTo(out + n, KPATH - n, suffix);
    return true;
}

bool FileExists(const wchar_t *path)
{
    bool dir = false;
    return path && PlatPathInfo(path, &dir) && !dir;
}

bool ReadWholeFile(const wchar_t *path, char **data, int *bytes)
{
    *data = NULL;
    *bytes = 0;
    PlatFile f = PlatFileOpenRead(path);
    if (!f)
        return false;
    uint32_t size = 0;
    bool ok = PlatFileSize(f, &size) && size <= (uint32_t)READ_LIMIT;
    if (ok) {
        char *buf = (char *)MemAlloc((size_t)size + 2);
        uint32_t got = 0;
        if (size && !PlatFileRead(f, buf, size, &got)) {
            MemFree(buf);
            ok = false;
        } else {
            *data = buf;
            *bytes = (int)got;
        }
    }
    PlatFileClose(f);
    return ok;
}

bool FileBytesOpen(FileBytes *f, const wchar_t *path)
{
    f->Data = f->Copy = NULL;
    f->Count = 0;
    PlatFile file = PlatFileOpenRead(path);
    if (!file)
        return false;
    uint32_t size = 0;
    if (PlatFileSize(file, &size) && size <= (uint32_t)READ_LIMIT)
        f->Data = PlatFileMapView(file, size);
    PlatFileClose(file);
    if (f->Data) {
        f->Count = (int)size;
        return true;
    }
    if (!ReadWholeFile(path, &f->Copy, &f->Count))
        return false;
    f->Data = f->Copy;
    return true;
}

void FileBytesClose(FileBytes *f)
{
    if (f->Copy) {
        MemWipe(f->Copy, (size_t)f->Count);
        MemFree(f->Copy);
    } else if (f->Data) {
        PlatFileUnmapView(f->Data, (uint32_t)f->Count);
    }
    f->Data = f->Copy = NULL;
}

bool AtomicFileOpen(AtomicFile *f, const wchar_t *path)
{
    f->File = NULL;
    f->Good = false;
    if (!PathWithSuffix(f->Tmp, path, L".tmp"))
        return false;
    StrCopyTo(f->Path, KPATH, path);
    f->File = PlatFileCreate(f->Tmp);
    f->Good = f->File != NULL;
    return f->Good;
}

void AtomicFileWrite(AtomicFile *f, const void *data, uint32_t bytes)
{
    uint32_t written = 0;
    if (f->Good && bytes > 0)
        f->Good = PlatFileWrite(f->File, data, bytes, &written) && written == bytes;
}

bool AtomicFileFinish(AtomicFile *f)
{
    if (!f->File)
        return false;
    bool flushed = PlatFileFlush(f->File);
    PlatFileClose(f->File);
    f->File = NULL;
    if (f->Good && flushed && PlatFileReplace(f->Tmp, f->Path))
        return true;
    PlatFileDelete(f->Tmp);
    return false;
}

bool WriteFileAtomic(const wchar_t *path, const void *data, int bytes)
{
    AtomicFile f;
    if (!AtomicFileOpen(&f, path))
        return false;
    AtomicFileWrite(&f, data, (uint32_t)bytes);
    return AtomicFileFinish(&f);
}
