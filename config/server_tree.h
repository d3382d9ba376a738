/*
 * server_tree.h: folders and servers, their Node XML form, and the three
 * trees the program keeps.
 *
 * Children are a singly linked list in display order.  A server has no
 * children.  The password is held in clear only in memory and is
 * overwritten when the node is freed.
 */
#ifndef KESTRUM_CONFIG_SERVER_TREE_H
#define KESTRUM_CONFIG_SERVER_TREE_H

struct TextBuilder;
struct XmlElement;

enum { NODE_FOLDER = 0, NODE_SERVER = 1 };

/* ServerNode.PuttyConType */
enum { CON_FROM_SESSION = 0, CON_RAW, CON_TELNET, CON_RLOGIN, CON_SSH, CON_SERIAL, CON_COUNT };
/* ServerNode.PasswordMode; Settings.PasswordMode uses 1-4 */
enum { PWMODE_DEFAULT = 0, PWMODE_AUTO, PWMODE_TYPE, PWMODE_PWFILE, PWMODE_CMDLINE, PWMODE_COUNT };

struct ServerNode {
    int Type;
    wchar_t *DisplayName;
    wchar_t *UID;
    wchar_t *ServerName;
    wchar_t *UserName;
    wchar_t *Password;
    wchar_t *SavedSession;
    wchar_t *CLParams;
    wchar_t *Script;
    int Port;
    int PuttyConType;
    int PasswordMode;
    int PasswordDelay;
    int ScriptDelay;
    int CustomCmd;
    int Expanded;
    int Color;              /* NODE_COLOR_*: its own label colour, 0 to follow its folder */
    bool IsPuttySession;
    bool NeedsPassword;
    ServerNode *Parent;
    ServerNode *FirstChild;
    ServerNode *NextSibling;
    void *TreeItem;         /* its item in the tree control shown, or null */
    void *WholeTreeItem;    /* its item in the whole tree while the filter's control is shown */
    /* The password as the configuration stores it (protected, base64)
     * and the clear text that form stands for.  Opening and making it
     * is slow, so a loaded password stays sealed until first used and a
     * save reuses the sealed form while the password is unchanged.  A
     * sealed form without SealedClear has not been opened yet, unless
     * SealedUnopenable says it could not be (it is then saved back as
     * stored). */
    wchar_t *SealedPassword;
    wchar_t *SealedClear;
    bool SealedUnopenable;
};

/* The longest password or script delay, in milliseconds: what the nine
 * digits of the dialogs' boxes hold; a sum of two still fits an int. */
enum { DELAY_MAX = 999999999 };
/* A delay from the file or a box, put between 0 and DELAY_MAX. */
int SaneDelay(int ms);

/* ServerNode.Color, the attribute Color="n" of a Node element. */
enum {
    NODE_COLOR_NONE = 0, NODE_COLOR_RED, NODE_COLOR_ORANGE, NODE_COLOR_YELLOW, NODE_COLOR_GREEN,
    NODE_COLOR_BLUE, NODE_COLOR_PURPLE, NODE_COLOR_GREY, NODE_COLOR_COUNT
};
/* A node's own colour; one outside the known ones counts as none. */
int NodeOwnColor(const ServerNode *node);
/* The colour a node shows: its own, else its nearest folder's. */
int NodeShownColor(const ServerNode *node);

/* Labels for the combo boxes, indexed by code. */
extern const wchar_t *const PuttyConTypeNames[CON_COUNT];
extern const wchar_t *const PasswordModeNames[PWMODE_COUNT];
/* "?" for a code outside the tables. */
const wchar_t *PuttyConTypeName(int code);
const wchar_t *PasswordModeName(int code);

/* The user's tree, the login data of PuTTY's saved sessions (both under
 * invisible root folders), and the folder listing the saved sessions. */
extern ServerNode *ServersRoot;
extern ServerNode *PuttyLoginRoot;
extern ServerNode *PuttySessionsFolder;

/* A folder with everything empty, or a server with a fresh UID, SSH and
 * the saved session "Default Settings". */
ServerNode *NodeNew(int type);
void NodeAppendChild(ServerNode *folder, ServerNode *node);
void NodeInsertAfter(ServerNode *existing, ServerNode *node);
void NodeUnlink(ServerNode *node);
bool NodeIsAncestorOrSelf(const ServerNode *a, const ServerNode *b);
/* Same UIDs; unlinked; with deep, the children follow. */
ServerNode *NodeCopy(const ServerNode *node, bool deep);
/* A new, independent deep copy: fresh UIDs, no longer a saved session. */
ServerNode *NodeClone(const ServerNode *node);
void NodeRenewUids(ServerNode *node);
/* The clear password, opening a sealed one on first use (a form that
 * cannot be opened counts as no password, and is kept as it is for the
 * next save); null when there is none.
 * Read passwords through this, never Password directly. */
const wchar_t *NodePassword(ServerNode *node);
/* Sets the password (null or empty: none), dropping the sealed form. */
void NodeSetPassword(ServerNode *node, const wchar_t *password);
/* Releases one node, password wiped first; does not unlink. */
void NodeFree(ServerNode *node);
/* The node and its subtree; does not unlink. */
void NodeFreeTree(ServerNode *node);
/* Stable: folders first, then by name without regard to case. */
void NodeSortChildren(ServerNode *folder);
int NodeCountServers(const ServerNode *node);
ServerNode *NodeFindByUid(ServerNode *root, const wchar_t *uid);
ServerNode *PuttyLoginFind(const wchar_t *savedSession);

/* Reads the Node children of e into folder.  The import flag marks
 * servers whose password could not be taken, and guesses CustomCmd. */
void NodeReadList(ServerNode *folder, const XmlElement *e, bool import);
/* For XmlParseOwnedTextTaking: takes each server's Node element as it
 * completes, read as NodeReadList would read it without import, so that
 * a big configuration never holds all its elements at once.
 * NodeReadList picks each server up, once, where its element stood;
 * NodeFreeUntaken then releases those no list read (call it before
 * XmlFree on such a document). */
bool NodeTakeServer(XmlElement *e, void *context);
void NodeFreeUntaken(XmlElement *root);
/* Writes node (with a folder's subtree) at depth.  plainPasswords writes
 * them in clear; omitPasswords leaves them out. */
void NodeWrite(TextBuilder *b, const ServerNode *node, int depth, bool plainPasswords,
               bool omitPasswords);
/* NodeWrite of node and each following sibling. */
void NodeWriteList(TextBuilder *b, const ServerNode *first, int depth, bool plainPasswords,
                   bool omitPasswords);

#endif
