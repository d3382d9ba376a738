/*
 * output_watch.cpp: session-log bytes to searchable text.
 */
#include "output_watch.h"

#include "../core/text.h"

/* The line PuTTY starts a log with, up to its date. */
static const char HeaderStart[] = "=~=~=~=~=~=~=~=~=~=~=~= PuTTY log ";
enum { HEADER_LENGTH = sizeof HeaderStart - 1, HEADER_DONE = -1, HEADER_SKIPPING = -2 };

enum { IN_TEXT = 0, IN_ESC, IN_ESC_INTERMEDIATE, IN_CSI, IN_STRING, IN_STRING_ESC };

void WatchRestart(OutputWatch *w)
{
    w->Escape = IN_TEXT;
    w->Need = 0;
    w->Header = 0;
}

void WatchSkip(OutputWatch *w)
{
    w->Escape = IN_TEXT;
    w->Need = 0;
    w->Header = HEADER_DONE;
}

static void Put(OutputWatch *w, wchar_t c)
{
    w->Text[w->Count++] = c;
    w->Seen++;
}

static void PutCode(OutputWatch *w, uint32_t code)
{
    if (code >= 0x80 && code < 0xA0)
        return;     /* C1 controls */
    if (code >= 0x10000) {
        code -= 0x10000;
        Put(w, (wchar_t)(0xD800 + (code >> 10)));
        Put(w, (wchar_t)(0xDC00 + (code & 0x3FF)));
    } else {
        Put(w, (wchar_t)code);
    }
}

/* A byte inside an escape sequence: moves on to the sequence's next
 * part, or back to text after its last byte. */
static void EscapeByte(OutputWatch *w, unsigned char b)
{
    if (b == 0x18 || b == 0x1A) {       /* CAN and SUB cancel a sequence */
        w->Escape = IN_TEXT;
        return;
    }
    switch (w->Escape) {
    case IN_ESC:
        if (b == '[')
            w->Escape = IN_CSI;
        else if (b == ']' || b == 'P' || b == 'X' || b == '^' || b == '_')
            w->Escape = IN_STRING;
        else if (b >= 0x20 && b <= 0x2F)
            w->Escape = IN_ESC_INTERMEDIATE;
        else if (b >= 0x30 && b <= 0x7E)
            w->Escape = IN_TEXT;
        break;
    case IN_ESC_INTERMEDIATE:
        if (b == 0x1B)
            w->Escape = IN_ESC;
        else if (b >= 0x30 && b <= 0x7E)
            w->Escape = IN_TEXT;
        break;
    case IN_CSI:
        if (b == 0x1B)
            w->Escape = IN_ESC;
        else if (b >= 0x40 && b <= 0x7E)
            w->Escape = IN_TEXT;
        break;
    case IN_STRING:
        if (b == 0x07)
            w->Escape = IN_TEXT;
        else if (b == 0x1B)
            w->Escape = IN_STRING_ESC;
        break;
    case IN_STRING_ESC:
        /* ESC \ ends the string; any other ESC starts a sequence */
        w->Escape = IN_ESC;
        if (b == '\\')
            w->Escape = IN_TEXT;
        else
            EscapeByte(w, b);
        break;
    }
}

static void TextByte(OutputWatch *w, unsigned char b)
{
    if (w->Need > 0) {
        if ((b & 0xC0) == 0x80) {
            w->Code = (w->Code << 6) | (b & 0x3Fu);
            /* overlong forms and surrogates are refused */
            uint32_t c = w->Code;
            if (--w->Need == 0 && c >= w->Least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF))
                PutCode(w, c);
            return;
        }
        w->Need = 0;    /* cut short: dropped, and b is looked at afresh */
    }
    if (w->Escape != IN_TEXT) {
        EscapeByte(w, b);
        return;
    }
    if (b == 0x1B) {
        w->Escape = IN_ESC;
    } else if (b < 0x20 || b == 0x7F) {
        if (b == '\r' || b == '\n' || b == '\t')
            Put(w, (wchar_t)b);
    } else if (b < 0x80) {
        Put(w, (wchar_t)b);
    } else {
        int need = b >= 0xC2 && b <= 0xDF ? 1 : b >= 0xE0 && b <= 0xEF ? 2 : b >= 0xF0 && b <= 0xF4 ? 3 : 0;
        if (!need)
            return;
        w->Code = need == 1 ? (b & 0x1Fu) : need == 2 ? (b & 0x0Fu) : (b & 0x07u);
        w->Least = need == 1 ? 0x80 : need == 2 ? 0x800 : 0x10000;
        w->Need = need;
    }
}

void WatchFeed(OutputWatch *w, const unsigned char *bytes, int n)
{
    if (w->Count > WATCH_KEEP) {
        MemCopy(w->Text, w->Text + w->Count - WATCH_KEEP, WATCH_KEEP * sizeof(wchar_t));
        w->Count = WATCH_KEEP;
    }
    w->FeedFrom = w->Seen;
    if (n > WATCH_READ_MAX)
        n = WATCH_READ_MAX;
    for (int i = 0; i < n; i++) {
        unsigned char b = bytes[i];
        if (w->Header >= 0) {
            if (b == (unsigned char)HeaderStart[w->Header]) {
                if (++w->Header == HEADER_LENGTH)
                    w->Header = HEADER_SKIPPING;
                continue;
            }
            /* not PuTTY's header after all: what it held was text */
            for (int k = 0; k < w->Header; k++)
                Put(w, (wchar_t)HeaderStart[k]);
            w->Header = HEADER_DONE;
        } else if (w->Header == HEADER_SKIPPING) {
            if (b == '\n')
                w->Header = HEADER_DONE;
            continue;
        }
        TextByte(w, b);
    }
}

static wchar_t Folded(wchar_t c)
{
    return c >= 'A' && c <= 'Z' ? (wchar_t)(c + ('a' - 'A')) : c;
}

int64_t WatchFind(const OutputWatch *w, const wchar_t *text, int length, int64_t from)
{
    if (length <= 0 || length > WATCH_KEEP)
        return -1;
    int64_t first = w->Seen - w->Count;
    int start = from > first ? (int)(from - first) : 0;
    for (int i = start; i + length <= w->Count; i++) {
        int k = 0;
        while (k < length && Folded(w->Text[i + k]) == Folded(text[k]))
            k++;
        if (k == length)
            return first + i + length;
    }
    return -1;
}
