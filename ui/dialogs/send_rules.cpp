/*
 * send_rules.cpp: targets, delay, pop-up entries and script file
 * decoding of the send-script dialog.
 */
#include "send_rules.h"

#include "../../core/platform.h"
#include "../../core/text.h"
#include "../../sessions/key_script.h"
#include "../commands/command_ids.h"

int ClampSendTarget(int target)
{
    if (target < SEND_TARGET_ACTIVE)
        return SEND_TARGET_ACTIVE;
    return target > SEND_TARGET_SELECTED ? SEND_TARGET_SELECTED : target;
}

static bool Contains(const int *ids, int count, int id)
{
    for (int i = 0; i < count; i++)
        if (ids[i] == id)
            return true;
    return false;
}

static bool IsTarget(int target, const SendCandidate &s, int activeId, const int *selectedIds, int selectedCount)
{
    switch (target) {
    case SEND_TARGET_ALL:
        return true;
    case SEND_TARGET_SELECTED:
        return Contains(selectedIds, selectedCount, s.Id);
    default:
        return s.Id == activeId;
    }
}

int SendTargetIds(int target, const SendCandidate *sessions, int count, int activeId, const int *selectedIds,
                  int selectedCount, int *out)
{
    int n = 0;
    for (int i = 0; i < count; i++)
        if (sessions[i].Running && IsTarget(target, sessions[i], activeId, selectedIds, selectedCount))
            out[n++] = sessions[i].Id;
    return n;
}

int SendDelayFromText(const wchar_t *text)
{
    int delay = ParseInt(text);
    return delay < 0 ? 0 : delay;
}

static void Braced(const wchar_t *name, wchar_t *out)
{
    int n = 0;
    out[n++] = '{';
    for (; *name && n < SEND_INSERT_MAX - 2; name++)
        out[n++] = *name;
    out[n++] = '}';
    out[n] = 0;
}

bool SpecialKeyInsertText(int command, wchar_t *out)
{
    int row = command - CMD_SPECIAL_KEY_FIRST;
    if (row >= 0 && row < SPECIAL_KEY_COUNT) {
        Braced(SpecialKeyTable[row].Name, out);
        return true;
    }
    switch (command) {
    case SEND_MENU_WAIT:
        Braced(L"WAIT 500", out);
        return true;
    case SEND_MENU_PASSWORD:
        Braced(L"PASSWORD", out);
        return true;
    case SEND_MENU_USER:
        Braced(L"USER", out);
        return true;
    }
    out[0] = 0;
    return false;
}

/* The code units after a UTF-16 byte-order mark; an odd last byte shows
 * as U+FFFD.  Null when a unit is zero. */
static wchar_t *WideFromUtf16(const unsigned char *b, int count, bool bigEndian)
{
    int units = (count + 1) / 2;
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)units + 1) * sizeof(wchar_t));
    for (int i = 0; i < units; i++) {
        unsigned u = 0xFFFD;
        if (2 * i + 1 < count)
            u = bigEndian ? (unsigned)(b[2 * i] << 8 | b[2 * i + 1]) : (unsigned)(b[2 * i + 1] << 8 | b[2 * i]);
        if (!u) {
            MemFree(out);
            return nullptr;
        }
        out[i] = (wchar_t)u;
    }
    return out;
}

static wchar_t *WideFromAnsi(const char *bytes, int count)
{
    int n = count > 0 ? PlatMultiByteToWide(PLAT_CP_ACP, 0, bytes, count, nullptr, 0) : 0;
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)n + 1) * sizeof(wchar_t));
    if (n)
        PlatMultiByteToWide(PLAT_CP_ACP, 0, bytes, count, out, n);
    return out;
}

static bool HasZeroByte(const char *bytes, int count)
{
    for (int i = 0; i < count; i++)
        if (!bytes[i])
            return true;
    return false;
}

/* text with every line end as CR LF; text itself when it has no other. */
static wchar_t *WithCrLf(wchar_t *text)
{
    int extra = 0;
    for (const wchar_t *p = text; *p; p++)
        if ((*p == '\r' && p[1] != '\n') || (*p == '\n' && (p == text || p[-1] != '\r')))
            extra++;
    if (!extra)
        return text;
    int len = StrLen(text);
    wchar_t *out = (wchar_t *)MemAlloc(((size_t)len + extra + 1) * sizeof(wchar_t));
    int n = 0;
    for (int i = 0; i < len; i++) {
        if (text[i] == '\r' || text[i] == '\n') {
            out[n++] = '\r';
            out[n++] = '\n';
            if (text[i] == '\r' && text[i + 1] == '\n')
                i++;
        } else
            out[n++] = text[i];
    }
    MemFree(text);
    return out;
}

wchar_t *DecodeScriptFile(const char *bytes, int count, int *kind)
{
    const unsigned char *b = (const unsigned char *)bytes;
    int how;
    wchar_t *text;
    if (count >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        how = SCRIPT_FILE_UTF16;
        text = WideFromUtf16(b + 2, count - 2, b[0] == 0xFE);
    } else if (HasZeroByte(bytes, count)) {
        how = SCRIPT_FILE_BINARY;
        text = nullptr;
    } else if (Utf8WellFormed(bytes, count)) {
        how = SCRIPT_FILE_UTF8;
        text = WideFromUtf8(bytes, count);
    } else {
        how = SCRIPT_FILE_ANSI;
        text = WideFromAnsi(bytes, count);
    }
    if (!text)
        how = SCRIPT_FILE_BINARY;
    if (kind)
        *kind = how;
    return text ? WithCrLf(text) : nullptr;
}
