/*
 * The stand-in for putty.exe that the session tests drive: started the
 * way Kestrum starts PuTTY, steered with posted cues, read back from its
 * log.  If these fail, the session tests cannot be trusted.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "double_cues.h"
#include "test_util.h"

namespace {


struct Double {
    PROCESS_INFORMATION pi = {};
    std::string cmdline;

    bool Start(const std::string &args)
    {
        cmdline = "\"" + ProgramDir() + "\\putty_double.exe\" " + args;
        WText line(cmdline);
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_HIDE;
        return CreateProcessW(NULL, line.chars.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi) != 0;
    }
    /* The exit code, or STILL_ACTIVE after the time is up. */
    DWORD Exit(DWORD ms)
    {
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(pi.hProcess, ms);
        GetExitCodeProcess(pi.hProcess, &code);
        return code;
    }
    ~Double()
    {
        if (!pi.hProcess)
            return;
        if (Exit(0) == STILL_ACTIVE)
            TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

struct Search {
    DWORD pid;
    std::vector<std::pair<HWND, std::string>> found;   /* window, class */
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param)
{
    Search *s = (Search *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[256];
    if (pid == s->pid && GetClassNameW(hwnd, cls, 256))
        s->found.push_back({ hwnd, U8(cls) });
    return TRUE;
}

std::vector<std::pair<HWND, std::string>> WindowsOf(DWORD pid)
{
    Search s = { pid, {} };
    EnumWindows(Collect, (LPARAM)&s);
    return s.found;
}

HWND WaitForWindow(DWORD pid, const std::string &cls)
{
    for (int i = 0; i < 500; i++) {
        for (auto &w : WindowsOf(pid))
            if (w.second == cls)
                return w.first;
        Sleep(20);
    }
    return NULL;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    return out;
}

/* The log's complete lines once it holds `last`. */
std::vector<std::string> WaitForLine(const wchar_t *log, const std::string &last)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 500; i++) {
        lines = Lines(ReadBytes(log));
        for (const std::string &l : lines)
            if (l == last)
                return lines;
        Sleep(20);
    }
    return lines;
}

std::string TitleOf(HWND hwnd)
{
    wchar_t text[256] = L"";
    GetWindowTextW(hwnd, text, 256);
    return U8(text);
}

} // namespace

TEST(PuttyDouble, HiddenSessionWindow)
{
    TempDir dir;
    WText pw = dir.File("ksw1234.tmp");
    WText log = dir.File("double log.txt");
    ASSERT_TRUE(WriteBytes(pw, "s3cr\xc3\xa9t \""));
    Double d;
    ASSERT_TRUE(d.Start("-load \"sess\" -ssh -P 22 -l user -pwfile \"" + U8(pw) + "\" -double-log \"" + U8(log) +
                        "\" host"));
    HWND hwnd = WaitForWindow(d.pi.dwProcessId, "PuTTY");
    ASSERT_TRUE(hwnd != NULL);
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), (HWND)NULL);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), (HWND)NULL);
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(TitleOf(hwnd), "127.0.0.1 - PuTTY");

    PostMessageW(hwnd, WM_CHAR, 0xE9, 0x00120001);
    PostMessageW(hwnd, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(hwnd, CUE_TITLE, 1, 0);
    std::vector<std::string> lines = WaitForLine(log, "title 1");
    std::vector<std::string> want = {
        "cmdline " + d.cmdline,
        "pwfile s3cr\xc3\xa9t \"",
        "char 233 00120001",
        "keydown 13 001C0001",
        "title 1",
    };
    EXPECT_EQ(lines, want);
    EXPECT_EQ(TitleOf(hwnd), "127.0.0.1 - PuTTY (inactive)");

    PostMessageW(hwnd, CUE_EXIT, 3, 0);
    EXPECT_EQ(d.Exit(10000), 3u);
    lines = Lines(ReadBytes(log));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "exit 3");
}

TEST(PuttyDouble, ConfigBoxInstead)
{
    TempDir dir;
    WText log = dir.File("double.log");
    Double d;
    ASSERT_TRUE(d.Start("-load \"missing\" -double-window config -double-log \"" + U8(log) + "\""));
    HWND box = WaitForWindow(d.pi.dwProcessId, "PuTTYConfigBox");
    ASSERT_TRUE(box != NULL);
    EXPECT_EQ(GetWindow(box, GW_OWNER), (HWND)NULL);
    for (auto &w : WindowsOf(d.pi.dwProcessId))
        if (w.first != box)
            EXPECT_EQ(GetWindowLongW(w.first, GWL_STYLE) & WS_CAPTION, 0) << w.second;

    PostMessageW(box, WM_CLOSE, 0, 0);
    EXPECT_EQ(d.Exit(10000), 0u);
    std::vector<std::string> lines = Lines(ReadBytes(log));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "exit 0");
}
