/*
 * tree_rules.h: the server tree as the tree control shows it, without
 * the control: display order, search, where added nodes go, drops,
 * duplicates and what is selected after a delete.
 *
 * The shown tree is the children of ServersRoot followed by
 * PuttySessionsFolder.
 */
#ifndef KESTRUM_UI_TREE_TREE_RULES_H
#define KESTRUM_UI_TREE_TREE_RULES_H

struct ServerNode;

enum { DUPLICATE_NAME_MAX = 300 };

/* The node after node when every folder is open; from null, the first
 * node; null after the last. */
ServerNode *NextNodeInOrder(const ServerNode *node);
/* text within the display name, or within a server's host name,
 * without regard to case. */
bool NodeMatches(const ServerNode *node, const wchar_t *text);
/* The first match after start (from the top with null), wrapping round
 * to start itself; null when nothing matches or text is empty. */
ServerNode *FindMatch(const ServerNode *start, const wchar_t *text);

/* The live filter of the find box: a server passes when text is within
 * its display name, host, user name or saved session, without regard to
 * case (the find's own rule). */
bool FilterPasses(const ServerNode *server, const wchar_t *text);
/* Whether the node shows while text filters the tree: a server that
 * passes, a folder with one below it. */
bool FilterShows(const ServerNode *node, const wchar_t *text);
/* FindMatch among what the filter shows: the next server that passes. */
ServerNode *FindFilterMatch(const ServerNode *start, const wchar_t *text);

/* The folder that receives added and pasted nodes, and the one that
 * "sort by name" sorts. */
ServerNode *InsertionFolder(const ServerNode *selected);
/* The folder offered to the bulk password change, or null. */
ServerNode *BulkPasswordFolder(const ServerNode *selected);
/* What to select once node is deleted: its next sibling, else its
 * parent unless that is ServersRoot; null for nothing. */
ServerNode *DeleteSuccessor(const ServerNode *node);

/* "name (복사본)" into out (DUPLICATE_NAME_MAX), the name shortened when
 * it would not fit. */
void DuplicateName(const wchar_t *name, wchar_t *out);
/* A fresh copy of node and its subtree (new UIDs, an ordinary node, the
 * duplicate name) placed right after it. */
ServerNode *DuplicateNode(ServerNode *node);

/* Drops node on target (null: below the last item).  A saved-session
 * node, or any node with copy set, is copied; others move.  Returns the
 * node now in place, or null when the drop is refused and nothing
 * changed (onto itself, into its own subtree, onto PuTTY's sessions). */
ServerNode *DropNode(ServerNode *node, ServerNode *target, bool copy);

/* Calls visit for every server below folder, depth first in list order. */
void ForEachServer(ServerNode *folder, void (*visit)(ServerNode *server, void *context),
                   void *context);

#endif
