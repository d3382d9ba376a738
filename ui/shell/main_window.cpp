/*
 * main_window.cpp: the main window procedure: timer, focus, splitters,
 * commands, notifications and the close.
 */
#include "main_window.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/config_file.h"
#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/capture.h"
#include "../../sessions/session.h"
#include "../commands/commands.h"
#include "../dialogs/prompts.h"
#include "../hotkeys/hotkey_actions.h"
#include "../hotkeys/hotkeys.h"
#include "../tree/tree_view.h"
#include "broadcast_bar.h"
#include "find_box.h"
#include "layout.h"
#include "menus.h"
#include "start_page.h"
#include "tabs.h"
#include "toolbar.h"

HWND MainWindow;
HFONT UiFont;
static HWND SavedFocus;
static HWND FocusAfterActivation;   /* where activating the window put it */
/* The session active when the menu bar opened: its commands are about
 * that session, which may have gone before they arrive. */
static int MenuSessionId;
static int SplitterDrag;        /* 0 none, 1 tree width, 2 session-list height */
static DWORD LastFocusCheck;

void CreateUiFont(void)
{
    NONCLIENTMETRICSW m;
    ZeroMemory(&m, sizeof m);
    /* the size without the padded-border member, which XP does not know */
    m.cbSize = 500;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &m, 0))
        UiFont = CreateFontIndirectW(&m.lfMessageFont);
    if (!UiFont)
        UiFont = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

void RegisterWindowClasses(HINSTANCE instance)
{
    WNDCLASSEXW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
    wc.hIconSm = (HICON)LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                   GetSystemMetrics(SM_CYSMICON), 0);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"KestrumMain";
    RegisterClassExW(&wc);
    wc.lpfnWndProc = StartPageProc;
    wc.hIcon = wc.hIconSm = NULL;
    wc.hbrBackground = NULL;
    wc.lpszClassName = L"KestrumStart";
    RegisterClassExW(&wc);
    RegisterSessionWindowClasses(instance);
}

HWND CreateMainWindow(HINSTANCE instance)
{
    return CreateWindowExW(0, L"KestrumMain", L"Kestrum", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, ScaleForDpi(1100), ScaleForDpi(720), NULL, NULL, instance, NULL);
}

void SaveWindowPlacement(void)
{
    WINDOWPLACEMENT wp;
    ZeroMemory(&wp, sizeof wp);
    wp.length = sizeof wp;
    if (!GetWindowPlacement(MainWindow, &wp))
        return;
    static_assert(sizeof(WindowPlacement) == sizeof(WINDOWPLACEMENT), "the stored form is WINDOWPLACEMENT");
    MemCopy(&Settings.Window, &wp, sizeof wp);
    Settings.WindowValid = true;
}

/* The active PuTTY window, else the tree. */
static void FocusDefault(void)
{
    if (!FocusPutty(ActiveSession()))
        SetFocus(ServerTree);
}

void FollowFocus(void)
{
    HWND focus = GetFocus();
    if (!focus || SessionCount < 2)
        return;
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (!s->PuttyWindow)
            continue;
        if (s->PuttyWindow == focus || IsChild(s->HostWindow, focus)) {
            if (i != ActiveIndex())
                ActivateSession(i, false);
            return;
        }
    }
}

static void InformAboutSession(const wchar_t *text)
{
    ShowMessage(MainWindow, MB_ICONINFORMATION, L"%s", text);
}

/* The sessions' host windows live in the main window, and their changes
 * show in its tabs. */
static void ShowSessionsHere(HWND window)
{
    Shell.Main = window;
    Shell.Font = UiFont;
    Shell.Scale = ScaleForDpi;
    Shell.TabsChanged = RebuildTabs;
    Shell.SessionChanged = RefreshSessionCaption;
    Shell.Activate = ActivateSession;
    Shell.ActiveIndex = ActiveIndex;
    Shell.Inform = InformAboutSession;
}

static void OnTimer(void)
{
    SessionsTick();
    /* A box of an embedded PuTTY disables the main window, and a PuTTY
     * ended with its box open never enables it again. */
    if (!IsWindowEnabled(MainWindow) && ModalDepth == 0 && !PuttyBoxExists())
        EnableWindow(MainWindow, TRUE);
    DWORD now = GetTickCount();
    if (GetForegroundWindow() != MainWindow || ModalDepth != 0)
        return;
    /* a focus change that found PuTTY busy left the keys in its host
     * window: they go on as soon as PuTTY answers */
    Session *s = ActiveSession();
    HWND focus = GetFocus();
    if (s && focus && (focus == s->HostWindow || focus == s->ClipWindow) && PuttyWindowAnswers(s->PuttyWindow))
        SetFocus(s->PuttyWindow);
    if (now - LastFocusCheck > 250) {
        LastFocusCheck = now;
        FollowFocus();
    }
}

/* The close of the whole program, unless the user keeps it open. */
static void OnClose(void)
{
    if (SessionCount > 0 && !Settings.NoQuitConfirm &&
        ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION, L"열린 세션 %d개를 모두 닫고 Kestrum를 끝낼까요?",
                    SessionCount) != IDYES)
        return;
    SaveWindowPlacement();
    ConfigSave();
    KillTimer(MainWindow, MAIN_TIMER_ID);
    ForgetClipboard();
    TerminateAllSessions();
    DestroyWindow(MainWindow);
}

static void OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND control = (HWND)lParam;
    int code = HIWORD(wParam);
    if (control && control == SessionListBox) {
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
            int sel = (int)SendMessageW(SessionListBox, LB_GETCURSEL, 0, 0);
            if (sel >= 0)
                ActivateSession(sel, code == LBN_DBLCLK);
        }
        return;
    }
    if (control && control == FindBox) {
        if (code == EN_CHANGE)
            FindBoxChanged();
        return;
    }
    if (control && control == QuickConnectBox)
        return;
    if (!control && code == 0)
        ExecuteCommandFor(LOWORD(wParam), MenuSessionId);
    else
        ExecuteCommand(LOWORD(wParam));
}

static void OnSessionListMenu(LPARAM lParam)
{
    POINT pt = { (short)LOWORD(lParam), (short)HIWORD(lParam) };
    POINT client = pt;
    ScreenToClient(SessionListBox, &client);
    LRESULT hit = SendMessageW(SessionListBox, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    if (HIWORD(hit) == 0 && (int)LOWORD(hit) < SessionCount)
        ActivateSession(LOWORD(hit), false);
    ShowTabContextMenu(pt.x, pt.y);
}

static bool InRect(const RECT &r, int x, int y)
{
    POINT pt = { x, y };
    return PtInRect(&r, pt) != 0;
}

/* A node dragged over the tree: move the image, light up the target. */
static void TreeDragMove(int x, int y)
{
    POINT pt = { x, y };
    MapWindowPoints(MainWindow, ServerTree, &pt, 1);
    HIMAGELIST image = TreeDragImage();
    if (image)
        ImageList_DragMove(pt.x, pt.y);
    TVHITTESTINFO hit;
    ZeroMemory(&hit, sizeof hit);
    hit.pt = pt;
    HTREEITEM target = (HTREEITEM)SendMessageW(ServerTree, TVM_HITTEST, 0, (LPARAM)&hit);
    if (image)
        ImageList_DragShowNolock(FALSE);
    SendMessageW(ServerTree, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)target);
    if (image)
        ImageList_DragShowNolock(TRUE);
    SetCursor(LoadCursorW(NULL, (LPCWSTR)IDC_ARROW));
}

static void OnMouseMove(int x, int y)
{
    if (TreeDragging()) {
        TreeDragMove(x, y);
        return;
    }
    if (SplitterDrag == 1) {
        Settings.TreeWidth = x < ScaleForDpi(120) ? ScaleForDpi(120) : x;
        LayoutMainWindow();
    } else if (SplitterDrag == 2) {
        RECT rc;
        GetClientRect(MainWindow, &rc);
        int h = rc.bottom - y - ScaleForDpi(20);
        Settings.SessionsHeight = h < ScaleForDpi(40) ? ScaleForDpi(40) : h;
        LayoutMainWindow();
    }
}

static void OnButtonDown(int x, int y)
{
    if (InRect(TreeSplitterRect, x, y))
        SplitterDrag = 1;
    else if (InRect(ListSplitterRect, x, y))
        SplitterDrag = 2;
    else if (!SplitterDrag)
        return;
    SetCapture(MainWindow);
}

static void OnButtonUp(int x, int y)
{
    if (TreeDragging()) {
        EndTreeDrag(x, y);
    } else if (SplitterDrag) {
        SplitterDrag = 0;
        ReleaseCapture();
    }
}

static LRESULT OnSetCursor(HWND window, WPARAM wParam, LPARAM lParam)
{
    if ((HWND)wParam == window && LOWORD(lParam) == HTCLIENT) {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(window, &pt);
        if (PtInRect(&TreeSplitterRect, pt)) {
            SetCursor(LoadCursorW(NULL, (LPCWSTR)IDC_SIZEWE));
            return TRUE;
        }
        if (PtInRect(&ListSplitterRect, pt)) {
            SetCursor(LoadCursorW(NULL, (LPCWSTR)IDC_SIZENS));
            return TRUE;
        }
    }
    return DefWindowProcW(window, WM_SETCURSOR, wParam, lParam);
}

/* Back in the main window (from another program, a PuTTY box, a dialog
 * or a message box): the keys go to the active session's PuTTY, or to
 * the box it shows, which may be hidden behind the main window; where
 * the window was left may be the box that started the session. */
static void OnRestoreFocus(bool activation)
{
    /* a click that activated the window has put the focus where it
     * landed, and the keys typed next go there, unless PuTTY asks */
    bool clicked = activation && GetFocus() != FocusAfterActivation;
    /* typing for the whole broadcast group goes on where it was left */
    if (!clicked && SavedFocus && SavedFocus == BroadcastBox && IsWindowVisible(BroadcastBox)) {
        SetFocus(BroadcastBox);
        return;
    }
    Session *s = ActiveSession();
    if (FrontPuttyBox(s) || clicked || FocusPutty(s))
        return;
    /* a saved PuTTY window is another process's: a hung one would hang
     * the focus change */
    if (SavedFocus && SavedFocus != (s ? s->PuttyWindow : NULL) && IsWindow(SavedFocus) &&
        IsWindowVisible(SavedFocus) && PuttyWindowAnswers(SavedFocus, ANSWER_SOON_MS))
        SetFocus(SavedFocus);
    else
        SetFocus(ServerTree);     /* the active PuTTY was just asked */
}

static LRESULT OnActivate(HWND window, WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == WA_INACTIVE) {
        SavedFocus = GetFocus();
        return DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
    }
    if (HIWORD(wParam))
        return DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
    DefWindowProcW(window, WM_ACTIVATE, wParam, lParam);
    FocusAfterActivation = GetFocus();
    PostMessageW(window, WM_APP_RESTORE_FOCUS, 1, 0);
    return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    switch (msg) {
    case WM_CREATE:
        MainWindow = window;
        ShowSessionsHere(window);
        CreateMainChildren(window);
        SetTimer(window, MAIN_TIMER_ID, 50, NULL);
        return 0;
    case WM_DESTROY:
        SetHotkeysActive(false);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            LayoutMainWindow();
        return 0;
    case WM_ACTIVATE:
        return OnActivate(window, wParam, lParam);
    case WM_SETFOCUS:
        FocusDefault();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_QUERYENDSESSION:
        SaveWindowPlacement();
        ConfigSave();
        return TRUE;
    case WM_ACTIVATEAPP:
        SetHotkeysActive(wParam != 0);
        break;
    case WM_SETCURSOR:
        return OnSetCursor(window, wParam, lParam);
    case WM_GETMINMAXINFO: {
        MINMAXINFO *mm = (MINMAXINFO *)lParam;
        mm->ptMinTrackSize.x = ScaleForDpi(480);
        mm->ptMinTrackSize.y = ScaleForDpi(320);
        return 0;
    }
    case WM_MEASUREITEM:
        /* the session list, made before its font is known */
        if (((MEASUREITEMSTRUCT *)lParam)->CtlType != ODT_LISTBOX)
            break;
        ((MEASUREITEMSTRUCT *)lParam)->itemHeight = (UINT)SessionLineHeight();
        return TRUE;
    case WM_DRAWITEM:
        if (((DRAWITEMSTRUCT *)lParam)->hwndItem != SessionListBox)
            break;
        DrawSessionLine((DRAWITEMSTRUCT *)lParam);
        return TRUE;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (HandleNotify((NMHDR *)lParam, &result))
            return result;
        break;
    }
    case WM_CONTEXTMENU:
        if ((HWND)wParam == SessionListBox) {
            OnSessionListMenu(lParam);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && TreeDragging()) {
            CancelTreeDrag();
            return 0;
        }
        break;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == MAIN_TIMER_ID)
            OnTimer();
        return 0;
    case WM_INITMENUPOPUP:
        UpdateMenuStates((HMENU)wParam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(x, y);
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(x, y);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(x, y);
        return 0;
    case WM_ENTERMENULOOP:
        SetHotkeysActive(false);
        if (!wParam) {
            Session *s = ActiveSession();
            MenuSessionId = s ? s->Id : 0;
        }
        return 0;
    case WM_EXITMENULOOP:
        if (ModalDepth == 0 && GetForegroundWindow() == MainWindow)
            SetHotkeysActive(true);
        /* the chosen command is posted already: this comes after it */
        if (!wParam)
            PostMessageW(window, WM_APP_MENU_DONE, 0, 0);
        return 0;
    case WM_APP_MENU_DONE:
        MenuSessionId = 0;
        return 0;
    case WM_APP_COMMAND_FOR:
        ExecuteCommandFor((int)wParam, (int)lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (TreeDragging() && (HWND)lParam != MainWindow)
            CancelTreeDrag();
        SplitterDrag = 0;
        return 0;
    case WM_HOTKEY:
        if (wParam >= HOTKEY_ID_BASE && wParam < HOTKEY_ID_BASE + HOTKEY_COUNT && ModalDepth == 0)
            ExecuteCommand(HotkeyActions[wParam - HOTKEY_ID_BASE].Command);
        return 0;
    case WM_APP_RESTORE_FOCUS:
        OnRestoreFocus(wParam != 0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
