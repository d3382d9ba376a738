/*
 * key_script.h: the script language, timed key queues and the player
 * that types them into PuTTY windows from the main timer.
 *
 * Nothing here waits: every pause is a due tick that a later call of
 * PumpKeyQueues checks.  The player reaches sessions and windows only
 * through the hooks below, so it builds without Windows; key_post.h
 * plugs PostMessageW and MapVirtualKeyW in, the session list plugs in
 * the lookup.
 */
#ifndef KESTRUM_SESSIONS_KEY_SCRIPT_H
#define KESTRUM_SESSIONS_KEY_SCRIPT_H

#include <stdint.h>

struct ServerNode;

struct OutputWatch;

/* KeyEvent.Kind.  A wait for text is KEY_WAIT_FOR with the text's length,
 * followed by that many KEY_WAIT_TEXT events, a code unit each. */
enum { KEY_CHAR = 0, KEY_KEY = 1, KEY_WAIT = 2, KEY_WAIT_FOR = 3, KEY_WAIT_TEXT = 4, KEY_TIMEOUT = 5 };

struct KeyEvent {
    int Kind;
    int Value;      /* UTF-16 code unit, virtual key, milliseconds, length or seconds */
};

/* How long a wait for text may take without {TIMEOUT}, and the limits of
 * {TIMEOUT n} in seconds. */
enum { WAIT_FOR_DEFAULT_MS = 30000, TIMEOUT_MIN_S = 1, TIMEOUT_MAX_S = 3600 };

/* One script or key sequence for one session.  The queue names its
 * session only by id; the event memory is zeroed before it is freed. */
struct KeyQueue {
    int SessionId;
    KeyEvent *Events;
    int Count;
    int Capacity;   /* 0, then 64, then doubled */
    int Position;   /* next event to send */
    uint32_t DueTick;
    int LineDelay;  /* pause after each Char 13; 0 or less: none */
    bool Live;      /* typed live: dropped, not kept, while its session cannot take keys */
    /* Waits for text.  Every wait before WaitScan was met; the event
     * there, when there is one, is the wait still to be met, searched for
     * in the session's output from WaitFrom on (-1: from the first output
     * read after the queue was made). */
    int WaitScan;
    int64_t WaitFrom;
    int WaitLimit;  /* ms a wait may take */
    bool Waiting;   /* stopped at a wait; DueTick is when it gives up */
    KeyQueue *Next;
};

/* Every queue, new ones at the end.  A queue lives until the pump finds
 * it finished or its session gone; callers must not keep the pointers
 * that the functions below return past the next PumpKeyQueues. */
extern KeyQueue *KeyQueueList;

/* The named keys of scripts, special-key commands and menus.  A row
 * sends Char when it is not 0, else VirtualKey. */
enum { SPECIAL_KEY_COUNT = 37 };
struct SpecialKeyRow {
    const wchar_t *Name;    /* between braces in a script, any case */
    const wchar_t *Label;   /* menu text */
    int Char;
    int VirtualKey;
};
extern const SpecialKeyRow SpecialKeyTable[SPECIAL_KEY_COUNT];
/* The special-key menus start a new column before these rows. */
bool SpecialKeyStartsColumn(int row);

/* The syntax help, lines joined by line feeds, ending in one. */
extern const wchar_t ScriptSyntaxText[];

/* Keyboard messages as the player posts them (WM_KEYDOWN, WM_KEYUP,
 * WM_CHAR). */
enum { KEY_MSG_KEYDOWN = 0x0100, KEY_MSG_KEYUP = 0x0101, KEY_MSG_CHAR = 0x0102 };

/* What the session lookup reports for a session id. */
enum {
    KEY_TARGET_GONE = 0,        /* no session has that id any more */
    KEY_TARGET_WAITING = 1,     /* not Running, or no PuTTY window */
    KEY_TARGET_READY = 2        /* Running; *window is its PuTTY window */
};
typedef int (*KeyTargetLookupFn)(int sessionId, void **window);
typedef void (*KeyMessagePostFn)(void *window, unsigned message, uintptr_t wParam, uintptr_t lParam);
typedef unsigned (*KeyScanCodeFn)(unsigned virtualKey);
typedef uint32_t (*KeyTickFn)(void);
/* Whether the session's output is read, so that it can wait for text. */
typedef bool (*KeyOutputWatchedFn)(int sessionId);
/* KEY_NOTICE_*: a script was queued for the session, or one gave up. */
typedef void (*KeyNoticeFn)(int sessionId, int notice);
enum { KEY_NOTICE_SCRIPT = 0, KEY_NOTICE_SCRIPT_WAITS = 1, KEY_NOTICE_STOPPED = 2 };

/* Hooks.  Without a lookup every session counts as gone, without a
 * poster every session as waiting; without a scan-code mapper keys go
 * out with scan code 0; without a clock PlatTickCount is used. */
extern KeyTargetLookupFn KeyTargetLookup;
extern KeyMessagePostFn KeyMessagePost;
extern KeyScanCodeFn KeyScanCode;
extern KeyTickFn KeyTickCount;
/* Without these no session's output is read and nobody is told. */
extern KeyOutputWatchedFn KeyOutputWatched;
extern KeyNoticeFn KeyNotice;

/* The key-down lParam: repeat count 1, scan code in bits 16-23, the
 * extended bit 24 for VK_PRIOR..VK_DOWN, VK_INSERT and VK_DELETE.  The
 * key-up lParam is this OR KEY_UP_FLAGS. */
static const uint32_t KEY_UP_FLAGS = 0xC0000000u;
uint32_t KeyStrokeLParam(unsigned virtualKey, unsigned scanCode);

/* True when length equals the word's length and both are equal ignoring
 * case in the invariant locale. */
bool MatchName(const wchar_t *text, int length, const wchar_t *word);

/* An empty queue for the session, due after initialDelay (now when 0 or
 * less), appended to KeyQueueList. */
KeyQueue *NewKeyQueue(int sessionId, int initialDelay, int lineDelay);
void PushKeyEvent(KeyQueue *queue, int kind, int value);
/* The session's unfinished live queue, so that keys typed on go out after
 * those still waiting; a new one, due now, when there is none. */
KeyQueue *LiveKeyQueue(int sessionId);
/* One Char per UTF-16 code unit, untranslated; null or empty adds none. */
void PushText(KeyQueue *queue, const wchar_t *text);
/* Appends the events of a script.  node gives {PASSWORD}, {USER} and
 * {HOST}; null (an attached window) types those words as text. */
void ParseScript(KeyQueue *queue, const wchar_t *script, const ServerNode *node);

/* Session ids start at 1; 0 or less stands for "no session", and these
 * then do nothing and return null. */
/* Whether the script holds a wait for text. */
bool ScriptWaitsForText(const wchar_t *script);

/* A queue with the parsed script; nothing for an empty script.  Tells
 * KeyNotice. */
KeyQueue *SendScript(int sessionId, const ServerNode *node, const wchar_t *script, int lineDelay,
                     int initialDelay);
/* One row of SpecialKeyTable, due now; nothing for a row outside 0..36. */
KeyQueue *SendSpecialKey(int sessionId, int row);
/* The node's password and Enter, due after delay; nothing without a
 * node. */
KeyQueue *QueuePasswordTyping(int sessionId, const ServerNode *node, int delay);

/* The row of SpecialKeyTable that sends virtual key vk, or -1. */
int SpecialKeyRowOfKey(int vk);

/* The session's new output: every wait of its queues that the text held
 * by the watch meets is marked met, in order, each searched for after the
 * one before. */
void KeyOutputArrived(int sessionId, const OutputWatch *watch);
/* Whether a queue of the session has a wait for text still to be met:
 * its output is worth reading. */
bool KeyWaitPending(int sessionId);

/* One step of the player, on every main-timer tick: at most 64 events
 * per queue, and no further queue once 30 ms are spent (those not reached
 * come first next time); releases finished queues, those of gone sessions
 * and the live ones of sessions that cannot take keys.  A queue at a wait
 * for text goes on once the wait is met; when the time runs out first, or
 * the session's output is not read, the rest of the queue is dropped and
 * KeyNotice told. */
void PumpKeyQueues(void);

#endif
