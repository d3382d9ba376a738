/*
 * session.cpp: the life of an open session.
 */
#include "session.h"

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"
#include "capture.h"
#include "key_post.h"
#include "key_script.h"
#include "password_file.h"
#include "putty_args.h"
#include "session_log.h"

Session **SessionList;
int SessionCount;

static int SameScale(int pixels)
{
    return pixels;
}
static void NoTabs(void) {}
static void NoSession(Session *) {}
static void NoActivate(int, bool) {}
static int NoActive(void)
{
    return -1;
}
static void NoInform(const wchar_t *) {}
SessionShell Shell = { NULL, NULL, SameScale, NoTabs, NoSession, NoActivate, NoActive, NoInform };
static int NextSessionId = 1;
static DWORD LastPoll;
static bool Polled;
static int PollResume = -1;         /* index the current poll goes on from, -1 between polls */
/* A poll that has taken this long hands the sessions still to be polled
 * to the next tick: a start, an end or a capture costs tens of ms, and a
 * poll that met many at once would hold the window for all of them. */
static const DWORD PollBudgetMs = 50;
static ServerNode **OpenQueue;      /* own copies, opened from OpenQueueNext on */
static int OpenQueueCount, OpenQueueNext;
static int *ReconnectQueue;         /* session ids, restarted from ReconnectQueueNext on */
static int ReconnectQueueCount, ReconnectQueueNext;

Session *FindSessionById(int id)
{
    for (int i = 0; i < SessionCount; i++)
        if (SessionList[i]->Id == id)
            return SessionList[i];
    return NULL;
}

int SessionColor(const Session *s)
{
    return s->Node ? s->Node->Color : NODE_COLOR_NONE;
}

int SessionIndex(const Session *s)
{
    for (int i = 0; i < SessionCount; i++)
        if (SessionList[i] == s)
            return i;
    return -1;
}

/* The key player's view of a session. */
static int LookupKeyTarget(int id, void **window)
{
    Session *s = FindSessionById(id);
    if (!s)
        return KEY_TARGET_GONE;
    if (s->State != SESSION_RUNNING || !s->PuttyWindow)
        return KEY_TARGET_WAITING;
    *window = s->PuttyWindow;
    return KEY_TARGET_READY;
}

/* The configuration writer's view of the open sessions. */
static bool SessionRecordAt(int index, OpenSessionRecord *out)
{
    if (index < 0 || index >= SessionCount)
        return false;
    out->Node = SessionList[index]->Node;
    out->Caption = SessionList[index]->Caption;
    out->CaptionIsCustom = SessionList[index]->CaptionIsCustom;
    out->Member = SessionList[index]->Broadcast;
    return true;
}

void SessionsInit(void)
{
    InstallKeyPoster();
    KeyTargetLookup = LookupKeyTarget;
    SessionLogsInit();
    RemoveStaleSessionLogs();
    ConfigOpenSessionAt = SessionRecordAt;
}

Session *NewSession(void)
{
    Session *s = (Session *)MemAlloc(sizeof *s);
    s->Id = NextSessionId++;
    SessionList = (Session **)MemRealloc(SessionList, (size_t)(SessionCount + 1) * sizeof *SessionList);
    SessionList[SessionCount++] = s;
    CreateSessionWindows(s);
    return s;
}

/* Whether the keyboard focus is in one of the sessions' windows. */
static bool FocusInASession(void)
{
    HWND focus = GetFocus();
    for (int i = 0; focus && i < SessionCount; i++)
        if (focus == SessionList[i]->PuttyWindow || IsChild(SessionList[i]->HostWindow, focus))
            return true;
    return false;
}

Session *OpenSession(const ServerNode *node)
{
    /* Keys typed in another session's PuTTY would make that one active
     * again: the focus moves to the new session, and to its PuTTY once
     * taken in. */
    bool focus = FocusInASession();
    Session *s = NewSession();
    s->Node = NodeCopy(node, false);
    s->Node->Color = NodeShownColor(node);      /* the copy has no folders to follow */
    UpdateSessionCaption(s);
    Shell.TabsChanged();
    Shell.Activate(SessionCount - 1, focus);
    StartSession(s);
    return s;
}

static void SetStatus(Session *s, const wchar_t *text)
{
    StrCopyTo(s->StatusText, STATUS_MAX, text);
}

/* Builds the command line and starts PuTTY hidden; the new state. */
static int LaunchPutty(Session *s)
{
    int mode;
    StrFreeSecret(BuildPuttyArguments(s->Node, NULL, NULL, true, &mode));
    if (mode == DELIVER_PWFILE && !WritePasswordFile(NodePassword(s->Node), s->PasswordFile))
        mode = DELIVER_TYPE;
    s->PasswordDelivery = mode;

    ServerNode *copy = NodeCopy(s->Node, false);
    if (mode == DELIVER_TYPE)
        NodeSetPassword(copy, NULL);
    wchar_t log[KPATH];
    SessionLogArgument(s, log);
    wchar_t *args = BuildPuttyArguments(copy, s->PasswordFile[0] ? s->PasswordFile : NULL, log, false, NULL);
    NodeFree(copy);

    TextBuilder line = {};
    line.AppendChar('"');
    line.Append(Settings.PuttyPath);
    line.AppendChar('"');
    if (!StrIsEmpty(args)) {
        line.AppendChar(' ');
        line.Append(args);
    }
    StrFreeSecret(args);

    wchar_t dir[KPATH];
    PathDirectory(Settings.PuttyPath, dir, KPATH);
    STARTUPINFOW si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi;
    BOOL ok = CreateProcessW(NULL, line.Buffer, NULL, NULL, FALSE, 0, NULL, dir[0] ? dir : NULL, &si, &pi);
    DWORD error = GetLastError();
    line.Wipe();
    if (!ok) {
        wchar_t text[1025];
        StrFormat(text, L"PuTTY를 실행하지 못했습니다 (오류 %u).", (unsigned)error);
        SetStatus(s, text);
        DeletePasswordFile(s);
        CloseSessionLog(s);
        return SESSION_FAILED;
    }
    CloseHandle(pi.hThread);
    s->Process = pi.hProcess;
    s->ProcessId = pi.dwProcessId;
    return SESSION_STARTING;
}

void StartSession(Session *s)
{
    s->StatusText[0] = 0;
    s->Reason[0] = 0;
    s->FatalBoxClosed = false;
    s->PuttyBox = NULL;
    s->ProcessEnded = false;    /* the poll's finding was about the old process */
    s->PuttyWindow = NULL;
    s->Disconnected = false;
    s->ExitCode = 0;
    s->WindowGoneAt = 0;
    s->ScriptStopped = false;
    if (s->Process) {
        CloseHandle(s->Process);
        s->Process = NULL;
    }
    DeletePasswordFile(s);
    CloseSessionLog(s);
    int state;
    if (!FileExists(Settings.PuttyPath)) {
        SetStatus(s, L"PuTTY 실행 파일을 찾을 수 없습니다. 도구 → PuTTY 위치에서 지정하세요.");
        state = SESSION_FAILED;
    } else if (!s->Node) {
        SetStatus(s, L"가져온 PuTTY 창은 다시 실행할 수 없습니다.");
        state = SESSION_FAILED;
    } else if (!PrepareSessionLog(s)) {
        state = SESSION_FAILED;
    } else {
        state = LaunchPutty(s);
    }
    SetSessionState(s, state);
}

void SetSessionState(Session *s, int state)
{
    s->State = state;
    s->StateSince = GetTickCount();
    UpdateReconnectButton(s);
    Shell.SessionChanged(s);
}

void TerminateSession(Session *s)
{
    if (s->Process && WaitForSingleObject(s->Process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(s->Process, 1);
        WaitForSingleObject(s->Process, 3000);
    }
    s->PuttyWindow = NULL;
}

void ReconnectSession(Session *s)
{
    if (!s->Node) {
        Shell.Inform(L"가져온(Attach) PuTTY 창은 다시 연결할 수 없습니다.");
        return;
    }
    TerminateSession(s);
    StartSession(s);
}

void CloseSession(Session *s, bool terminate)
{
    if (terminate)
        TerminateSession(s);
    RemoveSession(s);
}

static bool ClosingMany;

void CloseSessions(Session *keep)
{
    /* Every PuTTY is told to end before any is waited for, so that their
     * ends overlap; the tabs are rebuilt and laid out once. */
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (s != keep && s->Process && WaitForSingleObject(s->Process, 0) == WAIT_TIMEOUT)
            TerminateProcess(s->Process, 1);
    }
    ClosingMany = true;
    for (int i = SessionCount - 1; i >= 0; i--)
        if (i < SessionCount && SessionList[i] != keep)
            CloseSession(SessionList[i], true);
    ClosingMany = false;
    Shell.TabsChanged();
    if (SessionCount > 0)
        Shell.Activate(SessionIndex(keep) >= 0 ? SessionIndex(keep) : 0, true);
}

void RemoveSession(Session *s)
{
    int index = SessionIndex(s);
    if (index < 0)
        return;
    int active = Shell.ActiveIndex();
    SessionCount--;
    MemCopy(SessionList + index, SessionList + index + 1, (size_t)(SessionCount - index) * sizeof *SessionList);
    DeletePasswordFile(s);
    CloseSessionLog(s);
    if (s->Process)
        CloseHandle(s->Process);
    DestroyWindow(s->HostWindow);
    NodeFreeTree(s->Node);
    MemFree(s);
    if (ClosingMany)
        return;
    Shell.TabsChanged();
    if (SessionCount > 0)
        Shell.Activate(IndexAfterRemoval(index, active, SessionCount), true);
}

void SessionEnded(Session *s, bool normal)
{
    switch (SessionEndAction(normal, s->Node != NULL)) {
    case END_CLOSE:
        CloseSession(s, true);
        break;
    case END_KEEP:
        SetSessionState(s, SESSION_ENDED);
        break;
    case END_RECONNECT:
        TerminateSession(s);
        s->ReconnectAttempts++;
        SetSessionState(s, SESSION_RECONNECT_WAIT);
        break;
    }
}

/* A start that gave no usable window in time; PuTTY is left running,
 * its password file is not. */
static void FailStart(Session *s, const wchar_t *text)
{
    SetStatus(s, text);
    DeletePasswordFile(s);
    SetSessionState(s, SESSION_FAILED);
}

static void PollStarting(Session *s, bool ended, DWORD now)
{
    PuttyWindowSearch search = { s->ProcessId, NULL, NULL, false };
    EnumWindows(FindPuttyWindow, (LPARAM)&search);
    DWORD since = now - s->StateSince;
    HWND window = search.Main;
    if (!window && search.Fallback && since > 3000)
        window = search.Fallback;
    if (window) {
        /* Give PuTTY the time to finish its start-up, but not forever. */
        if (!ended && WaitForInputIdle(s->Process, 0) != 0 && since < 3000)
            return;
        if (!ended && !PuttyWindowAnswers(window)) {
            /* hung: taking it in would wait for it */
            if (since > 30000)
                FailStart(s, L"PuTTY 창이 응답하지 않습니다.");
            return;
        }
        CaptureWindow(s, window);
        return;
    }
    if (ended) {
        DWORD code = 0;
        GetExitCodeProcess(s->Process, &code);
        s->ExitCode = (int)code;
        DeletePasswordFile(s);
        CloseSessionLog(s);
        s->PuttyWindow = NULL;
        SetSessionState(s, SESSION_ENDED);
        return;
    }
    if (search.ConfigBox)
        return;     /* the user is still in PuTTY's dialog */
    if (since > 30000)
        FailStart(s, L"PuTTY 창을 찾지 못했습니다. (PuTTY 대화상자가 떠 있는지 확인하세요)");
}

/* The longest text of a box's static controls: a message box's message.
 * Read as the window's own text, which asks PuTTY nothing. */
struct BoxMessage {
    wchar_t *Out;
    int Cap, Length;
};

static BOOL CALLBACK TakeBoxMessage(HWND w, LPARAM param)
{
    BoxMessage *m = (BoxMessage *)param;
    wchar_t cls[16], text[STATUS_MAX];
    GetClassNameW(w, cls, 16);
    if (lstrcmpiW(cls, L"Static") || (GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        return TRUE;
    text[0] = 0;
    GetWindowTextW(w, text, STATUS_MAX);
    if (StrLen(text) > m->Length) {
        m->Length = StrLen(text);
        StrCopyTo(m->Out, m->Cap, text);
    }
    return TRUE;
}

/* PuTTY's report of a lost connection waits for a click that may never
 * come: its words are kept and it is closed as OK would close it,
 * posted, so that a hung PuTTY cannot hold the poll. */
static bool CloseFatalErrorBox(Session *s)
{
    wchar_t title[CAPTION_MAX];
    title[0] = 0;
    GetWindowTextW(s->PuttyBox, title, CAPTION_MAX);
    if (!IsFatalErrorTitle(title))
        return false;
    BoxMessage m = { s->Reason, STATUS_MAX, 0 };
    s->Reason[0] = 0;
    EnumChildWindows(s->PuttyBox, TakeBoxMessage, (LPARAM)&m);
    PostMessageW(s->PuttyBox, WM_COMMAND, IDOK, 0);
    s->PuttyBox = NULL;
    return true;
}

static void PollRunning(Session *s, bool ended, DWORD now)
{
    /* PuTTY always has a title: a window that gives none is asked whether
     * it still exists, and the others cost one question a poll. */
    wchar_t title[CAPTION_MAX];
    title[0] = 0;
    if (!ended)
        GetWindowTextW(s->PuttyWindow, title, CAPTION_MAX);
    if (ended || (!title[0] && !IsWindow(s->PuttyWindow))) {
        /* A PuTTY whose window went usually ends a moment later: it gets
         * 500 ms over the next polls, not in a wait that would stop the
         * main window for every such session. */
        if (!ended && s->Process) {
            if (!s->WindowGoneAt)
                s->WindowGoneAt = now | 1;
            if (now - s->WindowGoneAt < 500)
                return;
        }
        s->WindowGoneAt = 0;
        DWORD code = 0;
        if (s->Process)
            GetExitCodeProcess(s->Process, &code);
        s->ExitCode = (int)code;
        s->PuttyWindow = NULL;
        DeletePasswordFile(s);
        CloseSessionLog(s);
        SessionEnded(s, code == 0 && !s->Disconnected);
        return;
    }
    if (s->PasswordFile[0] && now - s->StateSince > 5000)
        DeletePasswordFile(s);

    if (!StrEqual(title, s->WindowTitle)) {
        StrCopyTo(s->WindowTitle, CAPTION_MAX, title);
        UpdateSessionCaption(s);
        Shell.SessionChanged(s);
    }
    if (s->PuttyBox && CloseFatalErrorBox(s))
        s->FatalBoxClosed = true;
    bool inactive = StrFindNoCase(title, L"(inactive)") != NULL;
    if (inactive)
        s->FatalBoxClosed = false;      /* PuTTY has caught up */
    if (inactive || s->FatalBoxClosed) {
        if (!s->Disconnected) {
            s->Disconnected = true;
            switch (DisconnectAction(s->Node != NULL)) {
            case END_RECONNECT:
                SessionEnded(s, false);
                return;
            case END_CLOSE:
                CloseSession(s, true);
                return;
            case END_KEEP:
                Shell.SessionChanged(s);
                break;
            }
        }
    } else if (s->Disconnected) {
        /* restarted from PuTTY's own menu */
        s->Disconnected = false;
        s->Reason[0] = 0;
        Shell.SessionChanged(s);
    }
    if (now - s->LastFit > 1000)
        CheckPuttyWindowFit(s);
}

static void PollSession(Session *s, DWORD now)
{
    bool ended = s->ProcessEnded;
    switch (s->State) {
    case SESSION_STARTING:
        PollStarting(s, ended, now);
        break;
    case SESSION_RUNNING:
        PollRunning(s, ended, now);
        break;
    case SESSION_RECONNECT_WAIT:
        if (ReconnectDue(Settings.ReconnectDelay, now - s->StateSince))
            StartSession(s);
        else
            InvalidateRect(s->HostWindow, NULL, FALSE);     /* the count-down */
        break;
    default:
        break;
    }
}

void QueueOpenSession(const ServerNode *node)
{
    OpenQueue = (ServerNode **)MemRealloc(OpenQueue, (size_t)(OpenQueueCount + 1) * sizeof *OpenQueue);
    ServerNode *copy = NodeCopy(node, false);
    copy->Color = NodeShownColor(node);
    OpenQueue[OpenQueueCount++] = copy;
}

void DiscardQueuedSessions(void)
{
    for (int i = OpenQueueNext; i < OpenQueueCount; i++)
        NodeFreeTree(OpenQueue[i]);
    MemFree(OpenQueue);
    OpenQueue = NULL;
    OpenQueueCount = OpenQueueNext = 0;
    MemFree(ReconnectQueue);
    ReconnectQueue = NULL;
    ReconnectQueueCount = ReconnectQueueNext = 0;
}

static bool EndedWithNode(const Session *s)
{
    return s->Node && (s->State == SESSION_ENDED || s->State == SESSION_FAILED);
}

bool AnyEndedSession(void)
{
    for (int i = 0; i < SessionCount; i++)
        if (EndedWithNode(SessionList[i]))
            return true;
    return false;
}

int ReconnectEndedSessions(void)
{
    int queued = 0;
    for (int i = 0; i < SessionCount; i++) {
        if (!EndedWithNode(SessionList[i]))
            continue;
        ReconnectQueue = (int *)MemRealloc(ReconnectQueue, (size_t)(ReconnectQueueCount + 1) * sizeof *ReconnectQueue);
        ReconnectQueue[ReconnectQueueCount++] = SessionList[i]->Id;
        queued++;
    }
    return queued;
}

/* The next queued session that is still there and still ended; one a
 * tick, as a folder's servers are opened. */
static void ReconnectNextQueued(void)
{
    while (ReconnectQueueNext < ReconnectQueueCount) {
        Session *s = FindSessionById(ReconnectQueue[ReconnectQueueNext++]);
        if (ReconnectQueueNext == ReconnectQueueCount)
            ReconnectQueueCount = ReconnectQueueNext = 0;
        if (s && EndedWithNode(s)) {
            ReconnectSession(s);
            return;
        }
    }
}

/* A member's PuTTY window while it can take keys, else null. */
static HWND MemberWindow(const Session *s)
{
    return s->Broadcast && s->State == SESSION_RUNNING ? s->PuttyWindow : NULL;
}

int BroadcastEvents(const KeyEvent *events, int count)
{
    /* Through the player, a tick's share at a time: a long paste to many
     * members posted at once would hold the main window meanwhile. */
    int reached = 0;
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (!MemberWindow(s))
            continue;
        KeyQueue *q = LiveKeyQueue(s->Id);
        for (int k = 0; k < count; k++)
            PushKeyEvent(q, events[k].Kind, events[k].Value);
        reached++;
    }
    if (reached)
        PumpKeyQueues();
    return reached;
}

int BroadcastScript(const wchar_t *text)
{
    TextBuilder script = {};
    script.Append(text);
    script.AppendChar('\r');
    int reached = 0;
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (!MemberWindow(s))
            continue;
        SendScript(s->Id, s->Node, script.Text(), 0, 0);
        reached++;
    }
    script.Release();
    return reached;
}

int BroadcastMemberCount(void)
{
    int n = 0;
    for (int i = 0; i < SessionCount; i++)
        n += SessionList[i]->Broadcast ? 1 : 0;
    return n;
}

static void OpenNextQueued(void)
{
    if (OpenQueueNext >= OpenQueueCount)
        return;
    ServerNode *node = OpenQueue[OpenQueueNext++];
    if (OpenQueueNext == OpenQueueCount)
        OpenQueueCount = OpenQueueNext = 0;     /* the block is reused */
    OpenSession(node);
    NodeFreeTree(node);
}

/* Sets ProcessEnded for every session: one wait asks about up to 64
 * processes, where a wait each would be a round trip each. */
static void MarkEndedProcesses(void)
{
    HANDLE handles[MAXIMUM_WAIT_OBJECTS];
    Session *owners[MAXIMUM_WAIT_OBJECTS];
    int i = 0;
    while (i < SessionCount) {
        int n = 0;
        for (; i < SessionCount && n < MAXIMUM_WAIT_OBJECTS; i++) {
            Session *s = SessionList[i];
            s->ProcessEnded = false;
            if (s->Process) {
                handles[n] = s->Process;
                owners[n++] = s;
            }
        }
        for (int from = 0; from < n;) {
            DWORD r = WaitForMultipleObjects((DWORD)(n - from), handles + from, FALSE, 0);
            if (r == WAIT_TIMEOUT)
                break;
            if (r >= WAIT_OBJECT_0 + (DWORD)(n - from)) {
                /* a handle the wait refuses: one at a time */
                for (; from < n; from++)
                    owners[from]->ProcessEnded = WaitForSingleObject(handles[from], 0) == WAIT_OBJECT_0;
                break;
            }
            from += (int)(r - WAIT_OBJECT_0);
            owners[from++]->ProcessEnded = true;
        }
    }
}

/* The classes of the windows PuTTY shows besides its terminal: message
 * boxes, About and Event Log (#32770), the settings, the host-key alert
 * and its details. */
static const wchar_t *const PuttyBoxClasses[] = {
    L"#32770", L"PuTTYConfigBox", L"PuTTYHostKeyDialog", L"PuTTYHostKeyMoreInfo", L"KiTTYConfigBox",
};

/* Calls found(i, box) for each top-level window of those classes that
 * session i's PuTTY shows, until found returns false: one question a
 * class for the desktop's list, more only for the windows that exist. */
static void ForEachPuttyBox(bool (*found)(int i, HWND box, void *context), void *context)
{
    DWORD self = GetCurrentProcessId();
    for (size_t c = 0; c < sizeof PuttyBoxClasses / sizeof PuttyBoxClasses[0]; c++) {
        const wchar_t *cls = PuttyBoxClasses[c];
        for (HWND w = FindWindowExW(NULL, NULL, cls, NULL); w; w = FindWindowExW(NULL, w, cls, NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            for (int i = 0; pid != self && i < SessionCount; i++)
                if (SessionList[i]->Process && SessionList[i]->ProcessId == pid) {
                    if (!found(i, w, context))
                        return;
                    break;
                }
        }
    }
}

static bool NoteShownBox(int i, HWND box, void *context)
{
    HWND *shown = (HWND *)context;
    if (!shown[i] && IsWindowVisible(box))
        shown[i] = box;
    return true;
}

/* Once a poll: which sessions' PuTTYs show a box of their own. */
static void FindPuttyBoxes(void)
{
    HWND *shown = (HWND *)MemAlloc((size_t)SessionCount * sizeof *shown);
    ForEachPuttyBox(NoteShownBox, shown);
    for (int i = 0; i < SessionCount; i++) {
        Session *s = SessionList[i];
        if (shown[i] != s->PuttyBox) {
            s->PuttyBox = shown[i];
            Shell.SessionChanged(s);
        }
    }
    MemFree(shown);
}

static bool NoteAnyBox(int, HWND, void *context)
{
    *(bool *)context = true;
    return false;
}

bool PuttyBoxExists(void)
{
    bool any = false;
    ForEachPuttyBox(NoteAnyBox, &any);
    return any;
}

bool FrontPuttyBox(Session *s)
{
    DWORD pid = 0;
    if (!s || !s->PuttyBox || !GetWindowThreadProcessId(s->PuttyBox, &pid) || pid != s->ProcessId ||
        !IsWindowVisible(s->PuttyBox))
        return false;
    SetForegroundWindow(s->PuttyBox);
    return true;
}

void SessionsTick(void)
{
    DWORD began = GetTickCount();
    OpenNextQueued();
    ReconnectNextQueued();
    DWORD now = GetTickCount();     /* after the start: no state is younger */
    ReadSessionLogs();
    PumpKeyQueues();
    if (PollResume < 0) {
        if (Polled && now - LastPoll < 250)
            return;
        Polled = true;
        LastPoll = now;
        MarkEndedProcesses();
        FindPuttyBoxes();
        PollResume = SessionCount - 1;
    }
    /* From the last: a session that removes itself moves only those
     * already visited.  At least one session a tick, so that a poll
     * always ends. */
    for (int i = PollResume < SessionCount ? PollResume : SessionCount - 1; i >= 0; i--) {
        if (i < SessionCount)
            PollSession(SessionList[i], now);
        if (i > 0 && GetTickCount() - began >= PollBudgetMs) {
            PollResume = i - 1;
            return;
        }
    }
    PollResume = -1;
}

void TerminateAllSessions(void)
{
    DiscardQueuedSessions();
    for (int i = 0; i < SessionCount; i++) {
        HANDLE p = SessionList[i]->Process;
        if (p && WaitForSingleObject(p, 0) == WAIT_TIMEOUT)
            TerminateProcess(p, 1);
    }
    for (int i = 0; i < SessionCount; i++) {
        if (SessionList[i]->Process)
            WaitForSingleObject(SessionList[i]->Process, 2000);
        DeletePasswordFile(SessionList[i]);
        CloseSessionLog(SessionList[i]);
    }
}

void SessionStatusText(const Session *s, wchar_t *buf, int size)
{
    ComposeStatusText(buf, size, s->State, s->ExitCode, s->StatusText,
                      ReconnectSecondsLeft(Settings.ReconnectDelay, GetTickCount() - s->StateSince),
                      s->ReconnectAttempts, s->Reason);
}

void UpdateSessionCaption(Session *s)
{
    if (!s->CaptionIsCustom)
        ComposeCaption(s->Caption, CAPTION_MAX, Settings.TabCaption, s->WindowTitle, s->Node);
}

void DeletePasswordFile(Session *s)
{
    if (s->PasswordFile[0]) {
        DeleteFileW(s->PasswordFile);
        s->PasswordFile[0] = 0;
    }
}
