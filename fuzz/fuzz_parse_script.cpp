/*
 * Parsing arbitrary scripts, read both as UTF-8 and as raw UTF-16, with
 * and without a server node, then playing them to the end: no crash, no
 * leak; every event is well formed, a script without a node never makes
 * more events than it has characters, and every Char and Key event up to
 * the first wait for text turns into its messages (no output is read
 * here, so the queue gives up there).
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../config/server_tree.h"
#include "../core/text.h"
#include "../sessions/key_script.h"

static uint32_t Clock;
static long Posted;

static int Ready(int, void **window)
{
    *window = (void *)1;
    return KEY_TARGET_READY;
}

static void Count(void *, unsigned, uintptr_t, uintptr_t)
{
    Posted++;
}

/* One time for the whole of a pump, which may ask for it more than once. */
static uint32_t Tick(void)
{
    return Clock;
}

static void Play(const wchar_t *text, const ServerNode *node)
{
    KeyQueue *q = NewKeyQueue(1, 0, 1000);
    ParseScript(q, text, node);
    if (q->Count > q->Capacity || (!node && q->Count > StrLen(text)))
        abort();
    long expected = 0;
    bool stops = false;
    for (int i = 0; i < q->Count; i++) {
        const KeyEvent &e = q->Events[i];
        if (e.Kind == KEY_CHAR && e.Value >= 0 && e.Value <= 0xFFFF) {
            expected += stops ? 0 : 1;
        } else if (e.Kind == KEY_KEY && e.Value > 0 && e.Value < 0x100) {
            expected += stops ? 0 : 2;
        } else if (e.Kind == KEY_WAIT_FOR) {
            if (e.Value < 1 || e.Value > 31 || i + e.Value >= q->Count)
                abort();
            for (int k = 1; k <= e.Value; k++)
                if (q->Events[i + k].Kind != KEY_WAIT_TEXT)
                    abort();
            i += e.Value;
            stops = true;
        } else if (e.Kind == KEY_TIMEOUT) {
            if (e.Value < TIMEOUT_MIN_S || e.Value > TIMEOUT_MAX_S)
                abort();
        } else if (e.Kind != KEY_WAIT || e.Value < 0) {
            abort();
        }
    }
    Posted = 0;
    /* 64 events a tick, at most one pause each; one tick more to release */
    for (int ticks = 0; KeyQueueList; ticks++) {
        if (ticks > q->Count + 1)
            abort();
        /* each tick as late as any pause can ask for: every queue is due */
        Clock += 0x7FFFFFFFu;
        PumpKeyQueues();
    }
    if (Posted != expected)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KeyTargetLookup = Ready;
    KeyMessagePost = Count;
    KeyTickCount = Tick;

    ServerNode *n = NodeNew(NODE_SERVER);
    NodeSetPassword(n, L"pass{UP}\n");
    StrAssign(&n->UserName, L"{USER}");
    StrAssign(&n->ServerName, size & 1 ? L"" : L"host");

    wchar_t *text = WideFromUtf8((const char *)data, (int)size);
    Play(text, NULL);
    Play(text, n);
    MemFree(text);

    int units = (int)(size / 2);
    wchar_t *raw = (wchar_t *)MemAlloc(((size_t)units + 1) * sizeof(wchar_t));
    for (int i = 0; i < units; i++)
        raw[i] = (wchar_t)(data[2 * i] | data[2 * i + 1] << 8);
    raw[units] = 0;
    Play(raw, size & 2 ? n : NULL);
    MemFree(raw);
    NodeFree(n);
    return 0;
}
