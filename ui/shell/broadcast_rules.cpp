/*
 * broadcast_rules.cpp: the broadcast bar's keys, label and history.
 */
#include "broadcast_rules.h"

#include "../../core/text.h"

int BarLiveChar(int ch, KeyEvent *event)
{
    event->Kind = KEY_CHAR;
    event->Value = ch;
    switch (ch) {
    case 8:         /* Backspace went out as its key */
    case 22:        /* Ctrl+V pastes, and the paste is sent */
    case 127:       /* Ctrl+Backspace */
        return BAR_CHAR_BOX;
    case 10:        /* Ctrl+Enter */
    case 13:
        event->Value = 13;
        return BAR_CHAR_SEND_CLEAR;
    }
    return ch < 32 ? BAR_CHAR_SEND_ONLY : BAR_CHAR_SEND;
}

bool BarLiveKey(int vk, KeyEvent *event)
{
    if (SpecialKeyRowOfKey(vk) < 0)
        return false;
    event->Kind = KEY_KEY;
    event->Value = vk;
    return true;
}

int BarTextEvents(const wchar_t *text, KeyEvent *out, int cap)
{
    int n = 0;
    for (const wchar_t *p = text; p && *p; p++) {
        int ch = *p;
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && p[1] == '\n')
                p++;
            ch = 13;
        }
        if (n < cap) {
            out[n].Kind = KEY_CHAR;
            out[n].Value = ch;
        }
        n++;
    }
    return n;
}

void BarLabel(wchar_t *out, int cap, int members)
{
    wchar_t buf[1025];
    if (members > 0)
        StrFormat(buf, L"동시 입력 (%d개 세션):", members);
    else
        StrCopyTo(buf, 1025, L"동시 입력 (묶인 세션 없음):");
    StrCopyTo(out, cap, buf);
}

void BarHistoryAdd(BarHistory *h, const wchar_t *line)
{
    h->Walk = h->Count;
    if (StrIsEmpty(line) || (h->Count > 0 && StrEqual(h->Lines[h->Count - 1], line)))
        return;
    if (h->Count == BAR_HISTORY_MAX) {
        MemFree(h->Lines[0]);
        MemCopy(h->Lines, h->Lines + 1, (BAR_HISTORY_MAX - 1) * sizeof *h->Lines);
        h->Count--;
    }
    h->Lines[h->Count++] = StrDup(line);
    h->Walk = h->Count;
}

const wchar_t *BarHistoryOlder(BarHistory *h)
{
    if (h->Walk <= 0)
        return NULL;
    return h->Lines[--h->Walk];
}

const wchar_t *BarHistoryNewer(BarHistory *h)
{
    if (h->Walk >= h->Count)
        return NULL;
    if (++h->Walk == h->Count)
        return L"";
    return h->Lines[h->Walk];
}

void BarHistoryFree(BarHistory *h)
{
    for (int i = 0; i < h->Count; i++)
        MemFree(h->Lines[i]);
    *h = BarHistory();
}
