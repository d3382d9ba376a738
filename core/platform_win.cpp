/*
 * platform_win.cpp: the platform seam on Windows.
 */
#include <windows.h>
#include <wincrypt.h>
#include <objbase.h>

#include "platform.h"

void *PlatHeapAlloc(size_t bytes)
{
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

void *PlatHeapRealloc(void *block, size_t bytes)
{
    return HeapReAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, block, bytes);
}

void PlatHeapFree(void *block)
{
    HeapFree(GetProcessHeap(), 0, block);
}

void PlatFatalError(const wchar_t *text, int exitCode)
{
    MessageBoxW(NULL, text, L"Kestrum", MB_ICONERROR);
    ExitProcess((UINT)exitCode);
}

int PlatCompareNoCase(const wchar_t *a, const wchar_t *b)
{
    return lstrcmpiW(a, b);
}

wchar_t PlatCharLower(wchar_t c)
{
    /* CharLowerW takes a single character in the low word of its pointer. */
    return (wchar_t)(UINT_PTR)CharLowerW((LPWSTR)(UINT_PTR)c);
}

bool PlatEqualInvariantNoCase(const wchar_t *a, int aLen, const wchar_t *b, int bLen)
{
    /* The invariant locale (0x7F, known since XP): under the user's
     * locale (LCID 0 means that one) a Turkish or Azeri "i" does not
     * match "I", and {wait}, {right} or {ins} would be typed as text. */
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, aLen, b, bLen) == CSTR_EQUAL;
}

int PlatFormatV(wchar_t *out, const wchar_t *format, va_list args)
{
    return wvsprintfW(out, format, args);
}

int PlatMultiByteToWide(int codePage, int flags, const char *src, int srcBytes,
                        wchar_t *dst, int dstChars)
{
    return MultiByteToWideChar((UINT)codePage, (DWORD)flags, src, srcBytes, dst, dstChars);
}

int PlatWideToMultiByte(int codePage, const wchar_t *src, int srcChars,
                        char *dst, int dstBytes)
{
    return WideCharToMultiByte((UINT)codePage, 0, src, srcChars, dst, dstBytes, NULL, NULL);
}

static PlatFile FromHandle(HANDLE h)
{
    return h == INVALID_HANDLE_VALUE ? NULL : (PlatFile)h;
}

PlatFile PlatFileOpenRead(const wchar_t *path)
{
    return FromHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
}

PlatFile PlatFileCreate(const wchar_t *path)
{
    return FromHandle(CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL));
}

bool PlatFileSize(PlatFile f, uint32_t *size)
{
    DWORD high = 0;
    DWORD low = GetFileSize((HANDLE)f, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    if (high != 0)
        return false;
    *size = low;
    return true;
}

bool PlatFileRead(PlatFile f, void *buf, uint32_t bytes, uint32_t *got)
{
    DWORD n = 0;
    BOOL ok = ReadFile((HANDLE)f, buf, bytes, &n, NULL);
    *got = n;
    return ok != FALSE;
}

bool PlatFileWrite(PlatFile f, const void *buf, uint32_t bytes, uint32_t *written)
{
    DWORD n = 0;
    BOOL ok = WriteFile((HANDLE)f, buf, bytes, &n, NULL);
    *written = n;
    return ok != FALSE;
}

bool PlatFileFlush(PlatFile f)
{
    return FlushFileBuffers((HANDLE)f) != FALSE;
}

void PlatFileClose(PlatFile f)
{
    CloseHandle((HANDLE)f);
}

/* The rest of a view's last page past the end of the file reads as zero. */
const char *PlatFileMapView(PlatFile f, uint32_t size)
{
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    if (size == 0 || size % si.dwPageSize == 0)
        return NULL;
    HANDLE mapping = CreateFileMappingW((HANDLE)f, NULL, PAGE_READONLY, 0, size, NULL);
    if (!mapping)
        return NULL;
    const char *view = (const char *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
    CloseHandle(mapping);
    /* a file grown since its size was read has no zero there */
    if (view && view[size] != 0) {
        UnmapViewOfFile(view);
        view = NULL;
    }
    return view;
}

void PlatFileUnmapView(const char *view, uint32_t)
{
    UnmapViewOfFile(view);
}

bool PlatPathInfo(const wchar_t *path, bool *isDirectory)
{
    DWORD a = GetFileAttributesW(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return false;
    *isDirectory = (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return true;
}

bool PlatFileReplace(const wchar_t *from, const wchar_t *to)
{
    /* Windows refuses to replace a read-only file; Wine does not.  Say
     * no ourselves so that a file the user protected stays as it is. */
    DWORD a = GetFileAttributesW(to);
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool PlatFileDelete(const wchar_t *path)
{
    return DeleteFileW(path) != FALSE;
}

bool PlatFileCopy(const wchar_t *from, const wchar_t *to)
{
    return CopyFileW(from, to, FALSE) != FALSE;
}

bool PlatCreateDirectory(const wchar_t *path)
{
    return CreateDirectoryW(path, NULL) != FALSE;
}

int PlatModulePath(wchar_t *buf, int cap)
{
    DWORD n = GetModuleFileNameW(NULL, buf, (DWORD)cap);
    if (cap > 0)
        buf[cap - 1] = 0;
    return (int)n;
}

int PlatGetEnv(const wchar_t *name, wchar_t *buf, int cap)
{
    DWORD n = GetEnvironmentVariableW(name, buf, (DWORD)cap);
    if (n == 0 || n >= (DWORD)cap) {
        if (cap > 0)
            buf[0] = 0;
        return 0;
    }
    return (int)n;
}

uint32_t PlatTickCount(void)
{
    return GetTickCount();
}

static bool BlobResult(BOOL ok, DATA_BLOB *blob, uint8_t **out, uint32_t *outBytes)
{
    if (!ok)
        return false;
    *out = blob->pbData;
    *outBytes = blob->cbData;
    return true;
}

bool PlatProtect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes)
{
    DATA_BLOB in = { bytes, (BYTE *)data };
    DATA_BLOB res = { 0, NULL };
    BOOL ok = CryptProtectData(&in, L"Kestrum", NULL, NULL, NULL,
                               CRYPTPROTECT_UI_FORBIDDEN, &res);
    return BlobResult(ok, &res, out, outBytes);
}

bool PlatUnprotect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes)
{
    DATA_BLOB in = { bytes, (BYTE *)data };
    DATA_BLOB res = { 0, NULL };
    BOOL ok = CryptUnprotectData(&in, NULL, NULL, NULL, NULL,
                                 CRYPTPROTECT_UI_FORBIDDEN, &res);
    return BlobResult(ok, &res, out, outBytes);
}

void PlatBlobFree(void *blob)
{
    LocalFree(blob);
}

bool PlatNewGuid(wchar_t *buf, int cap)
{
    GUID g;
    if (CoCreateGuid(&g) != S_OK)
        return false;
    return StringFromGUID2(g, buf, cap) != 0;
}
