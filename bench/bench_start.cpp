/*
 * bench_start: Kestrum.exe started from outside, as a user starts it:
 * from CreateProcess until its main window is visible and its server
 * tree holds every node, polled every millisecond.  A trivial windowed
 * program (bench_hello) measured the same way in the same rounds is what
 * Wine's process start alone costs.  Then the private memory of both,
 * read from outside after start-up.
 */
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include "../config/settings.h"
#include "../core/text.h"
#include "bench_util.h"
#include "generate.h"

static const int Rounds = 7;
static const DWORD TimeoutMs = 30000;

struct Found {
    DWORD Pid;
    const wchar_t *Class;
    HWND Window;
};

static BOOL CALLBACK FindMain(HWND w, LPARAM param)
{
    Found *f = (Found *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[64];
    if (pid == f->Pid && GetClassNameW(w, cls, 64) && !wcscmp(cls, f->Class) && IsWindowVisible(w)) {
        f->Window = w;
        return FALSE;
    }
    return TRUE;
}

struct Started {
    PROCESS_INFORMATION Pi;
    double Ms;          /* until ready; negative when it never was */
};

/* Starts exe in its folder and waits until its visible window of class
 * cls answers, and, with tree nodes expected, until its tree holds them. */
static Started Start(const std::wstring &exe, const wchar_t *cls, int nodes)
{
    Started s = {};
    s.Ms = -1;
    std::wstring dir = exe.substr(0, exe.find_last_of(L'\\'));
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    double t0 = NowMs();
    if (!CreateProcessW(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &s.Pi))
        return s;
    Found f = { s.Pi.dwProcessId, cls, NULL };
    for (;;) {
        if (!f.Window)
            EnumWindows(FindMain, (LPARAM)&f);
        if (f.Window) {
            HWND tree = FindWindowExW(f.Window, NULL, WC_TREEVIEWW, NULL);
            DWORD_PTR count = 0;
            /* Answered only once the program takes messages. */
            if (SendMessageTimeoutW(tree ? tree : f.Window, tree ? TVM_GETCOUNT : WM_NULL, 0, 0, SMTO_NORMAL,
                                    TimeoutMs, &count) &&
                (nodes == 0 || (int)count >= nodes)) {
                s.Ms = NowMs() - t0;
                return s;
            }
        }
        if (NowMs() - t0 > TimeoutMs || WaitForSingleObject(s.Pi.hProcess, 0) == WAIT_OBJECT_0)
            return s;
        Sleep(1);
    }
}

static void Stop(Started &s)
{
    if (!s.Pi.hProcess)
        return;
    TerminateProcess(s.Pi.hProcess, 0);
    WaitForSingleObject(s.Pi.hProcess, 10000);
    CloseHandle(s.Pi.hProcess);
    CloseHandle(s.Pi.hThread);
    s.Pi.hProcess = NULL;
}

/* A folder with Kestrum.exe, a putty.exe (the double) and a kestrum.xml
 * of that many servers; returns the nodes its tree will hold. */
static int Prepare(const std::wstring &dir, int servers)
{
    if (!CopyTo(BuildPath(L"bin\\Kestrum.exe"), dir + L"\\Kestrum.exe") ||
        !CopyTo(BuildPath(L"tests\\putty_double.exe"), dir + L"\\putty.exe")) {
        printf("could not copy the programs\n");
        ExitProcess(1);
    }
    SettingsSetDefaults();
    StrCopyTo(Settings.PuttyPath, KPATH, (dir + L"\\putty.exe").c_str());
    if (!SaveGeneratedConfig((dir + L"\\kestrum.xml").c_str(), servers)) {
        printf("could not write the configuration\n");
        ExitProcess(1);
    }
    return GenerateServers(servers);
}

int main()
{
    std::wstring empty = MakeTempFolder(L"kestrum-start-empty-"), full = MakeTempFolder(L"kestrum-start-10k-");
    Prepare(empty, 0);
    int nodes = Prepare(full, 10000);
    std::wstring hello = BuildPath(L"bench\\bench_hello.exe"), helloDlls = BuildPath(L"bench\\bench_hello_dlls.exe");

    /* one untimed start of each: Wine maps its DLLs once */
    std::vector<double> tHello, tDlls, tEmpty, tFull;
    double memHello = 0, memFull = 0;
    for (int round = -1; round < Rounds; round++) {
        /* one at a time; the last round keeps two up for their memory */
        bool last = round == Rounds - 1;
        Started h = Start(hello, L"BenchHello", 0);
        if (!last)
            Stop(h);
        Started d = Start(helloDlls, L"BenchHello", 0);
        Stop(d);
        Started e = Start(empty + L"\\Kestrum.exe", L"KestrumMain", 0);
        Stop(e);
        Started f = Start(full + L"\\Kestrum.exe", L"KestrumMain", nodes);
        if (last) {
            Sleep(1000);    /* whatever start-up left for later has run */
            memHello = PrivateMb(h.Pi.hProcess);
            memFull = PrivateMb(f.Pi.hProcess);
        }
        Stop(h);
        Stop(f);
        if (h.Ms < 0 || d.Ms < 0 || e.Ms < 0 || f.Ms < 0) {
            printf("a program did not come up (hello %.0f, with DLLs %.0f, empty %.0f, 10,000 %.0f ms)\n", h.Ms, d.Ms,
                   e.Ms, f.Ms);
            return 1;
        }
        if (round < 0)
            continue;
        tHello.push_back(h.Ms);
        tDlls.push_back(d.Ms);
        tEmpty.push_back(e.Ms);
        tFull.push_back(f.Ms);
        printf("round %d: hello %.1f ms, with Kestrum's DLLs %.1f ms, empty %.1f ms, 10,000 servers %.1f ms\n",
               round + 1, h.Ms, d.Ms, e.Ms, f.Ms);
    }
    RemoveFolder(empty);
    RemoveFolder(full);

    /* Under Wine a process start and the loading of the system DLLs
     * (already mapped in every process on Windows) are large; what
     * Kestrum adds is the start-up less the trivial program with its DLLs. */
    double base = Best(tDlls);
    Row("Wine process start (trivial windowed exe, window shown)", "", Fmt("%.1f ms", Best(tHello)), "", "");
    Row("Wine process start with Kestrum's system DLLs and common controls", "", Fmt("%.1f ms", base), "", "");
    Row("Start-up, empty configuration", "<= 150 ms", Fmt("%.1f ms", Best(tEmpty)), "", Met(Best(tEmpty) <= 150));
    Row("Start-up less Wine's start with those DLLs, empty configuration", "<= 150 ms",
        Fmt("%.1f ms", Best(tEmpty) - base), "", Met(Best(tEmpty) - base <= 150));
    Row("Start-up, 10,000 servers, tree filled", "<= 400 ms", Fmt("%.1f ms", Best(tFull)), "",
        Met(Best(tFull) <= 400));
    Row("Start-up less Wine's start with those DLLs, 10,000 servers", "<= 400 ms", Fmt("%.1f ms", Best(tFull) - base),
        "", Met(Best(tFull) - base <= 400));
    Row("Private memory, trivial exe (Wine's baseline)", "", Fmt("%.1f MB", memHello), "", "");
    Row("Private memory, 10,000 servers loaded", "<= 25 MB", Fmt("%.1f MB", memFull), "", Met(memFull <= 25));
    Row("Private memory less Wine's baseline, 10,000 servers", "<= 25 MB", Fmt("%.1f MB", memFull - memHello), "",
        Met(memFull - memHello <= 25));
    return 0;
}
