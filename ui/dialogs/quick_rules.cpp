/*
 * quick_rules.cpp: the quick-connect history, target reader and name
 * lookup.
 */
#include "quick_rules.h"

#include "../../config/server_tree.h"
#include "../../config/settings.h"
#include "../../core/text.h"

void AddRecent(const wchar_t *text)
{
    if (StrIsEmpty(text))
        return;
    int found = RECENT_MAX - 1;
    wchar_t *head = NULL;
    for (int i = 0; i < RECENT_MAX; i++) {
        if (Settings.Recents[i] && StrCompareNoCase(Settings.Recents[i], text) == 0) {
            found = i;
            head = Settings.Recents[i];
            break;
        }
    }
    if (!head) {
        MemFree(Settings.Recents[RECENT_MAX - 1]);
        head = StrDup(text);
    }
    for (int i = found; i > 0; i--)
        Settings.Recents[i] = Settings.Recents[i - 1];
    Settings.Recents[0] = head;
}

static int CountChar(const wchar_t *s, int n, wchar_t c)
{
    int count = 0;
    for (int i = 0; i < n; i++)
        if (s[i] == c)
            count++;
    return count;
}

/* A port given after a colon: what ParseInt reads there when above 0. */
static int PortAfterColon(const wchar_t *colon)
{
    int port = ParseInt(colon + 1);
    return port > 0 ? port : 0;
}

/* "[address]" or "[address]:port" with a non-empty address: the address
 * (without the brackets) is the host.  False for anything else, which is
 * then read as an unbracketed host. */
static bool ReadBracketed(const wchar_t *rest, const wchar_t **host, int *length, int *port)
{
    if (rest[0] != L'[')
        return false;
    const wchar_t *close = StrFindChar(rest, L']');
    if (!close || close == rest + 1)
        return false;
    int given = 0;
    if (close[1] == L':') {
        given = PortAfterColon(close + 1);
        if (given == 0)
            return false;
    } else if (close[1] != 0) {
        return false;
    }
    *host = rest + 1;
    *length = (int)(close - *host);
    *port = given;
    return true;
}

void ParseTarget(const wchar_t *target, ServerNode *node)
{
    const wchar_t *text = target ? target : L"";
    const wchar_t *at = StrFindChar(text, L'@');
    const wchar_t *rest = text;
    if (at) {
        wchar_t *user = StrDupN(text, (int)(at - text));
        StrAssign(&node->UserName, user);
        MemFree(user);
        rest = at + 1;
    }
    const wchar_t *host = rest;
    int length = StrLen(rest), port = 0;
    if (!ReadBracketed(rest, &host, &length, &port)) {
        /* Two colons or more make a bare IPv6 address, whose last group
         * would otherwise be taken for a port. */
        const wchar_t *colon = StrFindLastChar(rest, L':');
        if (colon && CountChar(rest, length, L':') == 1) {
            port = PortAfterColon(colon);
            if (port > 0)
                length = (int)(colon - rest);
        }
    }
    if (port > 0)
        node->Port = port;
    wchar_t *name = StrDupN(host, length);
    StrAssign(&node->ServerName, name);
    MemFree(name);
}

bool TargetIsHost(const wchar_t *target)
{
    if (StrIsEmpty(target))
        return false;
    for (const wchar_t *p = target; *p; p++)
        if (*p <= 0x20 || *p == 0x7F)
            return false;
    ServerNode read = {};
    ParseTarget(target, &read);
    bool host = !StrIsEmpty(read.ServerName);
    MemFree(read.ServerName);
    MemFree(read.UserName);
    return host;
}

ServerNode *FindServerByName(ServerNode *root, const wchar_t *text)
{
    if (!root)
        return NULL;
    for (ServerNode *n = root->FirstChild; n; n = n->NextSibling) {
        if (n->Type == NODE_SERVER && StrCompareNoCase(n->DisplayName, text) == 0)
            return n;
        if (ServerNode *found = FindServerByName(n, text))
            return found;
    }
    return NULL;
}
