/*
 * files.h: paths, whole-file reading and atomic writing.
 *
 * Path buffers hold KPATH (260) characters, the platform's MAX_PATH.
 */
#ifndef KESTRUM_CORE_FILES_H
#define KESTRUM_CORE_FILES_H

#include <stdint.h>

#include "platform.h"

enum { KPATH = 260, READ_LIMIT = 67108864 };

/* The part before the last backslash; "" when there is none. */
void PathDirectory(const wchar_t *path, wchar_t *out, int size);
/* dir + "\" (when needed) + name, cut to size. */
void PathJoin(wchar_t *out, int size, const wchar_t *dir, const wchar_t *name);
/* path + suffix (".tmp", ".bak", ".broken") into a KPATH buffer; false,
 * and out empty, when the whole name does not fit: a shortened one would
 * name another file, or the path itself. */
bool PathWithSuffix(wchar_t *out, const wchar_t *path, const wchar_t *suffix);
/* True for an existing path that is not a directory. */
bool FileExists(const wchar_t *path);

/* The whole file, followed by two zero bytes; at most 64 MiB.  The
 * caller frees *data with MemFree. */
bool ReadWholeFile(const wchar_t *path, char **data, int *bytes);
/* A whole file to read, followed by a zero: a view of the file where
 * one can be made (the system then reads only what is looked at),
 * else ReadWholeFile's copy, wiped when closed.  At most 64 MiB. */
struct FileBytes {
    const char *Data;
    int Count;
    char *Copy;
};
bool FileBytesOpen(FileBytes *f, const wchar_t *path);
void FileBytesClose(FileBytes *f);
/* Writes path + ".tmp", flushes, then moves it over path.  On failure
 * the target is untouched and no ".tmp" remains.  Paths of 256 or more
 * characters fail before anything is created. */
bool WriteFileAtomic(const wchar_t *path, const void *data, int bytes);

/* WriteFileAtomic in pieces, for texts composed while they are written:
 * open, write any number of times, then finish, which replaces the
 * target only when every write succeeded. */
struct AtomicFile {
    PlatFile File;
    bool Good;
    wchar_t Path[KPATH];
    wchar_t Tmp[KPATH];
};
bool AtomicFileOpen(AtomicFile *f, const wchar_t *path);
void AtomicFileWrite(AtomicFile *f, const void *data, uint32_t bytes);
bool AtomicFileFinish(AtomicFile *f);

#endif
