/*
 * output_watch.h: what a session received, as its PuTTY session log
 * holds it, turned into text that script waits can search.
 *
 * The log is fed a read at a time.  Bytes are UTF-8; escape and control
 * sequences (CSI, OSC and the other strings, plain ESC sequences) and
 * control characters other than CR, LF and Tab are dropped.  PuTTY's
 * header line at the start of a log is not session output.  Of earlier
 * reads only the last WATCH_KEEP characters are kept: enough to find a
 * text of that length that one read split.
 */
#ifndef KESTRUM_SESSIONS_OUTPUT_WATCH_H
#define KESTRUM_SESSIONS_OUTPUT_WATCH_H

#include <stdint.h>

enum {
    WATCH_KEEP = 31,            /* the longest text a wait looks for */
    WATCH_READ_MAX = 8192,      /* bytes a feed takes at most */
};

struct OutputWatch {
    int64_t Seen;               /* characters so far: the position after Text[Count - 1] */
    int64_t FeedFrom;           /* position of the first character of the last feed */
    int Count;
    int Escape;                 /* the sequence being dropped, 0 in text */
    uint32_t Code;              /* a UTF-8 sequence so far */
    uint32_t Least;             /* the smallest code its length may stand for */
    int Need;                   /* its bytes still to come */
    int Header;                 /* header bytes matched; -1 once past the header */
    /* A feed yields at most one character a byte, and a header that
     * turns out not to be one gives back what it held. */
    wchar_t Text[WATCH_KEEP + WATCH_READ_MAX + 64];
};

/* The start of a log (again, after PuTTY truncated it): a header may
 * come.  Positions go on from where they were. */
void WatchRestart(OutputWatch *w);
/* Reading goes on somewhere in the middle: no header, and nothing of a
 * sequence that began before. */
void WatchSkip(OutputWatch *w);
/* Decodes n bytes (at most WATCH_READ_MAX), keeping WATCH_KEEP
 * characters of what was there. */
void WatchFeed(OutputWatch *w, const unsigned char *bytes, int n);
/* The position just after the first occurrence of text (1..WATCH_KEEP
 * characters, ASCII letters in any case) that starts at or after from,
 * among the characters held; -1 when there is none. */
int64_t WatchFind(const OutputWatch *w, const wchar_t *text, int length, int64_t from);

#endif
