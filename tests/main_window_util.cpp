/*
 * main_window_util.cpp: the real main window in a test process.
 */
#include "main_window_util.h"

#include <commctrl.h>

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
