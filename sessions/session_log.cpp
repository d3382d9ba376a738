/*
 * session_log.cpp: session logs and their reading.
 */
#include <windows.h>

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"
#include "key_script.h"
#include "output_watch.h"
#include "putty_sessions.h"
#include "session.h"
#include "session_log.h"

/* Private logs are "kestrum-<process id>-<session id>.log" in the
 * temporary folder: unique among the sessions and the instances running. */
static const wchar_t PrivatePattern[] = L"kestrum-*-*.log";

/* Held without FILE_SHARE_DELETE, so that another instance's clean-up
 * cannot take a log in use; PuTTY writes it with reading and writing
 * shared, as the C library opens files. */
static HANDLE OpenLog(const wchar_t *path, DWORD disposition)
{
    return CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

static bool TempFolder(wchar_t *dir)
{
    DWORD n = GetTempPathW(KPATH, dir);
    return n > 0 && n < KPATH;
}

static HANDLE CreatePrivateLog(const Session *s, wchar_t *path)
{
    wchar_t dir[KPATH], name[1025];
    if (!TempFolder(dir))
        return INVALID_HANDLE_VALUE;
    StrFormat(name, L"kestrum-%u-%d.log", (unsigned)GetCurrentProcessId(), s->Id);
    PathJoin(path, KPATH, dir, name);
    return OpenLog(path, CREATE_ALWAYS);
}

/* "<folder>\<name>_<time>.log", "_2" and on for another session of the
 * same second; the reason in text when none can be made. */
static HANDLE CreateServerLog(const Session *s, wchar_t *path, wchar_t *reason)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    const int stamp[6] = { t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond };
    const wchar_t *name = StrIsEmpty(s->Node->DisplayName) ? s->Node->ServerName : s->Node->DisplayName;
    DWORD error = ERROR_FILENAME_EXCED_RANGE;
    for (int attempt = 1; attempt <= 99; attempt++) {
        wchar_t file[LOG_NAME_MAX];
        ComposeSessionLogName(file, name, stamp, attempt);
        if (StrLen(Settings.SessionLogFolder) + 1 + StrLen(file) >= KPATH)
            break;
        PathJoin(path, KPATH, Settings.SessionLogFolder, file);
        HANDLE h = OpenLog(path, CREATE_NEW);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            break;
    }
    path[0] = 0;
    StrFormat(reason, L"세션 로그 파일을 만들 수 없습니다 (오류 %u): %s", (unsigned)error,
              Settings.SessionLogFolder);
    return INVALID_HANDLE_VALUE;
}

bool PrepareSessionLog(Session *s)
{
    CloseSessionLog(s);
    if (!s->Node || !PuttySupportsSessionLog())
        return true;
    HANDLE h;
    if (Settings.SessionLog && Settings.SessionLogFolder[0]) {
        wchar_t reason[1025];
        h = CreateServerLog(s, s->LogFile, reason);
        if (h == INVALID_HANDLE_VALUE) {
            StrCopyTo(s->StatusText, STATUS_MAX, reason);
            return false;
        }
        s->LogPrivate = false;
    } else if (s->WantsLog || ScriptWaitsForText(s->Node->Script)) {
        /* Without one the waits give up, which is all a failure costs. */
        h = CreatePrivateLog(s, s->LogFile);
        if (h == INVALID_HANDLE_VALUE) {
            s->LogFile[0] = 0;
            return true;
        }
        s->LogPrivate = true;
    } else {
        return true;
    }
    s->LogRead = h;
    return true;
}

void CloseSessionLog(Session *s)
{
    if (s->LogRead) {
        CloseHandle(s->LogRead);
        s->LogRead = NULL;
    }
    if (s->LogPrivate && s->LogFile[0])
        DeleteFileW(s->LogFile);
    s->LogFile[0] = 0;
    s->LogPrivate = false;
    MemFree(s->Watch);
    s->Watch = NULL;
}

/* Reading starts where the log ends now: what came before the wait's
 * script was made counts for nothing. */
static void StartWatching(Session *s)
{
    s->Watch = (OutputWatch *)MemAlloc(sizeof(OutputWatch));
    LARGE_INTEGER size, at;
    if (!GetFileSizeEx(s->LogRead, &size))
        size.QuadPart = 0;
    SetFilePointerEx(s->LogRead, size, &at, FILE_BEGIN);
    if (size.QuadPart == 0)
        WatchRestart(s->Watch);
    else
        WatchSkip(s->Watch);
}

void WatchFromStart(Session *s, KeyQueue *q)
{
    if (!q || !s->LogRead || !s->Watch)
        return;
    LARGE_INTEGER start = {};
    SetFilePointerEx(s->LogRead, start, NULL, FILE_BEGIN);
    MemFill(s->Watch, 0, sizeof *s->Watch);
    WatchRestart(s->Watch);
    q->WaitFrom = 0;
}

static void ReadLog(Session *s)
{
    static unsigned char bytes[WATCH_READ_MAX];
    DWORD got = 0;
    if (!ReadFile(s->LogRead, bytes, WATCH_READ_MAX, &got, NULL))
        return;     /* the waits run out */
    if (got == 0) {
        /* PuTTY starts the log afresh when its session restarts */
        LARGE_INTEGER size, at, zero = {};
        if (GetFileSizeEx(s->LogRead, &size) && SetFilePointerEx(s->LogRead, zero, &at, FILE_CURRENT) &&
            size.QuadPart < at.QuadPart) {
            SetFilePointerEx(s->LogRead, zero, NULL, FILE_BEGIN);
            WatchRestart(s->Watch);
        }
        return;
    }
    WatchFeed(s->Watch, bytes, (int)got);
    KeyOutputArrived(s->Id, s->Watch);
}

void ReadSessionLogs(void)
{
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (!s->LogRead)
            continue;
        if (!KeyWaitPending(s->Id)) {
            MemFree(s->Watch);
            s->Watch = NULL;
            continue;
        }
        if (!s->Watch)
            StartWatching(s);
        ReadLog(s);
    }
}

void SessionLogArgument(const Session *s, wchar_t *out)
{
    /* PuTTY opens the log by an ANSI name: a name the code page cannot
     * spell goes by its short form, which exists as the file does. */
    StrCopyTo(out, KPATH, s->LogFile);
    BOOL lossy = FALSE;
    char ansi[KPATH * 2];
    if (!WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s->LogFile, -1, ansi, sizeof ansi, NULL, &lossy) ||
        lossy) {
        wchar_t shortPath[KPATH];
        DWORD n = GetShortPathNameW(s->LogFile, shortPath, KPATH);
        if (n > 0 && n < KPATH)
            StrCopyTo(out, KPATH, shortPath);
    }
}

static bool OutputWatched(int id)
{
    Session *s = FindSessionById(id);
    return s && s->LogRead;
}

static void Notice(int id, int notice)
{
    Session *s = FindSessionById(id);
    if (!s)
        return;
    if (notice == KEY_NOTICE_SCRIPT_WAITS) {
        s->WantsLog = true;
        if (s->LogRead && !s->Watch)
            StartWatching(s);
    }
    bool stopped = notice == KEY_NOTICE_STOPPED;
    if (stopped != s->ScriptStopped) {
        s->ScriptStopped = stopped;
        Shell.SessionChanged(s);
    }
}

void SessionLogsInit(void)
{
    KeyOutputWatched = OutputWatched;
    KeyNotice = Notice;
}

void RemoveStaleSessionLogs(void)
{
    wchar_t dir[KPATH], pattern[KPATH], path[KPATH];
    if (!TempFolder(dir))
        return;
    PathJoin(pattern, KPATH, dir, PrivatePattern);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern, &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        PathJoin(path, KPATH, dir, found.cFileName);
        DeleteFileW(path);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}
