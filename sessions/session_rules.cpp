/*
 * session_rules.cpp: pure decisions of sessions and capture.
 */
#include "session_rules.h"

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"

EndAction SessionEndAction(bool normal, bool hasNode)
{
    if (normal)
        return Settings.CloseOnNormalEnd ? END_CLOSE : END_KEEP;
    if (Settings.AutoReconnect && hasNode)
        return END_RECONNECT;
    return Settings.KeepOnAbnormalEnd ? END_KEEP : END_CLOSE;
}

EndAction DisconnectAction(bool hasNode)
{
    if (Settings.AutoReconnect && hasNode)
        return END_RECONNECT;
    return Settings.KeepOnAbnormalEnd ? END_KEEP : END_CLOSE;
}

void ComposeCaption(wchar_t *out, int cap, int tabCaption, const wchar_t *windowTitle,
                    const ServerNode *node)
{
    const wchar_t *pick = NULL;
    if (tabCaption == 1 && !StrIsEmpty(windowTitle))
        pick = windowTitle;
    else if (node && !StrIsEmpty(node->DisplayName))
        pick = node->DisplayName;
    else if (node && !StrIsEmpty(node->ServerName))
        pick = node->ServerName;
    else if (!StrIsEmpty(windowTitle))
        pick = windowTitle;
    else
        pick = L"PuTTY";
    StrCopyTo(out, cap < 256 ? cap : 256, pick);
}

bool ReconnectDue(int delaySeconds, uint32_t elapsedMs)
{
    /* In milliseconds a nine-digit delay no longer fits 32 bits. */
    return delaySeconds <= 0 || (uint64_t)elapsedMs >= (uint64_t)delaySeconds * 1000u;
}

int ReconnectSecondsLeft(int delaySeconds, uint32_t elapsedMs)
{
    /* A huge elapsed time (a clock far ahead) must not wrap to a count. */
    uint32_t elapsed = elapsedMs / 1000;
    if (elapsed >= (uint32_t)delaySeconds || delaySeconds <= 0)
        return 0;
    return delaySeconds - (int)elapsed;
}

void ComposeStatusText(wchar_t *out, int cap, int state, int exitCode, const wchar_t *statusText,
                       int secondsLeft, int attempts, const wchar_t *reason)
{
    wchar_t buf[1025];
    buf[0] = 0;
    switch (state) {
    case SESSION_STARTING:
        StrCopyTo(buf, 1025, L"PuTTY를 시작하는 중입니다…");
        break;
    case SESSION_ENDED:
        StrFormat(buf, L"세션이 종료되었습니다 (종료 코드 %d).", exitCode);
        break;
    case SESSION_FAILED:
        StrCopyTo(buf, 1025, StrIsEmpty(statusText) ? L"PuTTY를 시작하지 못했습니다." : statusText);
        break;
    case SESSION_RECONNECT_WAIT:
        StrFormat(buf, L"연결이 끊어졌습니다. %d초 후 다시 연결합니다… (%d번째 시도)", secondsLeft, attempts);
        break;
    default:
        break;
    }
    if (buf[0] && !StrIsEmpty(reason) && state != SESSION_STARTING) {
        wchar_t line[1025];
        StrCopyTo(line, 1025, buf);
        StrFormat(buf, L"%s\n%s", line, reason);
    }
    StrCopyTo(out, cap, buf);
}

bool IsFatalErrorTitle(const wchar_t *title)
{
    static const wchar_t tail[] = L"Fatal Error";
    int n = StrLen(title), t = (int)(sizeof tail / sizeof tail[0]) - 1;
    return n >= t && StrEqualNoCase(title + n - t, tail);
}

uint32_t CapturedStyle(uint32_t style)
{
    return (style & 0x1E30FFFFu) | 0x40000000u;
}

uint32_t CapturedExStyle(uint32_t exStyle)
{
    return exStyle & ~0x00060309u;
}

uint32_t DetachedStyle(uint32_t savedStyle)
{
    return (savedStyle & 0x9FFFFFFFu) | 0x10000000u;
}

FitRect FitTarget(int dx, int dy, int db, int clipW, int clipH)
{
    if ((unsigned)dx > 64 || (unsigned)dy > 128 || db < 0 || db > 64)
        dx = dy = db = 0;
    FitRect r = { -dx, -dy, clipW + dx, clipH + db };
    return r;
}

int IndexAfterRemoval(int removed, int active, int newCount)
{
    if (active >= 0 && active < newCount)
        return removed < active ? active - 1 : active;
    return newCount - 1;
}

void ComposeSessionLogName(wchar_t *out, const wchar_t *name, const int stamp[6], int attempt)
{
    wchar_t clean[101];
    int n = 0;
    for (const wchar_t *p = StrIsEmpty(name) ? L"PuTTY" : name; *p && n < 100; p++) {
        wchar_t c = *p;
        bool refused = c < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '/' || c == '\\' ||
                       c == '|' || c == '?' || c == '*';
        clean[n++] = refused ? L'_' : c;
    }
    clean[n] = 0;
    wchar_t extra[12] = L"";
    if (attempt > 1)
        StrFromInt(extra, attempt);
    wchar_t buf[1025];
    StrFormat(buf, L"%s_%04d%02d%02d-%02d%02d%02d%s%s.log", clean, stamp[0], stamp[1], stamp[2], stamp[3],
              stamp[4], stamp[5], attempt > 1 ? L"_" : L"", extra);
    StrCopyTo(out, LOG_NAME_MAX, buf);
}

uint32_t LabelColorRef(int color)
{
    static const uint32_t Table[NODE_COLOR_COUNT] = {
        0,
        0x00005ED5,     /* vermilion 213, 94, 0 */
        0x00009FE6,     /* orange 230, 159, 0 */
        0x0042E4F0,     /* yellow 240, 228, 66 */
        0x00739E00,     /* bluish green 0, 158, 115 */
        0x00B27200,     /* blue 0, 114, 178 */
        0x00A779CC,     /* reddish purple 204, 121, 167 */
        0x00808080,     /* grey 128, 128, 128 */
    };
    return color > NODE_COLOR_NONE && color < NODE_COLOR_COUNT ? Table[color] : 0;
}
