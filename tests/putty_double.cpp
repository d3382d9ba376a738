/*
 * putty_double: stands in for putty.exe in the session tests.
 *
 * Started the way Kestrum starts PuTTY, it shows its window with the
 * nCmdShow it was given, logs what it receives to a file that the test
 * reads while it runs, and obeys cues that the test posts as WM_APP+n.
 * Options of its own start with -double-; PuTTY's are only logged.
 *
 * Cue effects happen before their log line, so a test that has seen the
 * line can look at the result at once; only a hang and a crash log
 * first, as nothing can follow them.
 *
 * -double-alert 1 shows, besides the main window, a message box owned by
 * it, as PuTTY's host-key alert is; WM_CLOSE answers it.
 *
 * CUE_BOX shows a message box as PuTTY does, owned by the main window:
 * wParam 0 its report of a lost connection ("PuTTY Fatal Error"), which
 * marks the title "(inactive)" only once the box is closed; 1 a question
 * of another title.  It logs when shown and when closed.
 *
 * -double-hang ms stops pumping for ms (0: until the safety exit) as soon
 * as the main window exists, before any message was taken.
 */
#include <windows.h>
#include <shellapi.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "double_cues.h"

static const wchar_t *const Titles[] = {
    L"127.0.0.1 - PuTTY",
    L"127.0.0.1 - PuTTY (inactive)",
    L"user@host: ~",
};

/* A broken test must not leave the double behind. */
static const UINT SafetyMs = 120000;
static const UINT TimeoutExitCode = 124;

static const wchar_t *LogPath;
static const wchar_t *MainClass = L"PuTTY";
static const wchar_t *Title = Titles[0];
static int ShowCmd;
static HWND MainWnd, ConfigWnd;
static bool StartupBox;     /* ConfigWnd is the box shown instead of a session */
static bool KeepAlive;      /* the main window went by cue */
static UINT FloodRate;      /* titles a second while flooding */
static unsigned FloodCount;
static DWORD FloodNext;     /* tick of the next flood title */
static bool Stamp;          /* -double-stamp qpc: log when the main window exists */

/* Opened and closed for every line so that the test can read it meanwhile. */
static void LogBytes(const char *head, const char *body, size_t bodyLen)
{
    if (!LogPath)
        return;
    size_t headLen = strlen(head);
    size_t len = headLen + bodyLen + 2;
    char *line = (char *)malloc(len);
    if (!line)
        return;
    memcpy(line, head, headLen);
    memcpy(line + headLen, body, bodyLen);
    memcpy(line + headLen + bodyLen, "\r\n", 2);
    HANDLE f = CreateFileW(LogPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD done;
        SetFilePointer(f, 0, NULL, FILE_END);
        WriteFile(f, line, (DWORD)len, &done, NULL);
        CloseHandle(f);
    }
    free(line);
}

static void Logf(const char *fmt, ...)
{
    char buf[160];
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0)
        return;
    if ((size_t)n >= sizeof buf)
        n = sizeof buf - 1;
    LogBytes("", buf, (size_t)n);
}

static void LogWide(const char *head, const wchar_t *text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, NULL, 0, NULL, NULL);
    char *utf8 = n > 0 ? (char *)malloc((size_t)n) : NULL;
    if (!utf8)
        return;
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, n, NULL, NULL);
    LogBytes(head, utf8, (size_t)n - 1);
    free(utf8);
}

static void LogPasswordFile(const wchar_t *path)
{
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    bool ok = false;
    if (f != INVALID_HANDLE_VALUE) {
        DWORD size = GetFileSize(f, NULL);
        char *bytes = size != INVALID_FILE_SIZE ? (char *)malloc(size + 1) : NULL;
        DWORD got = 0;
        if (bytes && ReadFile(f, bytes, size, &got, NULL) && got == size) {
            LogBytes("pwfile ", bytes, got);
            ok = true;
        }
        free(bytes);
        CloseHandle(f);
    }
    if (!ok)
        Logf("pwfile <unreadable>");
}

[[noreturn]] static void Quit(UINT code)
{
    Logf("exit %u", code);
    ExitProcess(code);
}

static void CALLBACK SafetyExit(HWND, UINT, UINT_PTR, DWORD)
{
    Logf("timeout");
    ExitProcess(TimeoutExitCode);
}

/* Takes no message meanwhile, sent ones included: a hung PuTTY. */
static void Hang(DWORD ms)
{
    Logf("hang %u", (unsigned)ms);
    if (ms == 0 || ms >= SafetyMs) {
        Sleep(SafetyMs);
        SafetyExit(NULL, 0, 0, 0);
    }
    Sleep(ms);
    Logf("hang over");
}

static void FloodTitle()
{
    wchar_t text[40];
    wsprintfW(text, L"flood %u - PuTTY", ++FloodCount);
    SetWindowTextW(MainWnd, text);
}

static HWND MakeWindow(DWORD exStyle, const wchar_t *cls, const wchar_t *title, DWORD style, int w, int h)
{
    return CreateWindowExW(exStyle, cls, title, style, 100, 100, w, h, NULL, NULL, GetModuleHandleW(NULL), NULL);
}

static void CreateMain()
{
    MainWnd = MakeWindow(0, MainClass, Title, WS_OVERLAPPEDWINDOW, 640, 400);
    if (Stamp) {
        /* The counter is the machine's, so the capturer can subtract it. */
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        Logf("window qpc %lld", (long long)now.QuadPart);
    }
    /* PuTTY adds its own commands to the system menu (ids below 0xF000) */
    HMENU menu = GetSystemMenu(MainWnd, FALSE);
    AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
    AppendMenuW(menu, MF_STRING, 0x0010, L"&Event Log");
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 0x0050, L"Chan&ge Settings...");
    AppendMenuW(menu, MF_STRING, 0x0150, L"&About PuTTY");
    ShowWindow(MainWnd, ShowCmd);
}

static HWND MakeConfigBox()
{
    return MakeWindow(WS_EX_DLGMODALFRAME, L"PuTTYConfigBox", L"PuTTY Configuration",
                      WS_POPUP | WS_CAPTION | WS_SYSMENU, 460, 420);
}

/* Modal, as PuTTY's boxes are: cues go on being taken meanwhile. */
static void Box(bool fatal)
{
    Logf("box open %d", fatal ? 0 : 1);
    int answer = fatal ? MessageBoxW(MainWnd, L"Remote side unexpectedly closed network connection",
                                     L"PuTTY Fatal Error", MB_ICONERROR | MB_OK)
                       : MessageBoxW(MainWnd, L"The server's host key does not match the one PuTTY has cached.",
                                     L"PuTTY Security Alert", MB_ICONWARNING | MB_YESNOCANCEL);
    if (fatal && MainWnd)
        SetWindowTextW(MainWnd, Titles[1]);
    Logf("box closed %d", answer);
}

static void Cue(UINT cue, WPARAM wParam)
{
    switch (cue) {
    case CUE_EXIT:
        Quit((UINT)wParam);
    case CUE_TITLE:
        if (MainWnd && wParam < sizeof Titles / sizeof Titles[0]) {
            SetWindowTextW(MainWnd, Titles[wParam]);
            Logf("title %u", (unsigned)wParam);
        }
        break;
    case CUE_CONFIG_OPEN:
        if (!ConfigWnd) {
            ConfigWnd = MakeConfigBox();
            ShowWindow(ConfigWnd, SW_SHOW);
            Logf("configbox open");
        }
        break;
    case CUE_CONFIG_CLOSE:
        if (ConfigWnd) {
            DestroyWindow(ConfigWnd);
            Logf("configbox close");
        }
        break;
    case CUE_DESTROY:
        if (MainWnd) {
            KeepAlive = true;
            DestroyWindow(MainWnd);
            Logf("window destroyed");
        }
        break;
    case CUE_STATE:
        if (MainWnd)
            Logf("state parent %08X style %08X exstyle %08X visible %d",
                 (unsigned)(UINT_PTR)GetParent(MainWnd), (unsigned)GetWindowLongW(MainWnd, GWL_STYLE),
                 (unsigned)GetWindowLongW(MainWnd, GWL_EXSTYLE), IsWindowVisible(MainWnd) ? 1 : 0);
        else
            Logf("state none");
        break;
    case CUE_CREATE:
        if (!MainWnd) {
            /* "Open" replaces the box with the session window. */
            if (StartupBox) {
                StartupBox = false;
                DestroyWindow(ConfigWnd);
            }
            CreateMain();
            Logf("window created");
        }
        break;
    case CUE_HANG:
        Hang((DWORD)wParam);
        break;
    case CUE_FLOOD:
        if (wParam) {
            FloodRate = (UINT)wParam;
            FloodNext = GetTickCount();
            Logf("flood %u", FloodRate);
        } else if (FloodRate) {
            FloodRate = 0;
            Logf("flood stop %u", FloodCount);
        }
        break;
    case CUE_CRASH:
        Logf("crash");
        TerminateProcess(GetCurrentProcess(), (UINT)EXCEPTION_ACCESS_VIOLATION);
        break;
    case CUE_BOX:
        if (MainWnd)
            Box(wParam == 0);
        break;
    }
}

static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= CUE_EXIT && msg <= CUE_BOX) {
        Cue(msg, wParam);
        return 0;
    }
    if (hwnd == ConfigWnd) {
        if (msg == WM_CLOSE && StartupBox)
            Quit(0);            /* cancelled: PuTTY ends without a session */
        if (msg == WM_DESTROY)
            ConfigWnd = NULL;
    } else if (hwnd == MainWnd) {
        switch (msg) {
        case WM_CHAR:
            Logf("char %u %08X", (unsigned)wParam, (unsigned)lParam);
            return 0;
        case WM_KEYDOWN:
            Logf("keydown %u %08X", (unsigned)wParam, (unsigned)lParam);
            return 0;
        case WM_KEYUP:
            Logf("keyup %u %08X", (unsigned)wParam, (unsigned)lParam);
            return 0;
        case WM_SYSCOMMAND:
            Logf("syscommand %u", (unsigned)wParam);
            /* Only closing is wanted: moving, sizing or the menu would
             * start a modal loop in a window nobody looks at. */
            if ((wParam & 0xFFF0) != SC_CLOSE)
                return 0;
            break;
        case WM_CLOSE:
            Logf("close");
            break;
        case WM_DESTROY:
            MainWnd = NULL;
            if (!KeepAlive)
                PostQuitMessage(0);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

static void Register(const wchar_t *name)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, (const wchar_t *)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int nCmdShow)
{
    ShowCmd = nCmdShow;
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t *kind = L"putty", *pwfile = NULL, *exitCode = NULL;
    DWORD delay = 0, hang = 0;
    bool hangs = false, alert = false;
    for (int i = 1; argv && i + 1 < argc; i++) {
        const wchar_t *opt = argv[i], *value = argv[i + 1];
        if (!wcscmp(opt, L"-double-log"))
            LogPath = value;
        else if (!wcscmp(opt, L"-double-window"))
            kind = value;
        else if (!wcscmp(opt, L"-double-delay"))
            delay = wcstoul(value, NULL, 10);
        else if (!wcscmp(opt, L"-double-exit"))
            exitCode = value;
        else if (!wcscmp(opt, L"-double-hang")) {
            hangs = true;
            hang = wcstoul(value, NULL, 10);
        } else if (!wcscmp(opt, L"-double-stamp"))
            Stamp = !wcscmp(value, L"qpc");
        else if (!wcscmp(opt, L"-double-alert"))
            alert = true;
        else if (!wcscmp(opt, L"-double-title"))
            Title = value;
        else if (!wcscmp(opt, L"-pwfile"))
            pwfile = value;
        else
            continue;
        i++;
    }

    /* for sessions that carry no extra arguments, such as quick connect */
    static wchar_t envLog[MAX_PATH];
    DWORD envLength = GetEnvironmentVariableW(L"KESTRUM_DOUBLE_LOG", envLog, MAX_PATH);
    if (!LogPath && envLength > 0 && envLength < MAX_PATH)
        LogPath = envLog;
    LogWide("cmdline ", GetCommandLineW());
    if (pwfile)
        LogPasswordFile(pwfile);
    if (exitCode)
        Quit(wcstoul(exitCode, NULL, 10));

    bool config = false, none = false;
    if (!wcscmp(kind, L"kitty"))
        MainClass = L"KiTTY";
    else if (!wcscmp(kind, L"other"))
        MainClass = L"DoubleOther";
    else if (!wcscmp(kind, L"config"))
        config = true;
    else if (!wcscmp(kind, L"none"))
        none = true;
    else if (wcscmp(kind, L"putty") != 0) {
        LogWide("bad kind ", kind);
        Quit(2);
    }

    SetTimer(NULL, 0, SafetyMs, SafetyExit);
    Sleep(delay);
    Register(L"PuTTY");
    Register(L"KiTTY");
    Register(L"DoubleOther");
    Register(L"PuTTYConfigBox");
    if (config) {
        /* PuTTY's first window: it takes nCmdShow as the session window would. */
        ConfigWnd = MakeConfigBox();
        StartupBox = true;
        ShowWindow(ConfigWnd, ShowCmd);
    } else if (!none) {
        CreateMain();
        if (alert) {
            Logf("alert open");
            int answer = MessageBoxW(MainWnd, L"The server's host key is not cached in the registry.",
                                     L"PuTTY Security Alert", MB_ICONWARNING | MB_YESNOCANCEL);
            Logf("alert closed %d", answer);
        }
    }
    if (hangs)
        Hang(hang);

    /* No TranslateMessage: posted keys are logged exactly as they came. */
    MSG m;
    for (;;) {
        if (FloodRate) {
            /* titles on time while the messages go on as usual */
            DWORD now = GetTickCount();
            if ((int)(now - FloodNext) >= 0) {
                if (MainWnd)
                    FloodTitle();
                FloodNext += 1000 / FloodRate ? 1000 / FloodRate : 1;
                if ((int)(now - FloodNext) > 100)
                    FloodNext = now;
            }
            if (!PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
                DWORD wait = FloodNext - GetTickCount();
                MsgWaitForMultipleObjects(0, NULL, FALSE, (int)wait > 0 ? wait : 0, QS_ALLINPUT);
                continue;
            }
            if (m.message == WM_QUIT)
                break;
        } else if (GetMessageW(&m, NULL, 0, 0) <= 0) {
            break;
        }
        DispatchMessageW(&m);
    }
    Logf("exit 0");
    return 0;
}
