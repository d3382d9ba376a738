/*
 * Running out of memory in a real process: the error box, caption
 * "Kestrum", and exit code 3 once it is answered.
 */
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "program_util.h"
#include "test_util.h"

/* The pixels of a window's top-left size x size square as the screen
 * shows it: a window of another process cannot be read through its own
 * device context. */
static std::vector<COLORREF> Shown(HWND w, int size)
{
    std::vector<COLORREF> px;
    RECT r;
    GetWindowRect(w, &r);
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, size, size, screen, r.left, r.top, SRCCOPY);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            px.push_back(GetPixel(mem, x, y));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return px;
}

/* How many pixels differ from a system icon drawn on the same ground.
 * Icon handles belong to their process, so the box's own icon cannot
 * be asked for its picture. */
static int Difference(const std::vector<COLORREF> &shown, int size, const wchar_t *id)
{
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH ground = CreateSolidBrush(shown[0]);
    RECT r = { 0, 0, size, size };
    FillRect(mem, &r, ground);
    DrawIconEx(mem, 0, 0, LoadIconW(NULL, id), size, size, 0, NULL, DI_NORMAL);
    int differ = 0;
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++)
            differ += GetPixel(mem, x, y) != shown[(size_t)y * size + x];
    SelectObject(mem, old);
    DeleteObject(ground);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return differ;
}

/* A process that does not outlive its test. */
struct Child {
    PROCESS_INFORMATION pi = {};
    ~Child()
    {
        if (!pi.hProcess)
            return;
        TerminateProcess(pi.hProcess, 1);   /* fails once it has ended */
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
};

TEST(OutOfMemoryProgram, ErrorBoxThenExitCode3)
{
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    Child child;
    PROCESS_INFORMATION &pi = child.pi;
    std::vector<wchar_t> line(WText("\"" + ProgramDir() + "\\oom_helper.exe\"").chars);
    ASSERT_TRUE(CreateProcessW(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi));
    HWND box = NULL;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> b = TopWindows(pi.dwProcessId, L"#32770");
        box = b.empty() ? NULL : b[0];
        return box != NULL;
    }));
    wchar_t text[256] = {};
    /* the box is found before its text is set */
    EXPECT_TRUE(WaitFor([&] { return GetDlgItemTextW(box, 0xFFFF, text, 256) > 0; }, 5000));
    EXPECT_EQ(U8(text), "메모리가 부족합니다.");
    EXPECT_EQ(WindowText(box), "Kestrum");

    /* MB_ICONERROR: the picture of the system's error icon, not of another */
    HWND icon = NULL;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = c;
    ASSERT_NE(icon, (HWND)NULL);
    int size = GetSystemMetrics(SM_CXICON);
    std::vector<COLORREF> shown;
    int error = 0;
    /* painted some time after it appears */
    WaitFor([&] {
        shown = Shown(icon, size);
        error = Difference(shown, size, IDI_ERROR);
        return error < size * size / 20;
    }, 5000);
    EXPECT_LT(error, size * size / 20);
    for (const wchar_t *other : { IDI_WARNING, IDI_INFORMATION, IDI_QUESTION })
        EXPECT_GT(Difference(shown, size, other), error);
    HWND ok = GetDlgItem(box, IDOK);
    ASSERT_NE(ok, (HWND)NULL);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), (HWND)NULL);

    PostMessageW(ok, BM_CLICK, 0, 0);
    DWORD code = 0;
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 15000), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 3u);
}
