/*
 * platform.h: the few operating-system services that the pure modules
 * (text, files, XML, configuration, tree, parsers) need.
 *
 * The product uses platform_win.cpp, which calls Win32 directly.  The
 * native test and fuzz builds use platform_posix.cpp, which gives the
 * same behaviour on Linux (paths still use backslashes in memory; the
 * POSIX side turns them into slashes at the system call).
 *
 * This is a seam, not a portability layer: window, process and registry
 * code calls Win32 itself and is never built natively.
 */
#ifndef KESTRUM_CORE_PLATFORM_H
#define KESTRUM_CORE_PLATFORM_H

#include <stddef.h>
#include <stdint.h>
#include <stdarg.h>

/* Zero-filled heap block, or null when the heap is exhausted. */
void *PlatHeapAlloc(size_t bytes);
/* Resized block, bytes beyond the old size zero; null on exhaustion
 * (the old block is then still valid). */
void *PlatHeapRealloc(void *block, size_t bytes);
void PlatHeapFree(void *block);

/* Error box without owner, caption "Kestrum"; then the process ends. */
void PlatFatalError(const wchar_t *text, int exitCode);

/* Locale-aware case-insensitive order; 0 means equal. */
int PlatCompareNoCase(const wchar_t *a, const wchar_t *b);
wchar_t PlatCharLower(wchar_t c);
/* Equal ignoring case in the invariant locale (CompareStringW with
 * LOCALE_INVARIANT and NORM_IGNORECASE); lengths in characters. */
bool PlatEqualInvariantNoCase(const wchar_t *a, int aLen, const wchar_t *b, int bLen);
/* wvsprintfW conventions; out holds at least 1025 characters, at most
 * 1024 are written before the terminating zero.  Returns the count. */
int PlatFormatV(wchar_t *out, const wchar_t *format, va_list args);

enum { PLAT_CP_ACP = 0, PLAT_CP_UTF8 = 65001 };
enum { PLAT_MB_ERR_INVALID_CHARS = 8 };
/* MultiByteToWideChar / WideCharToMultiByte: with a zero capacity the
 * needed count is returned.  0 means failure (or empty input). */
int PlatMultiByteToWide(int codePage, int flags, const char *src, int srcBytes,
                        wchar_t *dst, int dstChars);
int PlatWideToMultiByte(int codePage, const wchar_t *src, int srcChars,
                        char *dst, int dstBytes);

/* Files.  A PlatFile is an opaque handle; null is "no file". */
typedef struct PlatFileRec *PlatFile;
PlatFile PlatFileOpenRead(const wchar_t *path);   /* shares read and write */
PlatFile PlatFileCreate(const wchar_t *path);     /* unshared, replaces */
bool PlatFileSize(PlatFile f, uint32_t *size);
bool PlatFileRead(PlatFile f, void *buf, uint32_t bytes, uint32_t *got);
bool PlatFileWrite(PlatFile f, const void *buf, uint32_t bytes, uint32_t *written);
bool PlatFileFlush(PlatFile f);
void PlatFileClose(PlatFile f);
/* A read-only view of the first size bytes of a file opened for
 * reading, with a zero after them; null when it cannot be made or no
 * zero would follow (the file ends a page).  The view outlives f. */
const char *PlatFileMapView(PlatFile f, uint32_t size);
void PlatFileUnmapView(const char *view, uint32_t size);
/* Attributes of a path: false when they cannot be read. */
bool PlatPathInfo(const wchar_t *path, bool *isDirectory);
/* Move over an existing target, written through (MoveFileExW flags 9). */
bool PlatFileReplace(const wchar_t *from, const wchar_t *to);
bool PlatFileDelete(const wchar_t *path);
/* Copy, replacing an older copy. */
bool PlatFileCopy(const wchar_t *from, const wchar_t *to);
bool PlatCreateDirectory(const wchar_t *path);

/* The executable's own path, cut to the capacity; 0 on failure. */
int PlatModulePath(wchar_t *buf, int cap);
/* Value of an environment variable; 0 when unset or too long. */
int PlatGetEnv(const wchar_t *name, wchar_t *buf, int cap);
/* Milliseconds since system start, wrapping at 32 bits. */
uint32_t PlatTickCount(void);

/* Data protection for the current user.  The output blob is released
 * with PlatBlobFree. */
bool PlatProtect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes);
bool PlatUnprotect(const void *data, uint32_t bytes, uint8_t **out, uint32_t *outBytes);
void PlatBlobFree(void *blob);
/* A new GUID in registry form ({8-4-4-4-12}, upper case) into buf of at
 * least 64 characters; false when none can be made. */
bool PlatNewGuid(wchar_t *buf, int cap);

#endif
