/*
 * layout.cpp: the main window's children and their places.
 */
#include "layout.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/capture.h"
#include "../../sessions/session.h"
#include "../tree/tree_view.h"
#include "broadcast_bar.h"
#include "find_box.h"
#include "layout_rules.h"
#include "main_window.h"
#include "menus.h"
#include "tabs.h"
#include "toolbar.h"

HWND FindBox;
HWND ServerTree;
HWND ListLabel;
HWND SessionListBox;
HWND TabControl;
HWND StartPageWindow;
HFONT GlyphFont;
RECT TreeSplitterRect;
RECT ListSplitterRect;

static int ScreenDpi(void)
{
    static int dpi;
    if (!dpi) {
        HDC dc = GetDC(NULL);
        dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
        if (dc)
            ReleaseDC(NULL, dc);
        if (dpi <= 0)
            dpi = 96;
    }
    return dpi;
}

int ScaleForDpi(int n)
{
    return ScaleLength(n, ScreenDpi());
}

HWND CreateMainChild(HWND main, DWORD exStyle, const wchar_t *cls, const wchar_t *text, DWORD style)
{
    HWND w = CreateWindowExW(exStyle, cls, text, style, 0, 0, 10, 10, main, NULL, GetModuleHandleW(NULL), NULL);
    SendMessageW(w, WM_SETFONT, (WPARAM)UiFont, FALSE);
    return w;
}

static void CreateGlyphFont(void)
{
    LOGFONTW lf;
    ZeroMemory(&lf, sizeof lf);
    GetObjectW(UiFont, sizeof lf, &lf);
    lf.lfCharSet = SYMBOL_CHARSET;
    lf.lfWeight = FW_NORMAL;
    lf.lfHeight = -ScaleForDpi(9);
    lstrcpyW(lf.lfFaceName, L"Marlett");
    GlyphFont = CreateFontIndirectW(&lf);
}

void CreateMainChildren(HWND main)
{
    CreateToolbar(main);
    FindBox = CreateMainChild(main, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL);
    SendMessageW(FindBox, EM_SETCUEBANNER, FALSE, (LPARAM)L"서버 찾기 (이름, 주소, 사용자)");
    InstallFindBoxSubclass();
    /* Without a horizontal scroll bar: one that comes and goes as the
     * filter changes what is shown makes the control lay every item out
     * again. */
    ServerTree = CreateMainChild(main, WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                 TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS | TVS_NOHSCROLL);
    ListLabel = CreateMainChild(main, 0, L"STATIC", L"열린 세션", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE);
    /* drawn by the main window: each line carries its session's colour */
    SessionListBox = CreateMainChild(main, WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY |
                                     LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    SendMessageW(SessionListBox, LB_SETITEMHEIGHT, 0, SessionLineHeight());
    TabControl = CreateMainChild(main, 0, WC_TABCONTROLW, L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER | TCS_MULTILINE | TCS_TOOLTIPS |
                                 (Settings.TabBottom ? TCS_BOTTOM : 0));
    InstallTabSubclass();
    CreateBroadcastBar(main);
    StartPageWindow = CreateWindowExW(0, L"KestrumStart", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 10,
                                10, main, NULL, GetModuleHandleW(NULL), NULL);
    CreateGlyphFont();
    BuildTreeImageList();
    RebuildMenuBar();
    RefillTree(NULL);
}

static void Place(HWND w, const LayoutRect &r, bool shown)
{
    if (!shown) {
        ShowWindow(w, SW_HIDE);
        return;
    }
    SetWindowPos(w, NULL, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

static RECT ToRect(const LayoutRect &r)
{
    RECT out = { r.Left, r.Top, r.Right, r.Bottom };
    return out;
}

/* Where the sessions go: the tab control's display area, or with no
 * session its whole client area less a small inset. */
static LayoutRect SessionArea(void)
{
    RECT a;
    GetClientRect(TabControl, &a);
    if (SessionCount > 0)
        TabCtrl_AdjustRect(TabControl, FALSE, &a);
    else
        InflateRect(&a, -2, -2);
    MapWindowPoints(TabControl, MainWindow, (POINT *)&a, 2);
    LayoutRect r = { a.left, a.top, a.right, a.bottom };
    return r;
}

/* Whether the host window already stands in the cell, shown or hidden
 * as wanted (wasShown: whether it was shown); its own window, so asking
 * costs nothing.  The style, not IsWindowVisible: the main window may be
 * hidden. */
static bool HostInPlace(HWND host, const LayoutRect &cell, bool shown, bool *wasShown)
{
    *wasShown = (GetWindowLongW(host, GWL_STYLE) & WS_VISIBLE) != 0;
    if (*wasShown != shown)
        return false;
    if (!shown)
        return true;    /* placed when it is shown */
    RECT r;
    GetWindowRect(host, &r);
    MapWindowPoints(NULL, MainWindow, (POINT *)&r, 2);
    return r.left == cell.Left && r.top == cell.Top && r.right == cell.Right && r.bottom == cell.Bottom;
}

static void TileSessions(const LayoutRect &area)
{
    /* Only the hosts that move, show or hide are touched: every move is a
     * round trip to the window manager, and most layouts (a tab switch,
     * a rebuilt tab strip) move one or two. */
    HDWP batch = BeginDeferWindowPos(SessionCount > 0 ? SessionCount : 1);
    int active = ActiveIndex();
    bool *in = (bool *)MemAlloc((size_t)(SessionCount > 0 ? SessionCount : 1) * sizeof(bool));
    for (int i = 0; i < SessionCount; i++)
        in[i] = !Settings.ViewMembersOnly || SessionList[i]->Broadcast;
    for (int i = 0; i < SessionCount && batch; i++) {
        LayoutRect cell;
        bool shown = SessionCellAmong(Settings.ViewMode, in, SessionCount, i, active, area, &cell), wasShown;
        Session *s = SessionList[i];
        if (HostInPlace(s->HostWindow, cell, shown, &wasShown))
            continue;
        if (shown && !wasShown)
            s->LastFit = 0;     /* not looked at while hidden: measure it */
        batch = DeferWindowPos(batch, s->HostWindow, HWND_TOP, cell.Left, cell.Top, cell.Right - cell.Left,
                               cell.Bottom - cell.Top, SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    if (batch)
        EndDeferWindowPos(batch);
    for (int i = 0; i < SessionCount; i++) {
        LayoutRect cell;
        if (SessionCellAmong(Settings.ViewMode, in, SessionCount, i, active, area, &cell))
            FitPuttyWindow(SessionList[i]);
    }
    MemFree(in);
}

void LayoutMainWindow(void)
{
    if (!MainWindow || !TabControl)
        return;
    RECT client;
    GetClientRect(MainWindow, &client);
    PaneInput in;
    in.Width = client.right;
    in.Height = client.bottom;
    in.Dpi = ScreenDpi();
    in.HideToolbar = Settings.HideToolbar != 0;
    in.HideTree = Settings.HideTree != 0;
    in.HideSessions = Settings.HideSessions != 0;
    in.TreeWidth = Settings.TreeWidth;
    in.SessionsHeight = Settings.SessionsHeight;
    in.ToolbarRow = in.HideToolbar ? 0 : ToolbarRowHeight();
    PaneLayout p;
    LayoutPanes(&in, &p);

    if (in.HideToolbar) {
        ShowWindow(Toolbar, SW_HIDE);
        ShowWindow(QuickConnectBox, SW_HIDE);
    } else {
        ShowWindow(Toolbar, SW_SHOW);
        SetWindowPos(Toolbar, NULL, 0, 0, client.right, p.Top, SWP_NOZORDER | SWP_NOACTIVATE);
        PlaceQuickConnectBox(p.Top);
    }
    TreeSplitterRect = ToRect(p.TreeSplitter);
    ListSplitterRect = ToRect(p.ListSplitter);
    Place(FindBox, p.Find, p.ShowTree);
    Place(ServerTree, p.Tree, p.ShowTree);
    Place(SessionListBox, p.List, p.ShowList);
    Place(ListLabel, p.Label, p.ShowList);
    SetWindowPos(TabControl, HWND_BOTTOM, p.Tab.Left, p.Tab.Top, p.Tab.Right - p.Tab.Left,
                 p.Tab.Bottom - p.Tab.Top, SWP_NOACTIVATE);

    LayoutRect area = SessionArea();
    bool bar = Settings.ShowBroadcastBar != 0;
    LayoutRect barRect = area;
    if (bar) {
        barRect.Bottom = area.Top + BroadcastBarHeight();
        area.Top = barRect.Bottom < area.Bottom ? barRect.Bottom : area.Bottom;
    }
    /* shown after the sessions moved out of its way, hidden before they
     * move in: a moved window takes its old pixels along, and the bar's
     * would stay over a PuTTY that does not repaint them */
    if (!bar)
        PlaceBroadcastBar(barRect, false);
    if (SessionCount == 0 && Settings.ShowStartPage)
        SetWindowPos(StartPageWindow, HWND_TOP, area.Left, area.Top, area.Right - area.Left, area.Bottom - area.Top,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    else
        ShowWindow(StartPageWindow, SW_HIDE);
    TileSessions(area);
    if (bar)
        PlaceBroadcastBar(barRect, true);
}

void SetViewMode(int mode)
{
    Settings.ViewMode = mode & 3;
    for (int i = 0; i < SessionCount; i++)
        SessionList[i]->LastFit = 0;
    LayoutMainWindow();
    for (int i = 0; i < SessionCount; i++)
        InvalidateRect(SessionList[i]->HostWindow, NULL, FALSE);
}
