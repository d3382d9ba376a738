/*
 * putty_discovery.cpp: PuTTY's executable, version and saved sessions.
 */
#include "putty_discovery.h"

#include <windows.h>

#include "../config/settings.h"
#include "../core/files.h"
#include "../core/text.h"
#include "putty_sessions.h"

const wchar_t PuttySessionsKey[] = L"Software\\SimonTatham\\PuTTY\\Sessions";
const wchar_t KittySessionsKey[] = L"Software\\9bis.com\\KiTTY\\Sessions";

static bool TryCandidate(wchar_t *out, int size, const wchar_t *dir, const wchar_t *name)
{
    wchar_t path[KPATH];
    PathJoin(path, KPATH, dir, name);
    if (!FileExists(path))
        return false;
    StrCopyTo(out, size, path);
    return true;
}

void LocatePuttyFrom(const wchar_t *programDir, wchar_t *out, int size)
{
    out[0] = 0;
    if (!StrIsEmpty(programDir) && TryCandidate(out, size, programDir, L"putty.exe"))
        return;
    static const wchar_t *const vars[] = { L"ProgramW6432", L"ProgramFiles", L"ProgramFiles(x86)" };
    for (const wchar_t *var : vars) {
        wchar_t dir[KPATH];
        DWORD n = GetEnvironmentVariableW(var, dir, KPATH);
        if (n > 0 && n < KPATH && TryCandidate(out, size, dir, L"PuTTY\\putty.exe"))
            return;
    }
    static const wchar_t *const names[] = { L"putty.exe", L"kitty.exe" };
    for (const wchar_t *name : names) {
        wchar_t found[KPATH];
        DWORD n = SearchPathW(NULL, name, NULL, KPATH, found, NULL);
        if (n > 0 && n < KPATH && FileExists(found)) {
            StrCopyTo(out, size, found);
            return;
        }
    }
}

void LocatePutty(wchar_t *out, int size)
{
    wchar_t self[KPATH], dir[KPATH];
    dir[0] = 0;
    DWORD n = GetModuleFileNameW(NULL, self, KPATH);
    if (n > 0 && n < KPATH)
        PathDirectory(self, dir, KPATH);
    LocatePuttyFrom(dir, out, size);
}

bool ReadFileVersion(const wchar_t *path, int *major, int *minor)
{
    *major = *minor = 0;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return false;
    void *info = MemAlloc(size);
    bool ok = false;
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT len = 0;
    if (GetFileVersionInfoW(path, 0, size, info) &&
        VerQueryValueW(info, L"\\", (void **)&fixed, &len) && fixed && len >= sizeof(VS_FIXEDFILEINFO)) {
        *major = HIWORD(fixed->dwFileVersionMS);
        *minor = LOWORD(fixed->dwFileVersionMS);
        ok = true;
    }
    MemFree(info);
    return ok;
}

void ReadPuttyVersion(void)
{
    ReadFileVersion(Settings.PuttyPath, &PuttyVersionMajor, &PuttyVersionMinor);
}

static void AddStoredName(const wchar_t *stored)
{
    wchar_t *name = DecodeSessionName(stored);
    AddPuttySession(name);
    MemFree(name);
}

void EnumerateSessionKey(const wchar_t *keyPath)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; i++) {
        wchar_t name[512];
        DWORD len = 512;
        if (RegEnumKeyExW(key, i, name, &len, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
            break;
        AddStoredName(name);
    }
    RegCloseKey(key);
}

/* A portable KiTTY keeps one file per saved session in "Sessions". */
static void EnumerateSessionFolder(const wchar_t *exePath)
{
    wchar_t dir[KPATH], pattern[KPATH];
    PathDirectory(exePath, dir, KPATH);
    PathJoin(pattern, KPATH, dir, L"Sessions\\*");
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            AddStoredName(fd.cFileName);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

void LoadPuttySessions(void)
{
    ResetPuttySessionsFolder();
    EnumerateSessionKey(PuttySessionsKey);
    if (PuttyPathIsKitty(Settings.PuttyPath)) {
        EnumerateSessionKey(KittySessionsKey);
        EnumerateSessionFolder(Settings.PuttyPath);
    }
    SortPuttySessionsFolder();
}
