/*
 * Decoding arbitrary stored PuTTY session names (raw UTF-16): no crash,
 * no leak, a text always comes back, and a name without a percent sign
 * or anything beyond ASCII comes back as it was.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "../core/text.h"
#include "../sessions/putty_sessions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int units = (int)(size / 2);
    wchar_t *stored = (wchar_t *)MemAlloc(((size_t)units + 1) * sizeof(wchar_t));
    for (int i = 0; i < units; i++)
        stored[i] = (wchar_t)(data[2 * i] | data[2 * i + 1] << 8);
    wchar_t *name = DecodeSessionName(stored);
    if (!name)
        abort();
    int len = StrLen(stored);
    bool plain = true;
    for (int i = 0; i < len; i++)
        if (stored[i] == '%' || stored[i] > 127)
            plain = false;
    if (plain && (StrLen(name) != len || memcmp(name, stored, (size_t)len * sizeof(wchar_t)) != 0))
        abort();
    MemFree(name);
    MemFree(stored);
    return 0;
}
