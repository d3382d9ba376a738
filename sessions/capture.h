/*
 * capture.h: taking PuTTY's window into a session's host window, keeping
 * it fitted, and giving it back.
 *
 * Each session has a host window (KestrumHost, a child of the main
 * window: status text and reconnect button) holding a clip window
 * (KestrumClip), which holds PuTTY's window and cuts off its borders.
 */
#ifndef KESTRUM_SESSIONS_CAPTURE_H
#define KESTRUM_SESSIONS_CAPTURE_H

#include <windows.h>

struct Session;

void RegisterSessionWindowClasses(HINSTANCE instance);
void CreateSessionWindows(Session *s);

/* EnumWindows state for one process. */
struct PuttyWindowSearch {
    DWORD ProcessId;
    HWND Main;          /* class "PuTTY" or "KiTTY" */
    HWND Fallback;      /* another captioned top-level window */
    bool ConfigBox;     /* "PuTTYConfigBox" or "KiTTYConfigBox" seen */
};
BOOL CALLBACK FindPuttyWindow(HWND window, LPARAM search);

/* Whether PuTTY's window takes messages within waitMs.  Focus and capture
 * send it messages and wait for its answer; a hung PuTTY would hang this
 * program with it, so they leave a window alone that does not answer in
 * time: the poll's capture at once, a focus change soon (PuTTY repaints
 * its terminal when its session is shown, for tens of ms under Wine). */
enum { ANSWER_AT_ONCE_MS = 20, ANSWER_SOON_MS = 250 };
bool PuttyWindowAnswers(HWND window, UINT waitMs = ANSWER_AT_ONCE_MS);
/* The focus to the session's PuTTY window when it answers soon; whether
 * it went there. */
bool FocusPutty(Session *s);

/* Embeds the window and sets the session Running; queues the typed
 * password and the login script. */
void CaptureWindow(Session *s, HWND window);
/* Puts PuTTY's window so that its client area covers the clip window;
 * LastFit 0 measures its frame again and moves it even when it seems in
 * place. */
void FitPuttyWindow(Session *s);
/* The poll's look, once a second: whether a shown session's window is
 * still where it was put; fitted again when not. */
void CheckPuttyWindowFit(Session *s);
/* Clip window shown only while Running; the reconnect button only while
 * Ended or Failed with a node. */
void UpdateReconnectButton(Session *s);
/* Gives the window back as a free top-level window; removes the session. */
void DetachSession(Session *s);
/* Takes in a PuTTY window of another process; an already embedded one
 * returns its session. */
Session *AttachWindow(HWND window);
/* Class "PuTTY" or "KiTTY", of another process (and of processId when it
 * is not 0). */
bool IsForeignPuttyWindow(HWND window, DWORD processId);

#endif
