/*
 * password_file.cpp: the temporary password file.
 */
#include <windows.h>

#include "../core/text.h"
#include "password_file.h"

bool WritePasswordFile(const wchar_t *password, wchar_t *path)
{
    wchar_t dir[KPATH];
    path[0] = 0;
    DWORD n = GetTempPathW(KPATH, dir);
    if (n == 0 || n >= KPATH || !GetTempFileNameW(dir, L"ksw", 0, path)) {
        path[0] = 0;
        return false;
    }
    /* The file exists already; not every file system applies the
     * attributes of CREATE_ALWAYS to it, so mark it first as well. */
    SetFileAttributesW(path, FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN);
    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN, NULL);
    bool ok = false;
    if (f != INVALID_HANDLE_VALUE) {
        int bytes = 0;
        char *utf8 = Utf8FromWide(password, &bytes);
        DWORD written = 0;
        ok = WriteFile(f, utf8, (DWORD)bytes, &written, NULL) && written == (DWORD)bytes;
        MemWipe(utf8, (size_t)bytes);
        MemFree(utf8);
        CloseHandle(f);
    }
    if (!ok) {
        /* GetTempFileNameW created the file; hidden files may need their
         * attributes cleared before they can go. */
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path);
        path[0] = 0;
    }
    return ok;
}
