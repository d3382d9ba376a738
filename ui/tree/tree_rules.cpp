/*
 * tree_rules.cpp: the server tree's order, search and edit rules.
 */
#include "tree_rules.h"

#include "../../config/server_tree.h"
#include "../../core/text.h"

ServerNode *NextNodeInOrder(const ServerNode *node)
{
    if (!node)
        return ServersRoot && ServersRoot->FirstChild ? ServersRoot->FirstChild : PuttySessionsFolder;
    if (node->FirstChild)
        return node->FirstChild;
    for (const ServerNode *p = node; p; p = p->Parent) {
        if (p->NextSibling)
            return p->NextSibling;
        if (p->Parent == ServersRoot)
            return PuttySessionsFolder;
    }
    return nullptr;
}

bool NodeMatches(const ServerNode *node, const wchar_t *text)
{
    if (node->DisplayName && StrFindNoCase(node->DisplayName, text))
        return true;
    return node->Type == NODE_SERVER && node->ServerName && StrFindNoCase(node->ServerName, text);
}

static ServerNode *FindWith(const ServerNode *start, const wchar_t *text,
                            bool (*matches)(const ServerNode *, const wchar_t *))
{
    if (StrIsEmpty(text))
        return nullptr;
    for (ServerNode *n = NextNodeInOrder(start); n; n = NextNodeInOrder(n))
        if (matches(n, text))
            return n;
    if (!start)
        return nullptr;
    for (ServerNode *n = NextNodeInOrder(nullptr); n; n = NextNodeInOrder(n)) {
        if (matches(n, text))
            return n;
        if (n == start)
            break;
    }
    return nullptr;
}

ServerNode *FindMatch(const ServerNode *start, const wchar_t *text)
{
    return FindWith(start, text, NodeMatches);
}

bool FilterPasses(const ServerNode *node, const wchar_t *text)
{
    return node->Type == NODE_SERVER &&
           (StrFindNoCase(node->DisplayName, text) || StrFindNoCase(node->ServerName, text) ||
            StrFindNoCase(node->UserName, text) || StrFindNoCase(node->SavedSession, text));
}

bool FilterShows(const ServerNode *node, const wchar_t *text)
{
    if (node->Type == NODE_SERVER)
        return FilterPasses(node, text);
    for (const ServerNode *c = node->FirstChild; c; c = c->NextSibling)
        if (FilterShows(c, text))
            return true;
    return false;
}

ServerNode *FindFilterMatch(const ServerNode *start, const wchar_t *text)
{
    return FindWith(start, text, FilterPasses);
}

static ServerNode *ParentOrRoot(const ServerNode *node)
{
    return node->Parent ? node->Parent : ServersRoot;
}

ServerNode *InsertionFolder(const ServerNode *selected)
{
    if (!selected || selected->IsPuttySession)
        return ServersRoot;
    return selected->Type == NODE_FOLDER ? (ServerNode *)selected : ParentOrRoot(selected);
}

ServerNode *BulkPasswordFolder(const ServerNode *selected)
{
    if (!selected || selected->IsPuttySession)
        return nullptr;
    return InsertionFolder(selected);
}

ServerNode *DeleteSuccessor(const ServerNode *node)
{
    if (node->NextSibling)
        return node->NextSibling;
    return node->Parent == ServersRoot ? nullptr : node->Parent;
}

void DuplicateName(const wchar_t *name, wchar_t *out)
{
    static const wchar_t suffix[] = L" (복사본)";
    int room = DUPLICATE_NAME_MAX - 1 - (int)(sizeof suffix / sizeof suffix[0] - 1);
    int n = StrLen(name);
    if (n > room) {
        n = room;
        /* never keep half of a surrogate pair */
        if (name[n - 1] >= 0xD800 && name[n - 1] < 0xDC00)
            n--;
    }
    MemCopy(out, name, n * sizeof(wchar_t));
    StrCopyTo(out + n, DUPLICATE_NAME_MAX - n, suffix);
}

ServerNode *DuplicateNode(ServerNode *node)
{
    ServerNode *copy = NodeClone(node);
    wchar_t name[DUPLICATE_NAME_MAX];
    DuplicateName(node->DisplayName, name);
    StrAssign(&copy->DisplayName, name);
    NodeInsertAfter(node, copy);
    return copy;
}

ServerNode *DropNode(ServerNode *node, ServerNode *target, bool copy)
{
    if (!node || node == PuttySessionsFolder)
        return nullptr;
    if (target == node || (target && (target == PuttySessionsFolder || target->IsPuttySession)))
        return nullptr;
    ServerNode *placed;
    if (node->IsPuttySession || copy) {
        placed = NodeClone(node);
        if (StrIsEmpty(placed->DisplayName))
            StrAssign(&placed->DisplayName, node->SavedSession);
    } else {
        if (target && NodeIsAncestorOrSelf(node, target))
            return nullptr;
        NodeUnlink(node);
        placed = node;
    }
    if (!target) {
        NodeAppendChild(ServersRoot, placed);
    } else if (target->Type == NODE_SERVER) {
        NodeInsertAfter(target, placed);
    } else {
        NodeAppendChild(target, placed);
        target->Expanded = 1;
    }
    return placed;
}

void ForEachServer(ServerNode *folder, void (*visit)(ServerNode *server, void *context),
                   void *context)
{
    for (ServerNode *c = folder->FirstChild; c; c = c->NextSibling) {
        if (c->Type == NODE_SERVER)
            visit(c, context);
        else
            ForEachServer(c, visit, context);
    }
}
