/*
 * capture.cpp: host and clip windows; capturing, fitting, detaching and
 * attaching PuTTY's window.
 */
#include "capture.h"

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"
#include "key_script.h"
#include "putty_args.h"
#include "session.h"
#include "session_log.h"

static const wchar_t HostClass[] = L"KestrumHost";
static const wchar_t ClipClass[] = L"KestrumClip";

/* The host window's own posted requests: they go with the window, so a
 * session closed meanwhile is not looked for. */
enum { WM_HOST_RECONNECT = WM_APP + 40, WM_HOST_FOCUS = WM_APP + 41 };
enum { RECONNECT_BUTTON_ID = 1 };

static Session *SessionOf(HWND window)
{
    return (Session *)GetWindowLongPtrW(window, GWLP_USERDATA);
}

bool PuttyWindowAnswers(HWND window, UINT waitMs)
{
    DWORD_PTR result;
    return window && SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, waitMs, &result);
}

bool FocusPutty(Session *s)
{
    if (!s || !PuttyWindowAnswers(s->PuttyWindow, ANSWER_SOON_MS))
        return false;
    SetFocus(s->PuttyWindow);
    return true;
}

/* The focus given to a host or clip window goes on to PuTTY, unless
 * PuTTY is busy: then the main timer hands it on later. */
static void PassFocusOn(Session *s)
{
    if (PuttyWindowAnswers(s->PuttyWindow))
        SetFocus(s->PuttyWindow);
}

/* Tiled views with several sessions frame each one. */
static bool FramedView(void)
{
    return Settings.ViewMode != 0 && SessionCount > 1;
}

/* The frame around the clip window: the session's colour label, 3
 * pixels at 96 DPI, else in tiled views the 2 that mark the active one. */
static int FrameWidth(const Session *s)
{
    if (SessionColor(s))
        return Shell.Scale(3);
    return FramedView() ? Shell.Scale(2) : 0;
}

static void HostSize(HWND host, Session *s, int width, int height)
{
    int b = FrameWidth(s);
    if (s->ReconnectButton) {
        int bw = Shell.Scale(120), bh = Shell.Scale(28);
        MoveWindow(s->ReconnectButton, (width - bw) / 2, height / 2 + Shell.Scale(10), bw, bh, TRUE);
    }
    int cw = width - 2 * b, ch = height - 2 * b;
    /* the clip window's WM_SIZE refits PuTTY's window */
    MoveWindow(s->ClipWindow, b, b, cw > 1 ? cw : 1, ch > 1 ? ch : 1, TRUE);
    InvalidateRect(host, NULL, FALSE);
}

static void HostPaint(HWND host, Session *s)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(host, &ps);
    RECT rc;
    GetClientRect(host, &rc);
    bool highlight = FramedView() && SessionIndex(s) == Shell.ActiveIndex();
    if (s->State == SESSION_RUNNING && s->PuttyWindow) {
        FillRect(dc, &rc, highlight ? GetSysColorBrush(COLOR_HIGHLIGHT) : (HBRUSH)GetStockObject(BLACK_BRUSH));
        if (SessionColor(s)) {
            /* the colour all round; the active tile keeps a line of the
             * highlight outside it */
            RECT band = rc;
            if (highlight)
                InflateRect(&band, -1, -1);
            HBRUSH brush = CreateSolidBrush(LabelColorRef(SessionColor(s)));
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
    } else {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_APPWORKSPACE));
        wchar_t text[600];
        SessionStatusText(s, text, 600);
        HGDIOBJ old = SelectObject(dc, Shell.Font ? Shell.Font : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOW));
        rc.left += Shell.Scale(16);
        rc.right -= Shell.Scale(16);
        rc.top = rc.bottom / 2 - Shell.Scale(40);
        DrawTextW(dc, text, -1, &rc, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    EndPaint(host, &ps);
}

static LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Session *s = SessionOf(window);
    if (!s)
        return DefWindowProcW(window, msg, wParam, lParam);
    switch (msg) {
    case WM_SIZE:
        HostSize(window, s, (short)LOWORD(lParam), (short)HIWORD(lParam));
        return 0;
    case WM_PAINT:
        HostPaint(window, s);
        return 0;
    case WM_ERASEBKGND:
        return 1;       /* WM_PAINT covers everything */
    case WM_SETFOCUS:
        PassFocusOn(s);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == RECONNECT_BUTTON_ID) {
            /* not while the button is still being clicked */
            PostMessageW(window, WM_HOST_RECONNECT, 0, 0);
            return 0;
        }
        break;
    case WM_HOST_RECONNECT:
        ReconnectSession(s);
        return 0;
    case WM_HOST_FOCUS:
        Shell.Activate(SessionIndex(s), true);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        Shell.Activate(SessionIndex(s), true);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

static LRESULT CALLBACK ClipProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Session *s = SessionOf(window);
    if (!s)
        return DefWindowProcW(window, msg, wParam, lParam);
    switch (msg) {
    case WM_SIZE:
        FitPuttyWindow(s);
        return 0;
    case WM_ERASEBKGND: {
        RECT rc;
        GetClientRect(window, &rc);
        FillRect((HDC)wParam, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
        return 1;
    }
    case WM_SETFOCUS:
        PassFocusOn(s);
        return 0;
    case WM_LBUTTONDOWN:
        Shell.Activate(SessionIndex(s), true);
        return 0;
    case WM_PARENTNOTIFY:
        /* A click into PuTTY's window, which does not take the focus by
         * itself once embedded.  Sent from PuTTY's thread while it waits:
         * the focus is moved afterwards. */
        if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN ||
            LOWORD(wParam) == WM_MBUTTONDOWN)
            PostMessageW(s->HostWindow, WM_HOST_FOCUS, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}

void RegisterSessionWindowClasses(HINSTANCE instance)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpfnWndProc = HostProc;
    wc.lpszClassName = HostClass;
    RegisterClassW(&wc);
    wc.lpfnWndProc = ClipProc;
    wc.lpszClassName = ClipClass;
    RegisterClassW(&wc);
}

static HWND CreateChild(const wchar_t *cls, HWND parent, Session *s)
{
    HWND w = CreateWindowExW(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 10, 10, parent,
                             NULL, GetModuleHandleW(NULL), NULL);
    SetWindowLongPtrW(w, GWLP_USERDATA, (LONG_PTR)s);
    return w;
}

void CreateSessionWindows(Session *s)
{
    s->HostWindow = CreateChild(HostClass, Shell.Main, s);
    s->ClipWindow = CreateChild(ClipClass, s->HostWindow, s);
}

static void ClassOf(HWND window, wchar_t *name)
{
    name[0] = 0;
    GetClassNameW(window, name, 64);
}

BOOL CALLBACK FindPuttyWindow(HWND window, LPARAM param)
{
    PuttyWindowSearch *search = (PuttyWindowSearch *)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->ProcessId || GetParent(window) || GetWindow(window, GW_OWNER))
        return TRUE;
    wchar_t cls[64];
    ClassOf(window, cls);
    if (!lstrcmpW(cls, L"PuTTY") || !lstrcmpW(cls, L"KiTTY")) {
        search->Main = window;
        return FALSE;
    }
    if (!lstrcmpW(cls, L"PuTTYConfigBox") || !lstrcmpW(cls, L"KiTTYConfigBox")) {
        search->ConfigBox = true;
        return TRUE;
    }
    if (!lstrcmpW(cls, L"#32770"))
        return TRUE;    /* PuTTY's own message boxes */
    LONG style = GetWindowLongW(window, GWL_STYLE);
    if ((style & WS_CAPTION) == WS_CAPTION && !search->Fallback)
        search->Fallback = window;
    return TRUE;
}

static const UINT FrameFlags =
    SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_ASYNCWINDOWPOS;

void CaptureWindow(Session *s, HWND window)
{
    s->PuttyWindow = window;
    s->SavedStyle = GetWindowLongW(window, GWL_STYLE);
    s->SavedExStyle = GetWindowLongW(window, GWL_EXSTYLE);
    GetWindowRect(window, &s->SavedRect);
    LONG style = (LONG)CapturedStyle((uint32_t)s->SavedStyle);
    LONG exStyle = (LONG)CapturedExStyle((uint32_t)s->SavedExStyle);
    if (style != s->SavedStyle || exStyle != s->SavedExStyle) {
        SetWindowLongW(window, GWL_STYLE, style);
        SetWindowLongW(window, GWL_EXSTYLE, exStyle);
        SetWindowPos(window, NULL, 0, 0, 0, 0, FrameFlags);
    }
    SetParent(window, s->ClipWindow);
    s->LastFit = 0;
    FitPuttyWindow(s);
    SetWindowPos(window, NULL, 0, 0, 0, 0, FrameFlags | SWP_SHOWWINDOW);

    s->WindowTitle[0] = 0;
    GetWindowTextW(window, s->WindowTitle, CAPTION_MAX);
    UpdateSessionCaption(s);
    SetSessionState(s, SESSION_RUNNING);

    if (s->Node) {
        int delay = 0;
        if (s->PasswordDelivery == DELIVER_TYPE && !StrIsEmpty(NodePassword(s->Node))) {
            delay = EffectivePasswordDelay(s->Node);
            QueuePasswordTyping(s->Id, s->Node, delay);
        }
        if (!StrIsEmpty(s->Node->Script))
            WatchFromStart(s, SendScript(s->Id, s->Node, s->Node->Script, 0, delay + s->Node->ScriptDelay));
    }
    int index = SessionIndex(s);
    if (index == Shell.ActiveIndex())
        Shell.Activate(index, GetForegroundWindow() == Shell.Main);
}

static bool SameRect(const RECT &r, const FitRect &t)
{
    return r.left == t.Left && r.top == t.Top && r.right == t.Right && r.bottom == t.Bottom;
}

static void PlacePutty(Session *s, const FitRect &t)
{
    s->LastFit = GetTickCount() | 1;
    s->Fitted = t;
    SetWindowPos(s->PuttyWindow, NULL, t.Left, t.Top, t.Right - t.Left, t.Bottom - t.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

/* Every call about PuTTY's window is a round trip to another process
 * (under Wine to the wineserver), so its frame is measured when it is
 * taken in or found out of place, and a fit with a known frame asks
 * nothing unless the target moved. */
void FitPuttyWindow(Session *s)
{
    if (!s->PuttyWindow || !s->ClipWindow)
        return;
    RECT clip;
    GetClientRect(s->ClipWindow, &clip);
    if (clip.right <= 0 || clip.bottom <= 0)
        return;
    if (s->LastFit && s->FrameKnown) {
        FitRect t = FitTarget(s->FrameDx, s->FrameDy, s->FrameDb, clip.right, clip.bottom);
        if (t.Left != s->Fitted.Left || t.Top != s->Fitted.Top || t.Right != s->Fitted.Right ||
            t.Bottom != s->Fitted.Bottom)
            PlacePutty(s, t);
        return;
    }
    RECT r, c;
    POINT origin = { 0, 0 };
    GetWindowRect(s->PuttyWindow, &r);
    GetClientRect(s->PuttyWindow, &c);
    ClientToScreen(s->PuttyWindow, &origin);
    s->FrameDx = origin.x - r.left;
    s->FrameDy = origin.y - r.top;
    s->FrameDb = r.bottom - c.bottom - origin.y;
    s->FrameKnown = true;
    FitRect t = FitTarget(s->FrameDx, s->FrameDy, s->FrameDb, clip.right, clip.bottom);
    MapWindowPoints(NULL, s->ClipWindow, (POINT *)&r, 2);
    if (s->LastFit && SameRect(r, t)) {
        s->LastFit = GetTickCount() | 1;
        s->Fitted = t;
        return;
    }
    PlacePutty(s, t);
}

void CheckPuttyWindowFit(Session *s)
{
    /* A hidden session is left alone; the layout that shows it again
     * measures it. */
    if (!s->PuttyWindow || !s->ClipWindow || !(GetWindowLongW(s->HostWindow, GWL_STYLE) & WS_VISIBLE))
        return;
    RECT r;
    GetWindowRect(s->PuttyWindow, &r);
    MapWindowPoints(NULL, s->ClipWindow, (POINT *)&r, 2);
    if (s->FrameKnown && SameRect(r, s->Fitted)) {
        /* A frame that changed inside the same outer rectangle (PuTTY
         * puts its border back after a settings change, or a frame
         * removal came late) shows as a client area that no longer
         * fills the clip window. */
        RECT c, clip;
        GetClientRect(s->PuttyWindow, &c);
        GetClientRect(s->ClipWindow, &clip);
        if (c.right == clip.right && c.bottom == clip.bottom) {
            /* a check counts as a fit: the poll looks again a second later */
            s->LastFit = GetTickCount() | 1;
            return;
        }
    }
    /* moved, or its frame changed: measure it again */
    s->LastFit = 0;
    FitPuttyWindow(s);
}

void UpdateReconnectButton(Session *s)
{
    ShowWindow(s->ClipWindow, s->State == SESSION_RUNNING ? SW_SHOWNA : SW_HIDE);
    bool wanted = (s->State == SESSION_ENDED || s->State == SESSION_FAILED) && s->Node;
    if (wanted && !s->ReconnectButton) {
        s->ReconnectButton = CreateWindowExW(0, L"BUTTON", L"다시 연결", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10,
                                             s->HostWindow, (HMENU)(UINT_PTR)RECONNECT_BUTTON_ID,
                                             GetModuleHandleW(NULL), NULL);
        SendMessageW(s->ReconnectButton, WM_SETFONT, (WPARAM)Shell.Font, FALSE);
        RECT rc;
        GetClientRect(s->HostWindow, &rc);
        SendMessageW(s->HostWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rc.right, rc.bottom));
    } else if (!wanted && s->ReconnectButton) {
        DestroyWindow(s->ReconnectButton);
        s->ReconnectButton = NULL;
    }
    InvalidateRect(s->HostWindow, NULL, FALSE);
}

void DetachSession(Session *s)
{
    HWND w = s->PuttyWindow;
    if (w && IsWindow(w)) {
        SetParent(w, NULL);
        SetWindowLongW(w, GWL_STYLE, (LONG)DetachedStyle((uint32_t)s->SavedStyle));
        SetWindowLongW(w, GWL_EXSTYLE, s->SavedExStyle);
        RECT r = s->SavedRect;
        if (r.right - r.left < 100 || r.bottom - r.top < 100)
            GetWindowRect(s->HostWindow, &r);
        SetWindowPos(w, NULL, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_ASYNCWINDOWPOS | SWP_SHOWWINDOW | SWP_FRAMECHANGED);
        SetForegroundWindow(w);
    }
    s->PuttyWindow = NULL;
    RemoveSession(s);
}

Session *AttachWindow(HWND window)
{
    for (int i = 0; i < SessionCount; i++)
        if (SessionList[i]->PuttyWindow == window)
            return SessionList[i];
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    Session *s = NewSession();
    s->ProcessId = pid;
    s->Process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
    Shell.TabsChanged();
    Shell.Activate(SessionCount - 1, false);
    CaptureWindow(s, window);
    return s;
}

bool IsForeignPuttyWindow(HWND window, DWORD processId)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == GetCurrentProcessId() || (processId && pid != processId))
        return false;
    wchar_t cls[64];
    ClassOf(window, cls);
    return !lstrcmpW(cls, L"PuTTY") || !lstrcmpW(cls, L"KiTTY");
}
