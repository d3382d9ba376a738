/*
 * broadcast_bar.cpp: the broadcast bar and the broadcast group's
 * commands.
 */
#include "broadcast_bar.h"

#include "../../config/settings.h"
#include "../../core/text.h"
#include "../../sessions/session.h"
#include "broadcast_rules.h"
#include "layout.h"
#include "main_window.h"
#include "tabs.h"

HWND BroadcastLabel;
HWND BroadcastBox;
HWND BroadcastLineMode;

static WNDPROC BoxPrevious;
static BarHistory History;

static bool LineMode(void)
{
    return SendMessageW(BroadcastLineMode, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

static void SetBoxText(const wchar_t *text)
{
    SetWindowTextW(BroadcastBox, text);
    int end = GetWindowTextLengthW(BroadcastBox);
    SendMessageW(BroadcastBox, EM_SETSEL, end, end);
}

/* Line mode: Enter sends the line (with Enter) and keeps it for Up. */
static void SendLine(void)
{
    int n = GetWindowTextLengthW(BroadcastBox);
    wchar_t *line = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    GetWindowTextW(BroadcastBox, line, n + 1);
    BroadcastScript(line);
    BarHistoryAdd(&History, line);
    MemFree(line);
    SetBoxText(L"");
}

/* Live mode: pasted text goes out at once, line breaks as Enter; the box
 * keeps what follows the last one. */
static void PasteLive(void)
{
    if (!OpenClipboard(BroadcastBox))
        return;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t *text = data ? (const wchar_t *)GlobalLock(data) : NULL;
    if (text) {
        int n = BarTextEvents(text, NULL, 0);
        KeyEvent *events = (KeyEvent *)MemAlloc((size_t)(n > 0 ? n : 1) * sizeof(KeyEvent));
        BarTextEvents(text, events, n);
        BroadcastEvents(events, n);
        MemFree(events);
        const wchar_t *tail = text;
        for (const wchar_t *p = text; *p; p++)
            if (*p == '\r' || *p == '\n')
                tail = p + 1;
        if (tail != text)
            SetBoxText(tail);
        else
            SendMessageW(BroadcastBox, EM_REPLACESEL, TRUE, (LPARAM)text);
        GlobalUnlock(data);
    }
    CloseClipboard();
}

/* A character in live mode; false when the box does not see it. */
static bool LiveChar(int ch)
{
    KeyEvent e;
    int action = BarLiveChar(ch, &e);
    if (action == BAR_CHAR_BOX)
        return true;
    BroadcastEvents(&e, 1);
    if (action == BAR_CHAR_SEND_CLEAR)
        SetBoxText(L"");
    return action == BAR_CHAR_SEND;
}

static void Recall(const wchar_t *line)
{
    if (line)
        SetBoxText(line);
}

static LRESULT CALLBACK BoxProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_KEYDOWN:
        if (LineMode()) {
            if (wParam == VK_UP || wParam == VK_DOWN) {
                Recall(wParam == VK_UP ? BarHistoryOlder(&History) : BarHistoryNewer(&History));
                return 0;
            }
        } else {
            KeyEvent e;
            if (BarLiveKey((int)wParam, &e))
                BroadcastEvents(&e, 1);
        }
        break;
    case WM_CHAR:
    case WM_IME_CHAR:
        if (LineMode()) {
            if (wParam == 13 || wParam == 10) {
                SendLine();
                return 0;
            }
        } else if (!LiveChar((int)wParam)) {
            return 0;
        }
        /* the box shows it as a character, whatever brought it */
        return CallWindowProcW(BoxPrevious, w, WM_CHAR, wParam, lParam);
    /* The composition runs in the input method's own window, so that
     * every finished character comes here once, as WM_IME_CHAR. */
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        return DefWindowProcW(w, msg, wParam, lParam);
    case WM_PASTE:
        if (!LineMode()) {
            PasteLive();
            return 0;
        }
        break;
    }
    return CallWindowProcW(BoxPrevious, w, msg, wParam, lParam);
}

void CreateBroadcastBar(HWND main)
{
    const DWORD hidden = WS_CHILD | WS_CLIPSIBLINGS;
    BroadcastLabel = CreateMainChild(main, 0, L"STATIC", L"", hidden | SS_CENTERIMAGE);
    BroadcastBox = CreateMainChild(main, WS_EX_CLIENTEDGE, L"EDIT", L"", hidden | ES_AUTOHSCROLL | WS_TABSTOP);
    BroadcastLineMode = CreateMainChild(main, 0, L"BUTTON", L"줄 단위로", hidden | BS_AUTOCHECKBOX);
    BoxPrevious = (WNDPROC)SetWindowLongPtrW(BroadcastBox, GWLP_WNDPROC, (LONG_PTR)BoxProc);
    BroadcastGroupChanged();
}

int BroadcastBarHeight(void)
{
    return ScaleForDpi(28);
}

static int TextWidth(HWND w)
{
    wchar_t text[128];
    GetWindowTextW(w, text, 128);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, UiFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return size.cx;
}

void PlaceBroadcastBar(const LayoutRect &r, bool shown)
{
    HWND parts[] = { BroadcastLabel, BroadcastBox, BroadcastLineMode };
    if (!shown) {
        for (HWND w : parts)
            ShowWindow(w, SW_HIDE);
        return;
    }
    int gap = ScaleForDpi(6), pad = ScaleForDpi(3);
    int labelRight = r.Left + gap + TextWidth(BroadcastLabel) + ScaleForDpi(2);
    int checkLeft = r.Right - gap - TextWidth(BroadcastLineMode) - ScaleForDpi(28);
    int top = r.Top + pad, height = r.Bottom - r.Top - 2 * pad;
    HDWP batch = BeginDeferWindowPos(3);
    int lefts[] = { r.Left + gap, labelRight + gap, checkLeft };
    int rights[] = { labelRight, checkLeft - gap, r.Right - gap };
    for (int i = 0; i < 3 && batch; i++)
        batch = DeferWindowPos(batch, parts[i], HWND_TOP, lefts[i], top, rights[i] - lefts[i], height,
                               SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (batch)
        EndDeferWindowPos(batch);
}

void ToggleBroadcastBar(void)
{
    Settings.ShowBroadcastBar = !Settings.ShowBroadcastBar;
    bool wasIn = GetFocus() == BroadcastBox;
    LayoutMainWindow();
    if (Settings.ShowBroadcastBar)
        SetFocus(BroadcastBox);
    else if (wasIn)
        PostMessageW(MainWindow, WM_APP_RESTORE_FOCUS, 0, 0);
}

bool UpdateBroadcastLabel(void)
{
    wchar_t label[64];
    BarLabel(label, 64, BroadcastMemberCount());
    wchar_t now[64] = L"";
    GetWindowTextW(BroadcastLabel, now, 64);
    if (lstrcmpW(now, label) == 0)
        return false;
    SetWindowTextW(BroadcastLabel, label);
    return true;
}

void BroadcastGroupChanged(void)
{
    bool changed = UpdateBroadcastLabel();
    /* the label's width moves the box; a view of the members alone retiles */
    if ((changed && Settings.ShowBroadcastBar) || (Settings.ViewMembersOnly && Settings.ViewMode != 0))
        LayoutMainWindow();
}

void SetBroadcastMember(Session *s, bool member)
{
    if (!s || s->Broadcast == member)
        return;
    s->Broadcast = member;
    RefreshSessionCaption(s);
    BroadcastGroupChanged();
}

void SetEveryBroadcastMember(bool member)
{
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (s->Broadcast == member)
            continue;
        s->Broadcast = member;
        RefreshSessionCaption(s);
    }
    BroadcastGroupChanged();
}
