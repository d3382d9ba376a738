/*
 * key_script.cpp: script parser, key queues and the queue player.
 */
#include "key_script.h"

#include <stdint.h>

#include "../config/server_tree.h"
#include "../core/platform.h"
#include "../core/text.h"
#include "output_watch.h"

KeyQueue *KeyQueueList;
KeyTargetLookupFn KeyTargetLookup;
KeyMessagePostFn KeyMessagePost;
KeyScanCodeFn KeyScanCode;
KeyTickFn KeyTickCount;
KeyOutputWatchedFn KeyOutputWatched;
KeyNoticeFn KeyNotice;

enum { EVENTS_PER_TICK = 64, FIRST_CAPACITY = 64, BRACE_WORD_MAX = 39 };
/* A pump that has spent this long stops; the queues it did not reach go
 * first at the next one.  Under Wine a post to another process costs
 * about 90 us, and 64 events for each of 64 sessions would hold the main
 * window for 0.4 s. */
enum { PUMP_BUDGET_MS = 30 };

const SpecialKeyRow SpecialKeyTable[SPECIAL_KEY_COUNT] = {
    { L"ENTER", L"Enter", 13, 0 },
    { L"ESC", L"Esc", 27, 0 },
    { L"TAB", L"Tab", 9, 0 },
    { L"BS", L"Backspace", 0, 0x08 },
    { L"SPACE", L"Space", 32, 0 },
    { L"UP", L"↑", 0, 0x26 },
    { L"DOWN", L"↓", 0, 0x28 },
    { L"LEFT", L"←", 0, 0x25 },
    { L"RIGHT", L"→", 0, 0x27 },
    { L"HOME", L"Home", 0, 0x24 },
    { L"END", L"End", 0, 0x23 },
    { L"PGUP", L"Page Up", 0, 0x21 },
    { L"PGDN", L"Page Down", 0, 0x22 },
    { L"INS", L"Insert", 0, 0x2D },
    { L"DEL", L"Delete", 0, 0x2E },
    { L"CTRL+C", L"Ctrl+C", 3, 0 },
    { L"CTRL+D", L"Ctrl+D", 4, 0 },
    { L"CTRL+Z", L"Ctrl+Z", 26, 0 },
    { L"CTRL+L", L"Ctrl+L", 12, 0 },
    { L"CTRL+A", L"Ctrl+A", 1, 0 },
    { L"CTRL+E", L"Ctrl+E", 5, 0 },
    { L"CTRL+R", L"Ctrl+R", 18, 0 },
    { L"CTRL+U", L"Ctrl+U", 21, 0 },
    { L"CTRL+W", L"Ctrl+W", 23, 0 },
    { L"CTRL+X", L"Ctrl+X", 24, 0 },
    { L"F1", L"F1", 0, 0x70 },
    { L"F2", L"F2", 0, 0x71 },
    { L"F3", L"F3", 0, 0x72 },
    { L"F4", L"F4", 0, 0x73 },
    { L"F5", L"F5", 0, 0x74 },
    { L"F6", L"F6", 0, 0x75 },
    { L"F7", L"F7", 0, 0x76 },
    { L"F8", L"F8", 0, 0x77 },
    { L"F9", L"F9", 0, 0x78 },
    { L"F10", L"F10", 0, 0x79 },
    { L"F11", L"F11", 0, 0x7A },
    { L"F12", L"F12", 0, 0x7B },
};

bool SpecialKeyStartsColumn(int row)
{
    return row == 15 || row == 30;
}

const wchar_t ScriptSyntaxText[] =
    L"스크립트 문법\n"
    L"\n"
    L"• 글자는 그대로 입력됩니다.\n"
    L"• 줄바꿈은 Enter입니다. 마지막 줄 끝에 줄바꿈이 없으면 그 줄의 Enter는 보내지 않습니다.\n"
    L"• 특수 키: {ENTER} {ESC} {TAB} {BS} {SPACE} {UP} {DOWN} {LEFT} {RIGHT}\n"
    L"   {HOME} {END} {PGUP} {PGDN} {INS} {DEL} {F1} … {F12}\n"
    L"• Ctrl 조합: {CTRL+C}, {CTRL+D} 처럼 {CTRL+문자}\n"
    L"• Alt 조합: {ALT+x} (Esc 다음 x를 보냅니다)\n"
    L"• 기다리기: {WAIT 500} 또는 {SLEEP 500} (밀리초)\n"
    L"• 글자 기다리기: {WAITFOR 텍스트} (화면에 나올 때까지, 기본 30초)\n"
    L"• 기다리는 시간 바꾸기: {TIMEOUT 60} (초)\n"
    L"• 서버 값: {USER} {PASSWORD} {HOST}\n"
    L"• 여는 중괄호 글자 자체: {{\n"
    L"\n"
    L"예)\n"
    L"sudo -i\n"
    L"{WAIT 800}{PASSWORD}\n"
    L"cd /var/log\n";

static uint32_t Now(void)
{
    return KeyTickCount ? KeyTickCount() : PlatTickCount();
}

uint32_t KeyStrokeLParam(unsigned vk, unsigned scanCode)
{
    uint32_t lParam = ((scanCode & 0xFFu) << 16) + 1u;
    if ((vk >= 0x21 && vk <= 0x28) || vk == 0x2D || vk == 0x2E)
        lParam |= 0x01000000u;
    return lParam;
}

bool MatchName(const wchar_t *text, int length, const wchar_t *word)
{
    /* The lengths first: a linguistic comparison skips characters such
     * as the soft hyphen, so "ENTER" plus one of them would match. */
    int wordLength = StrLen(word);
    if (!text || length != wordLength)
        return false;
    return PlatEqualInvariantNoCase(text, length, word, wordLength);
}

KeyQueue *NewKeyQueue(int sessionId, int initialDelay, int lineDelay)
{
    KeyQueue *q = (KeyQueue *)MemAlloc(sizeof(KeyQueue));
    q->SessionId = sessionId;
    q->DueTick = Now() + (initialDelay > 0 ? (uint32_t)initialDelay : 0u);
    q->LineDelay = lineDelay;
    q->WaitFrom = -1;
    q->WaitLimit = WAIT_FOR_DEFAULT_MS;
    KeyQueue **link = &KeyQueueList;
    while (*link)
        link = &(*link)->Next;
    *link = q;
    return q;
}

KeyQueue *LiveKeyQueue(int sessionId)
{
    KeyQueue *found = 0;
    for (KeyQueue *q = KeyQueueList; q; q = q->Next)
        if (q->Live && q->SessionId == sessionId && q->Position < q->Count)
            found = q;
    if (!found) {
        found = NewKeyQueue(sessionId, 0, 0);
        found->Live = true;
    }
    return found;
}

/* Grows by copying rather than MemRealloc, so that the outgrown block can
 * be wiped: it may hold a password. */
static void Grow(KeyQueue *q)
{
    if (q->Capacity > INT32_MAX / 2 ||
        (size_t)q->Capacity * 2 > SIZE_MAX / sizeof(KeyEvent))
        PlatFatalError(L"메모리가 부족합니다.", 3);
    int capacity = q->Capacity ? q->Capacity * 2 : FIRST_CAPACITY;
    KeyEvent *events = (KeyEvent *)MemAlloc((size_t)capacity * sizeof(KeyEvent));
    if (q->Events) {
        MemCopy(events, q->Events, (size_t)q->Count * sizeof(KeyEvent));
        MemWipe(q->Events, (size_t)q->Capacity * sizeof(KeyEvent));
        MemFree(q->Events);
    }
    q->Events = events;
    q->Capacity = capacity;
}

void PushKeyEvent(KeyQueue *q, int kind, int value)
{
    if (!q)
        return;
    if (q->Count == q->Capacity)
        Grow(q);
    q->Events[q->Count].Kind = kind;
    q->Events[q->Count].Value = value;
    q->Count++;
}

void PushText(KeyQueue *q, const wchar_t *text)
{
    if (!text)
        return;
    for (int i = 0; text[i]; i++)
        PushKeyEvent(q, KEY_CHAR, (uint16_t)text[i]);
}

static void PushRow(KeyQueue *q, int row)
{
    const SpecialKeyRow &r = SpecialKeyTable[row];
    if (r.Char)
        PushKeyEvent(q, KEY_CHAR, r.Char);
    else
        PushKeyEvent(q, KEY_KEY, r.VirtualKey);
}

/* The digits stop at the closing brace, which follows the word. */
static void PushWait(KeyQueue *q, const wchar_t *number)
{
    int ms = ParseInt(number);
    PushKeyEvent(q, KEY_WAIT, ms > 0 ? ms : 0);
}

/* {TIMEOUT n}: digits only, the seconds brought within the limits. */
static bool PushTimeout(KeyQueue *q, const wchar_t *digits, int n)
{
    int seconds = 0;
    for (int i = 0; i < n; i++) {
        if (digits[i] < '0' || digits[i] > '9')
            return false;
        if (seconds <= TIMEOUT_MAX_S)
            seconds = seconds * 10 + (digits[i] - '0');
    }
    seconds = seconds < TIMEOUT_MIN_S ? TIMEOUT_MIN_S : seconds > TIMEOUT_MAX_S ? TIMEOUT_MAX_S : seconds;
    PushKeyEvent(q, KEY_TIMEOUT, seconds);
    return true;
}

/* The rules for the text between braces, first match wins; false when
 * none applies and the brace is to be typed. */
static bool BraceWord(KeyQueue *q, const wchar_t *w, int n, const ServerNode *node)
{
    for (int row = 0; row < SPECIAL_KEY_COUNT; row++) {
        if (MatchName(w, n, SpecialKeyTable[row].Name)) {
            PushRow(q, row);
            return true;
        }
    }
    /* The brace-word limit keeps the text within WATCH_KEEP. */
    if (n > 8 && (MatchName(w, 8, L"WAITFOR ") || MatchName(w, 8, L"WAITFOR:"))) {
        PushKeyEvent(q, KEY_WAIT_FOR, n - 8);
        for (int i = 8; i < n; i++)
            PushKeyEvent(q, KEY_WAIT_TEXT, (uint16_t)w[i]);
        return true;
    }
    if (n > 8 && (MatchName(w, 8, L"TIMEOUT ") || MatchName(w, 8, L"TIMEOUT:")) && PushTimeout(q, w + 8, n - 8))
        return true;
    if (n > 5 && (MatchName(w, 5, L"WAIT ") || MatchName(w, 5, L"WAIT:"))) {
        PushWait(q, w + 5);
        return true;
    }
    if (n > 6 && (MatchName(w, 6, L"SLEEP ") || MatchName(w, 6, L"SLEEP:"))) {
        PushWait(q, w + 6);
        return true;
    }
    if (node) {
        const wchar_t *value = 0;
        bool named = true;
        if (MatchName(w, n, L"PASSWORD"))
            value = NodePassword((ServerNode *)node);
        else if (MatchName(w, n, L"USER"))
            value = node->UserName;
        else if (MatchName(w, n, L"HOST"))
            value = node->ServerName;
        else
            named = false;
        if (named) {
            PushText(q, value);
            return true;
        }
    }
    if (n == 6 && MatchName(w, 5, L"CTRL+")) {
        int c = (uint16_t)w[5];
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        if (c >= 64 && c <= 95) {
            PushKeyEvent(q, KEY_CHAR, c - 64);
            return true;
        }
    }
    if (n == 5 && MatchName(w, 4, L"ALT+")) {
        PushKeyEvent(q, KEY_CHAR, 27);
        PushKeyEvent(q, KEY_CHAR, (uint16_t)w[4]);
        return true;
    }
    return false;
}

/* Index of the closing brace for the opening one at open, or -1 when it
 * is not among the next 40 characters or a line feed or the end of the
 * text comes first. */
static int ClosingBrace(const wchar_t *s, int open)
{
    for (int j = open + 1; j <= open + BRACE_WORD_MAX + 1; j++) {
        if (s[j] == 0 || s[j] == '\n')
            return -1;
        if (s[j] == '}')
            return j;
    }
    return -1;
}

void ParseScript(KeyQueue *q, const wchar_t *s, const ServerNode *node)
{
    if (!q || !s)
        return;
    int i = 0;
    while (s[i]) {
        wchar_t c = s[i];
        if (c == '\n') {
            PushKeyEvent(q, KEY_CHAR, 13);
            i++;
        } else if (c == '\r') {
            PushKeyEvent(q, KEY_CHAR, 13);
            i += s[i + 1] == '\n' ? 2 : 1;
        } else if (c == '{' && s[i + 1] == '{') {
            PushKeyEvent(q, KEY_CHAR, '{');
            i += 2;
        } else if (c == '{') {
            int close = ClosingBrace(s, i);
            if (close >= 0 && BraceWord(q, s + i + 1, close - i - 1, node)) {
                i = close + 1;
            } else {
                PushKeyEvent(q, KEY_CHAR, '{');
                i++;
            }
        } else {
            PushKeyEvent(q, KEY_CHAR, (uint16_t)c);
            i++;
        }
    }
}

static bool HoldsWaitFor(const KeyQueue *q)
{
    for (int i = 0; i < q->Count; i++)
        if (q->Events[i].Kind == KEY_WAIT_FOR)
            return true;
    return false;
}

bool ScriptWaitsForText(const wchar_t *script)
{
    /* Without a node no password enters the events. */
    KeyQueue q = {};
    ParseScript(&q, script, 0);
    bool waits = HoldsWaitFor(&q);
    MemFree(q.Events);
    return waits;
}

KeyQueue *SendScript(int sessionId, const ServerNode *node, const wchar_t *script, int lineDelay,
                     int initialDelay)
{
    if (sessionId <= 0 || StrIsEmpty(script))
        return 0;
    KeyQueue *q = NewKeyQueue(sessionId, initialDelay, lineDelay);
    ParseScript(q, script, node);
    if (KeyNotice)
        KeyNotice(sessionId, HoldsWaitFor(q) ? KEY_NOTICE_SCRIPT_WAITS : KEY_NOTICE_SCRIPT);
    return q;
}

KeyQueue *SendSpecialKey(int sessionId, int row)
{
    /* A negative row would read before the table. */
    if (sessionId <= 0 || row < 0 || row >= SPECIAL_KEY_COUNT)
        return 0;
    KeyQueue *q = NewKeyQueue(sessionId, 0, 0);
    PushRow(q, row);
    return q;
}

KeyQueue *QueuePasswordTyping(int sessionId, const ServerNode *node, int delay)
{
    /* Without a node there is no password, and a lone Enter would answer
     * the prompt wrongly. */
    if (sessionId <= 0 || !node)
        return 0;
    KeyQueue *q = NewKeyQueue(sessionId, delay, 0);
    PushText(q, NodePassword((ServerNode *)node));
    PushKeyEvent(q, KEY_CHAR, 13);
    return q;
}

static void FreeQueue(KeyQueue *q)
{
    if (q->Events) {
        MemWipe(q->Events, (size_t)q->Capacity * sizeof(KeyEvent));
        MemFree(q->Events);
    }
    MemWipe(q, sizeof(KeyQueue));
    MemFree(q);
}

static void PostKey(void *window, unsigned vk)
{
    uint32_t lParam = KeyStrokeLParam(vk, KeyScanCode ? KeyScanCode(vk) : 0u);
    KeyMessagePost(window, KEY_MSG_KEYDOWN, vk, lParam);
    KeyMessagePost(window, KEY_MSG_KEYUP, vk, lParam | KEY_UP_FLAGS);
}

/* A Char or Key event; a wait posts nothing. */
static void PostKeyEvent(void *window, KeyEvent e)
{
    if (e.Kind == KEY_KEY)
        PostKey(window, (unsigned)e.Value);
    else if (e.Kind == KEY_CHAR)
        KeyMessagePost(window, KEY_MSG_CHAR, (uint32_t)e.Value, 1);
}

int SpecialKeyRowOfKey(int vk)
{
    for (int i = 0; i < SPECIAL_KEY_COUNT; i++)
        if (!SpecialKeyTable[i].Char && SpecialKeyTable[i].VirtualKey == vk)
            return i;
    return -1;
}

/* Moves WaitScan over what holds no wait for text. */
static void ScanWaits(KeyQueue *q)
{
    while (q->WaitScan < q->Count && q->Events[q->WaitScan].Kind != KEY_WAIT_FOR)
        q->WaitScan++;
}

/* The length of the text a wait at index looks for (value, its event's),
 * kept within the queue and the longest text a watch can find. */
static int WaitTextLength(const KeyQueue *q, int index, int value)
{
    int room = q->Count - index - 1;
    int length = value < room ? value : room;
    length = length < WATCH_KEEP ? length : WATCH_KEEP;
    return length > 0 ? length : 0;
}

static bool WaitMet(KeyQueue *q, int index)
{
    ScanWaits(q);
    return index < q->WaitScan;
}

void KeyOutputArrived(int sessionId, const OutputWatch *watch)
{
    for (KeyQueue *q = KeyQueueList; q; q = q->Next) {
        if (q->SessionId != sessionId)
            continue;
        if (q->WaitFrom < 0)
            q->WaitFrom = watch->FeedFrom;
        for (;;) {
            ScanWaits(q);
            if (q->WaitScan >= q->Count)
                break;
            int length = WaitTextLength(q, q->WaitScan, q->Events[q->WaitScan].Value);
            wchar_t text[WATCH_KEEP];
            for (int k = 0; k < length; k++)
                text[k] = (wchar_t)q->Events[q->WaitScan + 1 + k].Value;
            int64_t end = WatchFind(watch, text, length, q->WaitFrom);
            if (end < 0)
                break;
            q->WaitFrom = end;
            q->WaitScan += 1 + length;
        }
    }
}

bool KeyWaitPending(int sessionId)
{
    for (KeyQueue *q = KeyQueueList; q; q = q->Next) {
        if (q->SessionId != sessionId)
            continue;
        ScanWaits(q);
        if (q->WaitScan < q->Count)
            return true;
    }
    return false;
}

/* Sends up to 64 due events of one queue to its window; false when the
 * queue gives up at a wait for text. */
static bool PlayQueue(KeyQueue *q, void *window, uint32_t now)
{
    for (int sent = 0; sent < EVENTS_PER_TICK && q->Position < q->Count; sent++) {
        KeyEvent e = q->Events[q->Position];
        if (e.Kind == KEY_WAIT_FOR && !WaitMet(q, q->Position)) {
            if (!KeyOutputWatched || !KeyOutputWatched(q->SessionId))
                return false;
            if (q->Waiting)
                return (int32_t)(now - q->DueTick) < 0;
            q->Waiting = true;
            q->DueTick = now + (uint32_t)q->WaitLimit;
            return true;
        }
        q->Waiting = false;
        /* Typed characters need not linger while the rest waits. */
        MemWipe(&q->Events[q->Position], sizeof(KeyEvent));
        q->Position++;
        switch (e.Kind) {
        case KEY_WAIT:
            q->DueTick = now + (e.Value > 0 ? (uint32_t)e.Value : 0u);
            return true;
        case KEY_WAIT_FOR: {
            int length = WaitTextLength(q, q->Position - 1, e.Value);
            MemWipe(&q->Events[q->Position], (size_t)length * sizeof(KeyEvent));
            q->Position += length;
            break;
        }
        case KEY_TIMEOUT:
            q->WaitLimit = e.Value * 1000;
            break;
        default:
            PostKeyEvent(window, e);
            if (e.Kind == KEY_CHAR && e.Value == 13 && q->LineDelay > 0) {
                q->DueTick = now + (uint32_t)q->LineDelay;
                return true;
            }
        }
    }
    return true;
}

/* Whether the queue has something to do now: its pause is over, or the
 * wait it stands at was met. */
static bool QueueDue(KeyQueue *q, uint32_t now)
{
    return (int32_t)(now - q->DueTick) >= 0 || (q->Waiting && WaitMet(q, q->Position));
}

void PumpKeyQueues(void)
{
    uint32_t now = Now();
    KeyQueue **link = &KeyQueueList;
    while (*link) {
        KeyQueue *q = *link;
        void *window = 0;
        int state = KeyTargetLookup ? KeyTargetLookup(q->SessionId, &window) : KEY_TARGET_GONE;
        bool drop = state == KEY_TARGET_GONE || q->Position >= q->Count || (q->Live && state == KEY_TARGET_WAITING);
        bool played = false, stopped = false;
        if (!drop && state == KEY_TARGET_READY && window && KeyMessagePost && QueueDue(q, now)) {
            played = true;
            stopped = drop = !PlayQueue(q, window, now);
        }
        if (drop) {
            int id = q->SessionId;
            *link = q->Next;
            FreeQueue(q);
            if (stopped && KeyNotice)
                KeyNotice(id, KEY_NOTICE_STOPPED);
            continue;
        }
        link = &q->Next;
        if (played && q->Next && Now() - now > PUMP_BUDGET_MS) {
            /* the served ones go behind the rest */
            KeyQueue *served = KeyQueueList, *last = q->Next;
            KeyQueueList = q->Next;
            q->Next = 0;
            while (last->Next)
                last = last->Next;
            last->Next = served;
            return;
        }
    }
}
