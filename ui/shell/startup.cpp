/*
 * startup.cpp: the program's entry: start-up in its fixed order, the
 * first run, the sessions of the last exit, and the message loop.
 */
#include <windows.h>
#include <commctrl.h>

#include "../../config/config_file.h"
#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/files.h"
#include "../../core/text.h"
#include "../../sessions/putty_discovery.h"
#include "../../sessions/putty_sessions.h"
#include "../../sessions/session.h"
#include "../commands/commands.h"
#include "../dialogs/prompts.h"
#include "layout.h"
#include "layout_rules.h"
#include "main_window.h"
#include "startup.h"
#include "tabs.h"

/* Shows the window at the saved placement when it is still on a screen. */
static void ShowAtSavedPlacement(void)
{
    const WindowPlacement &saved = Settings.Window;
    if (!Settings.WindowValid ||
        !PlacementOnScreen(saved.Left, saved.Top, saved.Right, saved.Bottom,
                           GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN))) {
        ShowWindow(MainWindow, SW_SHOWNORMAL);
        return;
    }
    WINDOWPLACEMENT wp;
    ZeroMemory(&wp, sizeof wp);
    wp.length = sizeof wp;
    wp.showCmd = (UINT)RestoredShowCommand(saved.ShowCmd);
    wp.rcNormalPosition.left = saved.Left;
    wp.rcNormalPosition.top = saved.Top;
    wp.rcNormalPosition.right = saved.Right;
    wp.rcNormalPosition.bottom = saved.Bottom;
    SetWindowPlacement(MainWindow, &wp);
}

static void FirstRun(void)
{
    wchar_t appData[KPATH], mtputty[KPATH];
    DWORD n = GetEnvironmentVariableW(L"APPDATA", appData, KPATH);
    if (n > 0 && n < KPATH) {
        PathJoin(mtputty, KPATH, appData, L"TTYPlus\\mtputty.xml");
        if (FileExists(mtputty) &&
            ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION,
                        L"MTPuTTY 설정이 있습니다.\n%s\n\n서버 트리와 옵션을 가져올까요?", mtputty) == IDYES)
            ExecuteCommand(CMD_IMPORT_MTPUTTY);
    }
    if (!FileExists(Settings.PuttyPath))
        ShowMessage(MainWindow, MB_ICONINFORMATION,
                    L"putty.exe를 찾지 못했습니다.\n도구 → PuTTY 위치에서 putty.exe(또는 kitty.exe)를 지정하세요.");
    ConfigSave();
}

/* The node a saved open session stands for, or null. */
static const ServerNode *PendingTarget(const PendingOpenSession *p)
{
    if (p->Uid)
        if (const ServerNode *n = NodeFindByUid(ServersRoot, p->Uid))
            return n;
    if (p->Session && PuttySessionsFolder) {
        const ServerNode *last = NULL;
        for (const ServerNode *c = PuttySessionsFolder->FirstChild; c; c = c->NextSibling)
            if (StrCompareNoCase(c->SavedSession, p->Session) == 0)
                last = c;
        if (last)
            return last;
    }
    return p->Node;
}

void RestoreOpenSessions(void)
{
    for (const PendingOpenSession *p = PendingOpenSessions; p; p = p->Next) {
        const ServerNode *target = PendingTarget(p);
        if (!target)
            continue;
        Session *s = OpenSession(target);
        s->Broadcast = p->Member;
        if (!StrIsEmpty(p->Caption)) {
            StrCopyTo(s->Caption, CAPTION_MAX, p->Caption);
            s->CaptionIsCustom = true;
        }
        if (s->Broadcast || s->CaptionIsCustom)
            RefreshSessionCaption(s);
    }
    FreePendingOpenSessions();
}

int RunKestrum(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX icc = { sizeof icc, 0x42FF };
    InitCommonControlsEx(&icc);
    CreateUiFont();
    SettingsSetDefaults();
    ConfigLocate();
    bool loaded = ConfigLoad();
    if (!FileExists(Settings.PuttyPath))
        LocatePutty(Settings.PuttyPath, KPATH);
    ReadPuttyVersion();
    LoadPuttySessions();
    RegisterWindowClasses(instance);
    SessionsInit();
    if (!CreateMainWindow(instance))
        return 1;
    ShowAtSavedPlacement();
    LayoutMainWindow();
    UpdateWindow(MainWindow);
    if (!loaded)
        FirstRun();
    RestoreOpenSessions();

    MSG msg;
    msg.wParam = 0;
    for (;;) {
        BOOL got = GetMessageW(&msg, NULL, 0, 0);
        if (got <= 0)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return (int)msg.wParam;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    ExitProcess((UINT)RunKestrum(instance));
}
