/*
 * main_window_util.cpp: the real main window in a test process.
 */
#include "main_window_util.h"

#include <commctrl.h>
#include <stdlib.h>

#include "../config/settings.h"
#include "../sessions/session.h"
#include "../ui/shell/layout.h"
#include "../ui/shell/main_window.h"

void Pump()
{
    MSG m;
    while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

bool Until(const std::function<bool()> &done, DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        SessionsTick();
        if (done())
            return true;
        if (GetTickCount() - start > ms)
            return false;
        Sleep(15);
    }
}

void OpenMainWindow()
{
    if (MainWindow)
        return;
    INITCOMMONCONTROLSEX icc = { sizeof icc, 0x42FF };
    InitCommonControlsEx(&icc);
    CreateUiFont();
    SettingsSetDefaults();
    RegisterWindowClasses(GetModuleHandleW(NULL));
    CreateMainWindow(GetModuleHandleW(NULL));
    ShowWindow(MainWindow, SW_SHOW);
    LayoutMainWindow();
}

HWND FocusAfterOpening;
INT_PTR InitReturned;
static DLGPROC Opened;

static INT_PTR CALLBACK Recorded(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR r = Opened(dialog, msg, wParam, lParam);
    if (msg == WM_INITDIALOG) {
        FocusAfterOpening = GetFocus();
        InitReturned = r;
    }
    return r;
}

static HWND HiddenHost()
{
    static HWND host;
    if (!host)
        host = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 800, 800, NULL, NULL, NULL, NULL);
    return host;
}

HWND OpenTestDialog(int id, DLGPROC proc, LPARAM param)
{
    Opened = proc;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(id), NULL, Recorded, param);
    if (!dialog)
        return NULL;
    if (!getenv("KESTRUM_SHOTS")) {
        LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
        SetWindowLongPtrW(dialog, GWL_STYLE, (style & ~WS_POPUP) | WS_CHILD);
        SetParent(dialog, HiddenHost());
    }
    ShowWindow(dialog, SW_SHOW);
    Pump();
    return dialog;
}
