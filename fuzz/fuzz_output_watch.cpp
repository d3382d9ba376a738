/*
 * Session-log bytes fed whole and cut into reads at the places the first
 * bytes name: no crash, and both give the same characters, so that how
 * PuTTY's writes and Kestrum's reads happen to fall changes nothing.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "../sessions/output_watch.h"

static OutputWatch Whole, Pieces;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2 || size > WATCH_READ_MAX + 2)
        return 0;
    int step = data[0] % 7 + 1;
    bool header = data[1] & 1;
    data += 2;
    size -= 2;
    memset(&Whole, 0, sizeof Whole);
    memset(&Pieces, 0, sizeof Pieces);
    if (header) {
        WatchRestart(&Whole);
        WatchRestart(&Pieces);
    } else {
        WatchSkip(&Whole);
        WatchSkip(&Pieces);
    }
    WatchFeed(&Whole, data, (int)size);
    for (size_t at = 0; at < size; at += (size_t)step)
        WatchFeed(&Pieces, data + at, (int)(size - at < (size_t)step ? size - at : (size_t)step));
    if (Whole.Seen != Pieces.Seen || Whole.Count > (int)(sizeof Whole.Text / sizeof Whole.Text[0]))
        abort();
    /* the pieces keep the last WATCH_KEEP characters of the whole */
    int keep = Pieces.Count < Whole.Count ? Pieces.Count : Whole.Count;
    if (memcmp(Whole.Text + Whole.Count - keep, Pieces.Text + Pieces.Count - keep, (size_t)keep * sizeof(wchar_t)))
        abort();
    for (int i = 0; i < Whole.Count; i++)
        if ((Whole.Text[i] < 0x20 && Whole.Text[i] != '\r' && Whole.Text[i] != '\n' && Whole.Text[i] != '\t') ||
            Whole.Text[i] == 0x1B)
            abort();
    return 0;
}
