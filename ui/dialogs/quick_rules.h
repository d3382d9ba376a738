/*
 * quick_rules.h: quick connect without its windows: the history of
 * targets, reading a target written as user@host:port, and finding a
 * server by its display name.
 */
#ifndef KESTRUM_UI_DIALOGS_QUICK_RULES_H
#define KESTRUM_UI_DIALOGS_QUICK_RULES_H

struct ServerNode;

/* Puts text at the head of Settings.Recents.  An entry equal to it
 * without regard to case moves up with its own letter case; otherwise
 * the oldest entry drops out.  Empty text does nothing. */
void AddRecent(const wchar_t *text);

/* Reads target into node: the text before the first "@" is the user
 * name (none when empty), what follows is the host with an optional
 * port after its last colon.  An IPv6 address is either bracketed,
 * "[fe80::1]:22" or "[fe80::1]", or written bare, and then has no port.
 * A colon part that gives no port greater than 0 stays in the host.
 * The user name is set only when the target has an "@", the port only
 * when one is given. */
void ParseTarget(const wchar_t *target, ServerNode *node);

/* Whether target can name a host: not empty, without spaces or control
 * characters (a password typed into the box by mistake is no host), and
 * with a host left once ParseTarget takes the user and port away. */
bool TargetIsHost(const wchar_t *target);

/* The first server below root, depth first in list order, whose display
 * name (missing reads as empty) equals text without regard to case;
 * root itself and folders never match.  Null when none, or root is. */
ServerNode *FindServerByName(ServerNode *root, const wchar_t *text);

#endif
