/*
 * start_page.cpp: the page shown while no session is open.  Its texts
 * are drawn on every paint, so the summary follows the hotkey bindings.
 */
#include "start_page.h"

#include "../../config/settings.h"
#include "../../core/text.h"
#include "../commands/command_ids.h"
#include "../hotkeys/hotkey_text.h"
#include "layout.h"
#include "main_window.h"

/* Rows of the hotkey table that the summary names. */
enum { ROW_NEXT_TAB = 0, ROW_SWITCH_FOCUS = 2, ROW_QUICK_CONNECT = 13 };
enum { KEY_TEXT_MAX = 64 };

struct StartButton {
    const wchar_t *Text;
    int Command;
};

/* Top to bottom. */
static const StartButton StartButtons[] = {
    { L"빠른 연결…", CMD_QUICK_CONNECT },
    { L"서버 추가…", CMD_ADD_SERVER },
    { L"MTPuTTY 설정 가져오기…", CMD_IMPORT_MTPUTTY },
    { L"열린 PuTTY 창 가져오기…", CMD_ATTACH_WINDOWS },
    { L"설정…", CMD_SETTINGS },
};

void StartPageSummary(wchar_t out[START_SUMMARY_MAX])
{
    wchar_t next[KEY_TEXT_MAX], focus[KEY_TEXT_MAX], quick[KEY_TEXT_MAX];
    HotkeyToText(Settings.Hotkeys[ROW_NEXT_TAB], next, KEY_TEXT_MAX);
    HotkeyToText(Settings.Hotkeys[ROW_SWITCH_FOCUS], focus, KEY_TEXT_MAX);
    HotkeyToText(Settings.Hotkeys[ROW_QUICK_CONNECT], quick, KEY_TEXT_MAX);
    TextBuilder b = {};
    b.AppendFormat(L"단축키\n  다음 탭: %s\n  트리 ↔ PuTTY 전환: %s\n  빠른 연결: %s\n\n"
                   L"탭: 가운데 클릭으로 닫기, 끌어서 순서 바꾸기, 오른쪽 클릭으로 메뉴",
                   next, focus, quick);
    StrCopyTo(out, START_SUMMARY_MAX, b.Text());
    b.Release();
}

static void OnCreate(HWND window)
{
    for (const StartButton &b : StartButtons) {
        HWND button = CreateWindowExW(0, L"BUTTON", b.Text, WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window,
                                      (HMENU)(INT_PTR)b.Command, GetModuleHandleW(NULL), NULL);
        SendMessageW(button, WM_SETFONT, (WPARAM)UiFont, FALSE);
    }
}

static void OnSize(HWND window)
{
    int y = ScaleForDpi(150);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SetWindowPos(child, NULL, ScaleForDpi(40), y, ScaleForDpi(210), ScaleForDpi(30),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        y += ScaleForDpi(30 + 8);
    }
    InvalidateRect(window, NULL, TRUE);
}

static HFONT CreateTitleFont(void)
{
    LOGFONTW lf;
    ZeroMemory(&lf, sizeof lf);
    GetObjectW(UiFont, sizeof lf, &lf);
    lf.lfHeight = -ScaleForDpi(28);
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&lf);
}

static void DrawIn(HDC dc, const wchar_t *text, int left, int top, int right, int bottom, UINT flags)
{
    RECT r = { left, top, right, bottom };
    DrawTextW(dc, text, -1, &r, flags | DT_NOPREFIX);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    SetBkMode(dc, TRANSPARENT);

    HFONT title = CreateTitleFont();
    HGDIOBJ previous = SelectObject(dc, title ? (HGDIOBJ)title : (HGDIOBJ)UiFont);
    SetTextColor(dc, RGB(31, 78, 121));
    DrawIn(dc, L"Kestrum", ScaleForDpi(40), ScaleForDpi(36), r.right, ScaleForDpi(80), DT_SINGLELINE);

    SelectObject(dc, UiFont);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawIn(dc, L"여러 PuTTY 세션을 탭 하나에 모아 쓰는 도구입니다.\n왼쪽 서버 트리에서 서버를 더블클릭하면 연결됩니다.",
           ScaleForDpi(40), ScaleForDpi(86), r.right - ScaleForDpi(20), ScaleForDpi(140), DT_WORDBREAK);

    wchar_t summary[START_SUMMARY_MAX];
    StartPageSummary(summary);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    /* right of the button column, which ends at 250 */
    DrawIn(dc, summary, ScaleForDpi(280), ScaleForDpi(150), r.right - ScaleForDpi(20), r.bottom, DT_WORDBREAK);

    SelectObject(dc, previous);
    if (title)
        DeleteObject(title);
    EndPaint(window, &ps);
}

LRESULT CALLBACK StartPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_SIZE:
        OnSize(window);
        return 0;
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window, &r);
        FillRect((HDC)wParam, &r, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_COMMAND:
        /* a button: the main window runs its command */
        SendMessageW(MainWindow, WM_COMMAND, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
