/*
 * program_util.cpp: Kestrum.exe under test.
 */
#include "program_util.h"

#include "test_util.h"
#include "win_shot.h"

bool WaitFor(const std::function<bool()> &done, DWORD ms)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(50);
    }
    return true;
}

struct WindowQuery {
    DWORD Pid;
    HWND Parent;
    const wchar_t *Cls;
    std::vector<HWND> Found;
};

static BOOL CALLBACK Collect(HWND w, LPARAM p)
{
    WindowQuery *q = (WindowQuery *)p;
    wchar_t c[64];
    GetClassNameW(w, c, 64);
    if (lstrcmpW(c, q->Cls) != 0)
        return TRUE;
    if (q->Parent) {
        if (GetParent(w) == q->Parent)
            q->Found.push_back(w);
    } else {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == q->Pid)
            q->Found.push_back(w);
    }
    return TRUE;
}

std::vector<HWND> TopWindows(DWORD pid, const wchar_t *cls)
{
    WindowQuery q = { pid, NULL, cls, {} };
    EnumWindows(Collect, (LPARAM)&q);
    return q.Found;
}

std::vector<HWND> Children(HWND parent, const wchar_t *cls)
{
    WindowQuery q = { 0, parent, cls, {} };
    EnumChildWindows(parent, Collect, (LPARAM)&q);
    return q.Found;
}

std::string WindowText(HWND w)
{
    wchar_t buf[512];
    buf[0] = 0;
    GetWindowTextW(w, buf, 512);
    return U8(buf);
}

HWND EmbeddedIn(HWND host)
{
    std::vector<HWND> clips = Children(host, L"KestrumClip");
    if (clips.empty())
        return NULL;
    std::vector<HWND> putty = Children(clips[0], L"PuTTY");
    return putty.empty() ? NULL : putty[0];
}

void PressKey(WORD vk, WORD modifier)
{
    INPUT in[4] = {};
    int n = 0;
    if (modifier)
        in[n++].ki.wVk = modifier;
    in[n++].ki.wVk = vk;
    in[n].ki.wVk = vk;
    in[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    if (modifier) {
        in[n].ki.wVk = modifier;
        in[n++].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    for (int i = 0; i < n; i++)
        in[i].type = INPUT_KEYBOARD;
    SendInput(n, in, sizeof in[0]);
    Sleep(150);
}

void ClickAt(POINT pt, DWORD down, DWORD up)
{
    INPUT in[3] = {};
    DWORD flags[3] = { MOUSEEVENTF_MOVE, down, up };
    for (int i = 0; i < 3; i++) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dx = pt.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        in[i].mi.dy = pt.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        in[i].mi.dwFlags = flags[i] | MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(3, in, sizeof in[0]);
    Sleep(300);
}

HWND FocusOf(DWORD thread)
{
    GUITHREADINFO gi = { sizeof gi };
    return GetGUIThreadInfo(thread, &gi) ? gi.hwndFocus : NULL;
}

std::vector<std::string> PasswordFiles()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::vector<std::string> names;
    std::string dir = U8(temp);
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    ForEachEntry(dir, [&](const std::string &, const WIN32_FIND_DATAW &fd) { names.push_back(U8(fd.cFileName)); },
                 "ksw*.tmp");
    return names;
}

bool KestrumProcess::Start(const std::string &folder)
{
    Folder = folder;
    std::string exe = folder + "\\Kestrum.exe";
    if (!CopyFileW(WText(ProgramDir() + "\\..\\bin\\Kestrum.exe"), WText(exe), FALSE))
        return false;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::vector<wchar_t> line(WText("\"" + exe + "\"").chars);
    if (!CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, WText(folder), &si, &Info))
        return false;
    return WaitFor([&] {
        std::vector<HWND> w = TopWindows(Info.dwProcessId, L"KestrumMain");
        Main = w.empty() ? NULL : w[0];
        /* visible only once its children exist and start-up is past */
        return Main != NULL && IsWindowVisible(Main);
    });
}

std::string KestrumProcess::Answer(int button, const char *shot)
{
    HWND box = NULL;
    if (!WaitFor([&] {
            std::vector<HWND> b = TopWindows(Info.dwProcessId, L"#32770");
            box = b.empty() ? NULL : b[0];
            return box != NULL;
        }))
        return "<no message box>";
    /* the box is found before its text is set */
    wchar_t text[1024];
    text[0] = 0;
    WaitFor([&] { return GetDlgItemTextW(box, 0xFFFF, text, 1024) > 0; }, 5000);
    if (shot)
        SaveWindowShot(box, shot);
    PostMessageW(box, WM_COMMAND, button, 0);
    WaitFor([&] { return !IsWindow(box); }, 5000);
    return U8(text);
}

std::string KestrumProcess::AnswerByKey(WORD vk)
{
    HWND box = NULL;
    wchar_t text[1024];
    text[0] = 0;
    /* a key given before the box is in front would go elsewhere */
    if (!WaitFor([&] {
            std::vector<HWND> b = TopWindows(Info.dwProcessId, L"#32770");
            box = b.empty() ? NULL : b[0];
            return box && GetDlgItemTextW(box, 0xFFFF, text, 1024) > 0 && GetForegroundWindow() == box;
        }))
        return box ? "<message box not in front>" : "<no message box>";
    PressKey(vk);
    if (!WaitFor([&] { return !IsWindow(box); }, 5000))
        return "<still open> " + U8(text);
    return U8(text);
}

std::vector<HWND> KestrumProcess::Hosts()
{
    return Children(Main, L"KestrumHost");
}

std::string KestrumProcess::Describe()
{
    if (!Info.hProcess)
        return "not started";
    DWORD code = 0;
    GetExitCodeProcess(Info.hProcess, &code);
    std::string s = code == STILL_ACTIVE ? "running" : "ended with " + std::to_string(code);
    s += ", main window " + std::string(Main ? "found" : "missing");
    s += ", message boxes " + std::to_string(TopWindows(Info.dwProcessId, L"#32770").size());
    return s;
}

int KestrumProcess::WaitExit(DWORD ms)
{
    if (WaitForSingleObject(Info.hProcess, ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(Info.hProcess, &code);
    return (int)code;
}

KestrumProcess::~KestrumProcess()
{
    if (!Info.hProcess)
        return;
    if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT) {
        /* its PuTTYs are processes of their own: end them too */
        for (HWND host : Hosts()) {
            DWORD pid = 0;
            if (HWND w = EmbeddedIn(host))
                GetWindowThreadProcessId(w, &pid);
            if (HANDLE p = pid ? OpenProcess(PROCESS_TERMINATE, FALSE, pid) : NULL) {
                TerminateProcess(p, 9);
                CloseHandle(p);
            }
        }
        TerminateProcess(Info.hProcess, 9);
    }
    WaitForSingleObject(Info.hProcess, 5000);
    CloseHandle(Info.hProcess);
    CloseHandle(Info.hThread);
    DeleteFileW(WText(Folder + "\\Kestrum.exe"));
}
