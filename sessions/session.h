/*
 * session.h: open PuTTY sessions: starting PuTTY, watching it from the
 * main timer, ending, reconnecting and removing sessions.
 *
 * The window side (host and clip windows, capture, fitting, detach) is
 * capture.h; the tab strip that shows the sessions is ui/shell/tabs.h.
 */
#ifndef KESTRUM_SESSIONS_SESSION_H
#define KESTRUM_SESSIONS_SESSION_H

#include <windows.h>

#include "../core/files.h"
#include "session_rules.h"

struct KeyEvent;
struct OutputWatch;
struct ServerNode;

enum { CAPTION_MAX = 256, STATUS_MAX = 256 };

struct Session {
    int Id;                         /* from 1, never reused in a run */
    ServerNode *Node;               /* own copy; null for an attached window */
    wchar_t Caption[CAPTION_MAX];
    bool CaptionIsCustom;
    wchar_t WindowTitle[CAPTION_MAX];
    HANDLE Process;
    DWORD ProcessId;
    HWND PuttyWindow;
    HWND HostWindow;
    HWND ClipWindow;
    HWND ReconnectButton;
    int State;                      /* SessionState */
    DWORD StateSince;
    int ExitCode;
    bool Disconnected;
    int ReconnectAttempts;
    int PasswordDelivery;
    wchar_t PasswordFile[KPATH];
    wchar_t StatusText[STATUS_MAX];
    wchar_t Reason[STATUS_MAX];     /* PuTTY's words on the lost connection */
    HWND PuttyBox;                  /* a box of PuTTY's own, as the last poll found it */
    bool FatalBoxClosed;            /* by the poll; PuTTY's title may not say so yet */
    DWORD LastFit;
    bool FrameKnown;                /* PuTTY's frame measured since the capture */
    int FrameDx, FrameDy, FrameDb;  /* its left, top and bottom parts */
    FitRect Fitted;                 /* where it was last put, in the clip window */
    bool ProcessEnded;              /* as the current poll found it */
    DWORD WindowGoneAt;             /* poll that first missed PuttyWindow, 0 before */
    LONG SavedStyle, SavedExStyle;
    RECT SavedRect;
    bool Broadcast;                 /* a member of the broadcast group */
    /* PuTTY's session log (session_log.h); LogFile "" when there is none */
    wchar_t LogFile[KPATH];
    bool LogPrivate;                /* Kestrum's own, deleted when done with */
    HANDLE LogRead;                 /* held while PuTTY may write it; null without a log */
    OutputWatch *Watch;             /* while a wait for text looks at the output */
    bool WantsLog;                  /* a script with a wait was sent: later starts keep a log */
    bool ScriptStopped;             /* a script gave up at a wait */
};

/* The open sessions in tab order. */
extern Session **SessionList;
extern int SessionCount;

/* What the sessions ask of the window that shows them, filled in by the
 * user interface when it creates that window; until then the calls do
 * nothing. */
struct SessionShell {
    HWND Main;                              /* parent of the host windows */
    HFONT Font;                             /* of the status text and the reconnect button */
    int (*Scale)(int pixels);               /* to the screen's DPI */
    void (*TabsChanged)(void);              /* sessions added, removed or reordered */
    void (*SessionChanged)(Session *s);     /* its caption, state or marks */
    void (*Activate)(int index, bool focus);
    int (*ActiveIndex)(void);
    void (*Inform)(const wchar_t *text);    /* an information box */
};
extern SessionShell Shell;

/* Plugs the sessions into the key player and the configuration writer;
 * once at start-up. */
void SessionsInit(void);

Session *NewSession(void);
/* A session for the node (copied; the caller keeps it), shown as the
 * new active tab and started. */
Session *OpenSession(const ServerNode *node);
void StartSession(Session *s);
void ReconnectSession(Session *s);
void TerminateSession(Session *s);
void CloseSession(Session *s, bool terminate);
void RemoveSession(Session *s);
/* Closes and ends every session but keep (which may be null), laying
 * the window out once at the end. */
void CloseSessions(Session *keep);
void SessionEnded(Session *s, bool normal);
void SetSessionState(Session *s, int state);
/* Opens a copy of the node on a later timer tick, one a tick in the
 * order queued: a folder of many servers opened at once would hold the
 * main window for as long as all their starts take. */
void QueueOpenSession(const ServerNode *node);
/* Forgets the servers still queued. */
void DiscardQueuedSessions(void);
/* Every main-timer tick: the next queued server, the key player, then at
 * most every 250 ms the poll of every session, from the last to the
 * first; a poll that passes 50 ms goes on at the next tick. */
void SessionsTick(void);
void TerminateAllSessions(void);
Session *FindSessionById(int id);
/* Its colour label as its node had it when opened; none for an attached
 * window. */
int SessionColor(const Session *s);
int SessionIndex(const Session *s);
void SessionStatusText(const Session *s, wchar_t *buf, int size);
/* While PuTTY shows a box of its own, the keys belong there: brings it
 * to the front; false when there is none. */
bool FrontPuttyBox(Session *s);
/* Whether any session's PuTTY has a box of its own, shown or not: such a
 * box disables its owner, the main window when PuTTY is embedded. */
bool PuttyBoxExists(void);
void UpdateSessionCaption(Session *s);

/* Sends the events to every member of the broadcast group whose PuTTY
 * runs with its window, after what it still has to type live; the
 * others get nothing, not even later.  How many were reached. */
int BroadcastEvents(const KeyEvent *events, int count);
/* Sends text as a script (with Enter after it) to every member whose
 * PuTTY runs with its window; the others get nothing. */
int BroadcastScript(const wchar_t *text);
int BroadcastMemberCount(void);
/* Restarts every session opened from a node that is Ended or Failed now,
 * in tab order, one a timer tick; how many were queued. */
int ReconnectEndedSessions(void);
/* Whether any such session exists. */
bool AnyEndedSession(void);
void DeletePasswordFile(Session *s);

#endif
