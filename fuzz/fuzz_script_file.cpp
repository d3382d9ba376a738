/*
 * Decoding arbitrary bytes of a script file: no crash, no leak; a text
 * comes back unless the file is binary, holds no zero character, and
 * has every line end as CR LF.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../core/text.h"
#include "../ui/dialogs/send_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    /* The loader hands over the file's bytes followed by zeros. */
    char *bytes = (char *)MemAlloc(size + 2);
    MemCopy(bytes, data, size);
    int kind = -1;
    wchar_t *text = DecodeScriptFile(bytes, (int)size, &kind);
    if (kind < SCRIPT_FILE_UTF8 || kind > SCRIPT_FILE_BINARY || (text == NULL) != (kind == SCRIPT_FILE_BINARY))
        abort();
    /* A zero unit of a UTF-16 file would cut the edit short. */
    if (size >= 2 && (data[0] == 0xFF || data[0] == 0xFE) && data[0] + data[1] == 0x1FD)
        for (size_t i = 2; i + 1 < size; i += 2)
            if (!data[i] && !data[i + 1] && text)
                abort();
    if (text) {
        int n = StrLen(text);
        for (int i = 0; i < n; i++) {
            if (text[i] == '\r' && text[i + 1] != '\n')
                abort();
            if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
                abort();
        }
        MemFree(text);
    }
    MemFree(bytes);
    return 0;
}
