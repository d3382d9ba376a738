/*
 * Reading arbitrary quick-connect targets (UTF-8), then keeping them in
 * the history and looking them up: no crash, no leak; the user name is
 * set exactly when there is an "@", the host is a piece of the target,
 * a port is only ever a positive number, and the history holds no empty
 * entry and no two equal ones.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/text.h"
#include "../ui/dialogs/quick_rules.h"

static bool Contains(const wchar_t *text, const wchar_t *piece)
{
    int n = StrLen(text), k = StrLen(piece);
    for (int i = 0; i + k <= n; i++)
        if (memcmp(text + i, piece, (size_t)k * sizeof(wchar_t)) == 0)
            return true;
    return false;
}

static bool SameText(const wchar_t *a, const wchar_t *b)
{
    int n = StrLen(a);
    return n == StrLen(b) && (n == 0 || memcmp(a, b, (size_t)n * sizeof(wchar_t)) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    wchar_t *target = WideFromUtf8((const char *)data, (int)size);
    ServerNode *root = NodeNew(NODE_FOLDER);
    ServerNode *n = NodeNew(NODE_SERVER);
    NodeAppendChild(root, n);
    n->Port = -5;
    ParseTarget(target, n);
    const wchar_t *at = StrFindChar(target, L'@');
    wchar_t *user = at ? StrDupN(target, (int)(at - target)) : NULL;
    if (!SameText(n->UserName, user) || (!at && n->UserName))
        abort();
    MemFree(user);
    if (n->ServerName && !Contains(target, n->ServerName))
        abort();
    if (n->UserName && !Contains(target, n->UserName))
        abort();
    if (n->Port != -5 && n->Port <= 0)
        abort();
    StrAssign(&n->DisplayName, target);
    if (!StrIsEmpty(target) && FindServerByName(root, target) != n)
        abort();
    FindServerByName(root, n->ServerName);

    AddRecent(target);
    AddRecent(n->ServerName);
    AddRecent(n->UserName);
    for (int i = 0; i < RECENT_MAX; i++) {
        if (Settings.Recents[i] && !Settings.Recents[i][0])
            abort();
        for (int k = 0; k < i; k++)
            if (Settings.Recents[i] && Settings.Recents[k] &&
                StrCompareNoCase(Settings.Recents[i], Settings.Recents[k]) == 0)
                abort();
    }
    const wchar_t *last = n->UserName ? n->UserName : n->ServerName ? n->ServerName : target;
    if (!StrIsEmpty(target) && StrCompareNoCase(Settings.Recents[0], last) != 0)
        abort();
    NodeFreeTree(root);
    MemFree(target);
    return 0;
}
