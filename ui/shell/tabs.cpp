/*
 * tabs.cpp: the active session, the tab strip and the session list.
 */
#include "tabs.h"

#include <windows.h>
#include <commctrl.h>

#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/capture.h"
#include "../../sessions/session.h"
#include "../dialogs/prompts.h"
#include "broadcast_bar.h"
#include "layout.h"
#include "main_window.h"
#include "menus.h"
#include "tab_rules.h"

static int StoredActiveIndex = -1;
static WNDPROC TabPrevious;
/* A press and its release are messages apart, and the poll may remove
 * or add sessions between them: both hold the pressed session's Id. */
static int CloseButtonPressedId;
static int TabDragSourceId;
static POINT DragStart;
static bool TabDragging;

int ActiveIndex(void)
{
    return StoredActiveIndex >= 0 && StoredActiveIndex < SessionCount ? StoredActiveIndex : -1;
}

Session *ActiveSession(void)
{
    int i = ActiveIndex();
    return i >= 0 ? SessionList[i] : NULL;
}

void UpdateMainTitle(void)
{
    Session *s = ActiveSession();
    wchar_t title[1025];
    if (s)
        StrFormat(title, L"%s - %s", s->Caption, L"Kestrum");
    else
        StrCopyTo(title, 1025, L"Kestrum");
    SetWindowTextW(MainWindow, title);
}

void ActivateSession(int index, bool focus)
{
    if (index < 0 || index >= SessionCount)
        return;
    StoredActiveIndex = index;
    if (SendMessageW(TabControl, TCM_GETCURSEL, 0, 0) != index)
        SendMessageW(TabControl, TCM_SETCURSEL, index, 0);
    SendMessageW(SessionListBox, LB_SETCURSEL, index, 0);
    LayoutMainWindow();
    Session *s = SessionList[index];
    if (focus && !FrontPuttyBox(s) && !FocusPutty(s))
        SetFocus(s->HostWindow);
    if (Settings.ViewMode != 0)
        for (int i = 0; i < SessionCount; i++)
            InvalidateRect(SessionList[i]->HostWindow, NULL, FALSE);
    UpdateMainTitle();
}

static int Marks(const Session *s)
{
    return (s->Broadcast ? TAB_MARK_MEMBER : 0) | (s->ScriptStopped ? TAB_MARK_STOPPED : 0) |
           (s->PuttyBox ? TAB_MARK_ASKS : 0);
}

static void TabText(const Session *s, wchar_t *out)
{
    ComposeTabText(out, s->State, s->Disconnected, s->Caption, Settings.CloseButtonOnTabs != 0, Marks(s));
}

static void ListText(const Session *s, wchar_t *out)
{
    ComposeListText(out, s->State, s->Disconnected, s->Caption, Marks(s));
}

void PaintColorMark(HDC dc, const RECT *r, int color)
{
    HBRUSH fill = CreateSolidBrush(LabelColorRef(color));
    FillRect(dc, r, fill);
    DeleteObject(fill);
    /* an outline keeps the light colours apart from a white or
     * highlighted background */
    FrameRect(dc, r, (HBRUSH)GetStockObject(GRAY_BRUSH));
}

int SessionLineHeight(void)
{
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, UiFont ? UiFont : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    return tm.tmHeight + ScaleForDpi(4);
}

void DrawSessionLine(const DRAWITEMSTRUCT *d)
{
    if (d->itemID == (UINT)-1)
        return;
    HDC dc = d->hDC;
    RECT r = d->rcItem;
    bool selected = (d->itemState & ODS_SELECTED) != 0;
    FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    /* the mark's place is kept on every line, so that the texts align */
    int side = (r.bottom - r.top) * 5 / 8, gap = ScaleForDpi(3);
    RECT mark = { r.left + gap, r.top + (r.bottom - r.top - side) / 2, r.left + gap + side, 0 };
    mark.bottom = mark.top + side;
    int color = (int)d->itemID < SessionCount ? SessionColor(SessionList[d->itemID]) : 0;
    if (color)
        PaintColorMark(dc, &mark, color);
    wchar_t text[TAB_TEXT_MAX];
    text[0] = 0;
    if (SendMessageW(d->hwndItem, LB_GETTEXTLEN, d->itemID, 0) < TAB_TEXT_MAX)
        SendMessageW(d->hwndItem, LB_GETTEXT, d->itemID, (LPARAM)text);
    r.left = mark.right + gap;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(dc, UiFont ? UiFont : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, text, -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    if (d->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &d->rcItem);
}

/* Whether tab i exists and shows text. */
static bool TabShows(int i, const wchar_t *text)
{
    wchar_t current[TAB_TEXT_MAX];
    current[0] = 0;
    TCITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = TCIF_TEXT;
    item.pszText = current;
    item.cchTextMax = TAB_TEXT_MAX;
    return SendMessageW(TabControl, TCM_GETITEMW, i, (LPARAM)&item) && StrEqual(text, current);
}

/* Tab i gets text, appended when i is past the count; true when it
 * changed.  Items that stay as they are are left alone: the tab control
 * measures every tab again on each change. */
static bool PutTabText(int i, int count, wchar_t *text)
{
    TCITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = TCIF_TEXT;
    if (i < count) {
        if (TabShows(i, text))
            return false;
        item.pszText = text;
        SendMessageW(TabControl, TCM_SETITEMW, i, (LPARAM)&item);
        return true;
    }
    item.pszText = text;
    SendMessageW(TabControl, TCM_INSERTITEMW, i, (LPARAM)&item);
    return true;
}

/* The same for line i of the session list. */
static bool PutListText(int i, int count, const wchar_t *text)
{
    if (i < count) {
        wchar_t current[TAB_TEXT_MAX];
        current[0] = 0;
        if (SendMessageW(SessionListBox, LB_GETTEXTLEN, i, 0) < TAB_TEXT_MAX)
            SendMessageW(SessionListBox, LB_GETTEXT, i, (LPARAM)current);
        if (StrEqual(text, current))
            return false;
        SendMessageW(SessionListBox, LB_DELETESTRING, i, 0);
    }
    SendMessageW(SessionListBox, LB_INSERTSTRING, i, (LPARAM)text);
    return true;
}

void RebuildTabs(void)
{
    /* A list box that redraws draws its scroll bar again on every line. */
    SendMessageW(TabControl, WM_SETREDRAW, FALSE, 0);
    SendMessageW(SessionListBox, WM_SETREDRAW, FALSE, 0);
    int tabs = (int)SendMessageW(TabControl, TCM_GETITEMCOUNT, 0, 0);
    int lines = (int)SendMessageW(SessionListBox, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < SessionCount; i++) {
        wchar_t text[TAB_TEXT_MAX];
        TabText(SessionList[i], text);
        /* a removed session: its item goes, the ones after it stay */
        while (tabs > SessionCount && !TabShows(i, text) && TabShows(i + 1, text)) {
            SendMessageW(TabControl, TCM_DELETEITEM, i, 0);
            SendMessageW(SessionListBox, LB_DELETESTRING, i, 0);
            tabs--;
            lines--;
        }
        PutTabText(i, tabs, text);
        ListText(SessionList[i], text);
        PutListText(i, lines, text);
    }
    while (tabs > SessionCount)
        SendMessageW(TabControl, TCM_DELETEITEM, --tabs, 0);
    while (lines > SessionCount)
        SendMessageW(SessionListBox, LB_DELETESTRING, --lines, 0);
    if (StoredActiveIndex >= SessionCount)
        StoredActiveIndex = SessionCount - 1;
    if (StoredActiveIndex >= 0) {
        SendMessageW(TabControl, TCM_SETCURSEL, StoredActiveIndex, 0);
        SendMessageW(SessionListBox, LB_SETCURSEL, StoredActiveIndex, 0);
    }
    SendMessageW(TabControl, WM_SETREDRAW, TRUE, 0);
    SendMessageW(SessionListBox, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(TabControl, NULL, TRUE);
    InvalidateRect(SessionListBox, NULL, TRUE);
    UpdateBroadcastLabel();
    LayoutMainWindow();
    UpdateMainTitle();
}

void RefreshSessionCaption(Session *s)
{
    int i = SessionIndex(s);
    int tabs = (int)SendMessageW(TabControl, TCM_GETITEMCOUNT, 0, 0);
    if (i < 0 || i >= tabs)
        return;
    wchar_t text[TAB_TEXT_MAX];
    TabText(s, text);
    LRESULT rows = SendMessageW(TabControl, TCM_GETROWCOUNT, 0, 0);
    if (PutTabText(i, tabs, text) && SendMessageW(TabControl, TCM_GETROWCOUNT, 0, 0) != rows)
        LayoutMainWindow();     /* the strip grew or shrank by a row */
    ListText(s, text);
    LRESULT selected = SendMessageW(SessionListBox, LB_GETCURSEL, 0, 0);
    if (PutListText(i, (int)SendMessageW(SessionListBox, LB_GETCOUNT, 0, 0), text))
        SendMessageW(SessionListBox, LB_SETCURSEL, selected, 0);
    InvalidateRect(s->HostWindow, NULL, FALSE);
    if (i == ActiveIndex())
        UpdateMainTitle();
}

void RequestCloseSession(Session *s)
{
    if (!s)
        return;
    if (!Settings.NoCloseConfirm && s->State == SESSION_RUNNING) {
        int id = s->Id;
        if (ShowMessage(MainWindow, MB_YESNO | MB_ICONQUESTION, L"'%s' 세션을 닫을까요?", s->Caption) != IDYES)
            return;
        /* the poll goes on under the question: the session may be gone */
        s = FindSessionById(id);
        if (!s)
            return;
    }
    CloseSession(s, true);
}

static int IndexOfId(int id)
{
    return id ? SessionIndex(FindSessionById(id)) : -1;
}

static int IdAt(int index)
{
    return index >= 0 && index < SessionCount ? SessionList[index]->Id : 0;
}

static LayoutRect ItemRect(int index)
{
    RECT r = {};
    SendMessageW(TabControl, TCM_GETITEMRECT, index, (LPARAM)&r);
    LayoutRect out = { r.left, r.top, r.right, r.bottom };
    return out;
}

/* The tab whose close mark is under the point, or -1. */
static int CloseMarkAt(int x, int y)
{
    if (!Settings.CloseButtonOnTabs)
        return -1;
    int count = (int)SendMessageW(TabControl, TCM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; i++)
        if (CloseMarkHit(ItemRect(i), ScaleForDpi(12), ScaleForDpi(5), x, y))
            return i;
    return -1;
}

static int TabAt(int x, int y)
{
    TCHITTESTINFO hit;
    hit.pt.x = x;
    hit.pt.y = y;
    hit.flags = 0;
    return (int)SendMessageW(TabControl, TCM_HITTEST, 0, (LPARAM)&hit);
}

/* A band of the session's colour along the tab's outer edge: the top,
 * or the bottom when the tabs are below. */
static void PaintColorBand(HDC dc, int i)
{
    int color = i < SessionCount ? SessionColor(SessionList[i]) : 0;
    if (!color)
        return;
    LayoutRect item = ItemRect(i);
    /* above the text, which the control centres in the item */
    int h = ScaleForDpi(3), inset = ScaleForDpi(1);
    RECT band = { item.Left + 2 * inset, item.Top + inset, item.Right - 2 * inset, item.Top + inset + h };
    if (Settings.TabBottom)
        OffsetRect(&band, 0, (item.Bottom - item.Top) - 2 * inset - h);
    HBRUSH brush = CreateSolidBrush(LabelColorRef(color));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
}

/* What the control does not draw itself: the colour bands and the close
 * marks. */
static LRESULT PaintTabMarks(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallWindowProcW(TabPrevious, w, msg, wParam, lParam);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, GlyphFont);
    SetBkMode(dc, TRANSPARENT);
    int count = (int)SendMessageW(w, TCM_GETITEMCOUNT, 0, 0);
    int pressed = IndexOfId(CloseButtonPressedId);
    for (int i = 0; i < count; i++) {
        PaintColorBand(dc, i);
        if (!Settings.CloseButtonOnTabs)
            continue;
        LayoutRect m = CloseMarkRect(ItemRect(i), ScaleForDpi(12), ScaleForDpi(5));
        RECT r = { m.Left, m.Top, m.Right, m.Bottom };
        SetTextColor(dc, i == pressed ? RGB(200, 0, 0) : GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, L"r", 1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return result;
}

static LRESULT TabButtonUp(HWND w, UINT msg, WPARAM wParam, LPARAM lParam, int x, int y)
{
    if (CloseButtonPressedId) {
        int released = CloseMarkAt(x, y), pressed = IndexOfId(CloseButtonPressedId);
        CloseButtonPressedId = 0;
        ReleaseCapture();
        InvalidateRect(w, NULL, FALSE);
        if (pressed >= 0 && released == pressed)
            RequestCloseSession(SessionList[pressed]);
        return 0;
    }
    if (TabDragging) {
        int target = TabAt(x, y), source = IndexOfId(TabDragSourceId);
        TabDragging = false;
        TabDragSourceId = 0;
        ReleaseCapture();
        if (target >= 0 && source >= 0 && target != source && target < SessionCount) {
            MoveEntry((void **)SessionList, SessionCount, source, target);
            StoredActiveIndex = target;
            RebuildTabs();
            ActivateSession(target, true);
        }
        return 0;
    }
    TabDragSourceId = 0;
    return CallWindowProcW(TabPrevious, w, msg, wParam, lParam);
}

static LRESULT CALLBACK TabProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = (short)LOWORD(lParam), y = (short)HIWORD(lParam);
    switch (msg) {
    case WM_PAINT:
        if (SessionCount > 0)
            return PaintTabMarks(w, msg, wParam, lParam);
        break;
    case WM_LBUTTONDOWN: {
        int mark = CloseMarkAt(x, y);
        if (mark >= 0 && mark < SessionCount) {
            CloseButtonPressedId = IdAt(mark);
            SetCapture(w);
            InvalidateRect(w, NULL, FALSE);
            return 0;
        }
        TabDragSourceId = IdAt(TabAt(x, y));
        DragStart.x = x;
        DragStart.y = y;
        TabDragging = false;
        break;
    }
    case WM_MOUSEMOVE:
        if (TabDragSourceId && (wParam & MK_LBUTTON)) {
            if (TabDragging)
                return 0;
            if (DragStarted(x - DragStart.x, y - DragStart.y, GetSystemMetrics(SM_CXDRAG),
                            GetSystemMetrics(SM_CYDRAG))) {
                TabDragging = true;
                SetCapture(w);
                SetCursor(LoadCursorW(NULL, (LPCWSTR)IDC_SIZEWE));
                return 0;
            }
        }
        break;
    case WM_LBUTTONUP:
        return TabButtonUp(w, msg, wParam, lParam, x, y);
    case WM_RBUTTONUP: {
        int tab = TabAt(x, y);
        if (tab >= 0)
            ActivateSession(tab, false);
        POINT pt = { x, y };
        ClientToScreen(w, &pt);
        ShowTabContextMenu(pt.x, pt.y);
        return 0;
    }
    case WM_MBUTTONUP: {
        int tab = TabAt(x, y);
        if (tab >= 0 && tab < SessionCount)
            RequestCloseSession(SessionList[tab]);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (CloseButtonPressedId) {
            CloseButtonPressedId = 0;
            InvalidateRect(w, NULL, FALSE);
        }
        TabDragging = false;
        break;
    }
    return CallWindowProcW(TabPrevious, w, msg, wParam, lParam);
}

void InstallTabSubclass(void)
{
    TabPrevious = (WNDPROC)SetWindowLongPtrW(TabControl, GWLP_WNDPROC, (LONG_PTR)TabProc);
    /* room for a caption of 255 characters and PuTTY's reason, wrapped */
    SendMessageW((HWND)SendMessageW(TabControl, TCM_GETTOOLTIPS, 0, 0), TTM_SETMAXTIPWIDTH, 0, ScaleForDpi(480));
}

bool TabTipText(NMHDR *header)
{
    if (header->code != TTN_GETDISPINFOW || !TabControl ||
        header->hwndFrom != (HWND)SendMessageW(TabControl, TCM_GETTOOLTIPS, 0, 0))
        return false;
    /* the tooltip copies the text before the next tip is asked for */
    static wchar_t tip[CAPTION_MAX + STATUS_MAX + 1];
    int i = (int)header->idFrom;
    tip[0] = 0;
    if (i >= 0 && i < SessionCount)
        ComposeTabTip(tip, CAPTION_MAX + STATUS_MAX + 1, SessionList[i]->Caption, SessionList[i]->Reason);
    NMTTDISPINFOW *info = (NMTTDISPINFOW *)header;
    info->lpszText = tip;
    info->hinst = NULL;
    return true;
}
