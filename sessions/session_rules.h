/*
 * session_rules.h: the decisions of the session life cycle and of the
 * window capture, as pure functions over plain values, so that they are
 * tested without windows or processes.
 */
#ifndef KESTRUM_SESSIONS_SESSION_RULES_H
#define KESTRUM_SESSIONS_SESSION_RULES_H

#include <stdint.h>

struct ServerNode;

/* Session.State */
enum SessionState {
    SESSION_STARTING = 0,
    SESSION_RUNNING = 1,
    SESSION_ENDED = 2,
    SESSION_FAILED = 3,
    SESSION_RECONNECT_WAIT = 4,
};

/* What the end of a session leads to (from Settings). */
enum EndAction { END_CLOSE, END_KEEP, END_RECONNECT };
EndAction SessionEndAction(bool normal, bool hasNode);

/* What a newly seen "(inactive)" title leads to: END_RECONNECT, END_CLOSE,
 * or END_KEEP (the tab stays, marked). */
EndAction DisconnectAction(bool hasNode);

/* The automatic caption (at most 255 characters, cap >= 256): the window
 * title when tabCaption is 1 and there is one, else the node's display
 * name, its host, the window title, or "PuTTY". */
void ComposeCaption(wchar_t *out, int cap, int tabCaption, const wchar_t *windowTitle,
                    const ServerNode *node);

/* Whether the reconnect delay has passed after elapsedMs: any delay the
 * file or the settings dialog holds, a negative one counting as none. */
bool ReconnectDue(int delaySeconds, uint32_t elapsedMs);
/* Whole seconds left of the reconnect delay; 0 when none are left. */
int ReconnectSecondsLeft(int delaySeconds, uint32_t elapsedMs);

/* The status line of a session that shows no PuTTY window, and on a
 * line of its own PuTTY's words on how the connection ended (reason,
 * null or empty when there are none). */
void ComposeStatusText(wchar_t *out, int cap, int state, int exitCode, const wchar_t *statusText,
                       int secondsLeft, int attempts, const wchar_t *reason);

/* Whether a box of PuTTY's is its report of a lost connection, which
 * nobody needs to answer: "PuTTY Fatal Error", KiTTY's likewise. */
bool IsFatalErrorTitle(const wchar_t *title);

/* Styles of a captured window and of a detached one. */
uint32_t CapturedStyle(uint32_t style);
uint32_t CapturedExStyle(uint32_t exStyle);
uint32_t DetachedStyle(uint32_t savedStyle);

struct FitRect {
    int Left, Top, Right, Bottom;
};
/* Where the window goes in the clip window (clipW x clipH) so that its
 * client area covers it exactly: its frame (left dx, top dy, bottom db,
 * right taken as dx) lies outside.  Implausible frames count as none. */
FitRect FitTarget(int dx, int dy, int db, int clipW, int clipH);

/* The file name of a server's session log started at the local time
 * stamp (year, month, day, hour, minute, second):
 * "<name>_<yyyyMMdd-HHmmss>.log", the name's characters that Windows
 * refuses in file names as "_", its first 100 characters at most, "PuTTY"
 * for an empty one.  try > 1 adds "_<try>" before ".log" for a second
 * session started in the same second. */
enum { LOG_NAME_MAX = 140 };
/* out holds LOG_NAME_MAX characters. */
void ComposeSessionLogName(wchar_t *out, const wchar_t *name, const int stamp[6], int attempt);

/* The COLORREF (0x00BBGGRR) of a colour label, NODE_COLOR_RED to
 * NODE_COLOR_GREY; 0 for none.  Okabe and Ito's colours for everyone,
 * with grey for the eighth: told apart next to each other with red-green
 * and blue-yellow colour blindness. */
uint32_t LabelColorRef(int color);

/* The index to activate after removing `removed` from a list that had
 * `active` active and now holds newCount sessions (newCount > 0). */
int IndexAfterRemoval(int removed, int active, int newCount);

#endif
