/*
 * server_tree.cpp: the tree operations and the Node XML form.
 */
#include "../core/protect.h"
#include "../core/text.h"
#include "../core/xml_reader.h"
#include "../core/xml_writer.h"
#include "server_tree.h"

ServerNode *ServersRoot;
ServerNode *PuttyLoginRoot;
ServerNode *PuttySessionsFolder;

const wchar_t *const PuttyConTypeNames[CON_COUNT] = {
    L"세션 설정 따름", L"Raw", L"Telnet", L"Rlogin", L"SSH", L"Serial",
};

const wchar_t *const PasswordModeNames[PWMODE_COUNT] = {
    L"기본 설정 따름",
    L"자동 (-pwfile 가능하면 사용, 아니면 창에 입력)",
    L"PuTTY 창에 입력",
    L"-pwfile (PuTTY 0.77 이상)",
    L"-pw 명령줄 (권장하지 않음)",
};

const wchar_t *PuttyConTypeName(int code)
{
    return code >= 0 && code < CON_COUNT ? PuttyConTypeNames[code] : L"?";
}

const wchar_t *PasswordModeName(int code)
{
    return code >= 0 && code < PWMODE_COUNT ? PasswordModeNames[code] : L"?";
}

/* A server as NodeNew makes it, but with the given UID (a fresh one
 * when empty: making one is slow, and loading would only replace it) and
 * saved session (none when empty). */
static ServerNode *NewServer(const wchar_t *uid, const wchar_t *savedSession)
{
    ServerNode *n = (ServerNode *)MemAlloc(sizeof(ServerNode));
    n->Type = NODE_SERVER;
    n->UID = StrIsEmpty(uid) ? NewUid() : StrDup(uid);
    n->PuttyConType = CON_SSH;
    StrAssign(&n->SavedSession, savedSession);
    return n;
}

ServerNode *NodeNew(int type)
{
    if (type == NODE_SERVER)
        return NewServer(NULL, L"Default Settings");
    ServerNode *n = (ServerNode *)MemAlloc(sizeof(ServerNode));
    n->Type = type;
    return n;
}

void NodeAppendChild(ServerNode *folder, ServerNode *node)
{
    node->Parent = folder;
    node->NextSibling = NULL;
    ServerNode **link = &folder->FirstChild;
    while (*link)
        link = &(*link)->NextSibling;
    *link = node;
}

void NodeInsertAfter(ServerNode *existing, ServerNode *node)
{
    node->Parent = existing->Parent;
    node->NextSibling = existing->NextSibling;
    existing->NextSibling = node;
}

void NodeUnlink(ServerNode *node)
{
    ServerNode *parent = node->Parent;
    if (!parent)
        return;
    for (ServerNode **link = &parent->FirstChild; *link; link = &(*link)->NextSibling)
        if (*link == node) {
            *link = node->NextSibling;
            break;
        }
    node->Parent = NULL;
    node->NextSibling = NULL;
}

bool NodeIsAncestorOrSelf(const ServerNode *a, const ServerNode *b)
{
    for (; b; b = b->Parent)
        if (a == b)
            return true;
    return false;
}

ServerNode *NodeCopy(const ServerNode *node, bool deep)
{
    ServerNode *c = (ServerNode *)MemAlloc(sizeof(ServerNode));
    *c = *node;
    c->DisplayName = StrDup(node->DisplayName);
    c->UID = StrDup(node->UID);
    c->ServerName = StrDup(node->ServerName);
    c->UserName = StrDup(node->UserName);
    c->Password = StrDup(node->Password);
    c->SavedSession = StrDup(node->SavedSession);
    c->CLParams = StrDup(node->CLParams);
    c->Script = StrDup(node->Script);
    c->SealedPassword = StrDup(node->SealedPassword);
    c->SealedClear = StrDup(node->SealedClear);
    c->Parent = c->FirstChild = c->NextSibling = NULL;
    c->TreeItem = c->WholeTreeItem = NULL;
    if (deep)
        for (const ServerNode *ch = node->FirstChild; ch; ch = ch->NextSibling)
            NodeAppendChild(c, NodeCopy(ch, true));
    return c;
}

ServerNode *NodeClone(const ServerNode *node)
{
    ServerNode *c = NodeCopy(node, true);
    c->IsPuttySession = false;
    NodeRenewUids(c);
    return c;
}

void NodeRenewUids(ServerNode *node)
{
    if (node->Type == NODE_SERVER) {
        MemFree(node->UID);
        node->UID = NewUid();
    }
    for (ServerNode *ch = node->FirstChild; ch; ch = ch->NextSibling)
        NodeRenewUids(ch);
}

void NodeFree(ServerNode *node)
{
    if (!node)
        return;
    StrFreeSecret(node->Password);
    StrFreeSecret(node->SealedClear);
    MemFree(node->SealedPassword);
    MemFree(node->DisplayName);
    MemFree(node->UID);
    MemFree(node->ServerName);
    MemFree(node->UserName);
    MemFree(node->SavedSession);
    MemFree(node->CLParams);
    MemFree(node->Script);
    MemFree(node);
}

void NodeFreeTree(ServerNode *node)
{
    if (!node)
        return;
    for (ServerNode *ch = node->FirstChild; ch;) {
        ServerNode *next = ch->NextSibling;
        NodeFreeTree(ch);
        ch = next;
    }
    NodeFree(node);
}

static bool SortsAfter(const ServerNode *a, const ServerNode *b)
{
    if (a->Type != b->Type)
        return a->Type != NODE_FOLDER;
    return StrCompareNoCase(a->DisplayName, b->DisplayName) > 0;
}

void NodeSortChildren(ServerNode *folder)
{
    ServerNode *sorted = NULL;
    for (ServerNode *n = folder->FirstChild; n;) {
        ServerNode *next = n->NextSibling;
        /* After every placed child that does not sort after n. */
        ServerNode **link = &sorted;
        while (*link && !SortsAfter(*link, n))
            link = &(*link)->NextSibling;
        n->NextSibling = *link;
        *link = n;
        n = next;
    }
    folder->FirstChild = sorted;
}

int NodeCountServers(const ServerNode *node)
{
    int count = 0;
    for (const ServerNode *ch = node ? node->FirstChild : NULL; ch; ch = ch->NextSibling)
        count += ch->Type == NODE_SERVER ? 1 : NodeCountServers(ch);
    return count;
}

ServerNode *NodeFindByUid(ServerNode *root, const wchar_t *uid)
{
    if (!root || StrIsEmpty(uid))
        return NULL;
    if (root->Type == NODE_SERVER && StrCompareNoCase(root->UID, uid) == 0)
        return root;
    for (ServerNode *ch = root->FirstChild; ch; ch = ch->NextSibling) {
        ServerNode *found = NodeFindByUid(ch, uid);
        if (found)
            return found;
    }
    return NULL;
}

ServerNode *PuttyLoginFind(const wchar_t *savedSession)
{
    for (ServerNode *ch = PuttyLoginRoot ? PuttyLoginRoot->FirstChild : NULL; ch; ch = ch->NextSibling)
        if (StrCompareNoCase(ch->SavedSession, savedSession) == 0)
            return ch;
    return NULL;
}

const wchar_t *NodePassword(ServerNode *n)
{
    if (!n->Password && n->SealedPassword && !n->SealedClear && !n->SealedUnopenable) {
        n->Password = UnprotectPassword(n->SealedPassword);
        if (n->Password && n->Password[0]) {
            n->SealedClear = StrDup(n->Password);
        } else {
            /* Another Windows user's password, or a damaged one: no
             * password here, but the form is saved back as it stands, so
             * that the user it belongs to still has it. */
            StrFreeSecret(n->Password);
            n->Password = NULL;
            n->SealedUnopenable = true;
        }
    }
    return n->Password;
}

void NodeSetPassword(ServerNode *n, const wchar_t *password)
{
    StrFreeSecret(n->Password);
    n->Password = StrIsEmpty(password) ? NULL : StrDup(password);
    StrFreeSecret(n->SealedClear);
    n->SealedClear = NULL;
    MemFree(n->SealedPassword);
    n->SealedPassword = NULL;
    n->SealedUnopenable = false;
}

static void ReadPassword(ServerNode *n, const XmlElement *pw, bool import)
{
    if (!pw || StrIsEmpty(pw->Text))
        return;
    const wchar_t *enc = XmlAttr(pw, L"enc");
    wchar_t *value = NULL;
    if (enc && StrCompareNoCase(enc, L"dpapi") == 0) {
        if (!import) {
            /* opened when first used */
            NodeSetPassword(n, NULL);
            n->SealedPassword = StrDup(pw->Text);
            return;
        }
        value = UnprotectPassword(pw->Text);
    } else if (enc && StrCompareNoCase(enc, L"plain") == 0)
        value = StrDup(pw->Text);
    if (value) {
        NodeSetPassword(n, value);
        StrFreeSecret(value);
    } else if (import) {
        n->NeedsPassword = true;
    }
}

/* The children of a server's Node element, found in one pass; in the
 * order NodeWrite writes them, which the search expects. */
enum {
    F_DISPLAY_NAME, F_UID, F_SAVED_SESSION, F_SERVER_NAME, F_PUTTY_CON_TYPE, F_PORT, F_USER_NAME,
    F_PASSWORD, F_PASSWORD_MODE, F_PASSWORD_DELAY, F_CL_PARAMS, F_CUSTOM_CMD, F_SCRIPT,
    F_SCRIPT_DELAY, F_COUNT
};
static const wchar_t *const ServerFields[F_COUNT] = {
    L"DisplayName", L"UID", L"SavedSession", L"ServerName", L"PuttyConType", L"Port", L"UserName",
    L"Password", L"PasswordMode", L"PasswordDelay", L"CLParams", L"CustomCmd", L"Script",
    L"ScriptDelay",
};

static const wchar_t *FieldText(const XmlElement *field)
{
    return field ? field->Text : NULL;
}

/* XmlChildInt of a found child. */
static int FieldInt(const XmlElement *field, int def)
{
    const wchar_t *t = FieldText(field);
    return StrIsEmpty(t) ? def : ParseInt(t);
}

int SaneDelay(int ms)
{
    return ms < 0 ? 0 : ms > DELAY_MAX ? (int)DELAY_MAX : ms;
}

static int KnownColor(int color)
{
    return color > NODE_COLOR_NONE && color < NODE_COLOR_COUNT ? color : NODE_COLOR_NONE;
}

int NodeOwnColor(const ServerNode *node)
{
    return KnownColor(node->Color);
}

int NodeShownColor(const ServerNode *node)
{
    for (; node; node = node->Parent)
        if (NodeOwnColor(node))
            return node->Color;
    return NODE_COLOR_NONE;
}

static int ReadColor(const XmlElement *e)
{
    return KnownColor(ParseInt(XmlAttr(e, L"Color")));
}

/* Color="n", written only for a colour of its own, so that files stay as
 * they were for nodes without. */
static void AppendColor(TextBuilder *b, const ServerNode *n)
{
    if (NodeOwnColor(n))
        b->AppendFormat(L" Color=\"%d\"", n->Color);
}

static ServerNode *ReadServer(const XmlElement *e, bool import)
{
    const XmlElement *f[F_COUNT];
    XmlChildren(e, ServerFields, F_COUNT, f);
    ServerNode *n = NewServer(FieldText(f[F_UID]), FieldText(f[F_SAVED_SESSION]));
    StrAssign(&n->DisplayName, FieldText(f[F_DISPLAY_NAME]));
    StrAssign(&n->ServerName, FieldText(f[F_SERVER_NAME]));
    StrAssign(&n->UserName, FieldText(f[F_USER_NAME]));
    StrAssign(&n->CLParams, FieldText(f[F_CL_PARAMS]));
    StrAssign(&n->Script, FieldText(f[F_SCRIPT]));
    n->PuttyConType = FieldInt(f[F_PUTTY_CON_TYPE], CON_SSH);
    if (n->PuttyConType < 0 || n->PuttyConType >= CON_COUNT)
        n->PuttyConType = CON_FROM_SESSION;
    n->Port = FieldInt(f[F_PORT], 0);
    n->PasswordDelay = SaneDelay(FieldInt(f[F_PASSWORD_DELAY], 0));
    n->ScriptDelay = SaneDelay(FieldInt(f[F_SCRIPT_DELAY], 0));
    n->PasswordMode = FieldInt(f[F_PASSWORD_MODE], 0);
    if (n->PasswordMode < 0 || n->PasswordMode >= PWMODE_COUNT)
        n->PasswordMode = PWMODE_DEFAULT;
    if (f[F_CUSTOM_CMD])
        n->CustomCmd = FieldInt(f[F_CUSTOM_CMD], 0);
    else
        n->CustomCmd = import && !StrIsEmpty(n->CLParams) ? 1 : 0;
    ReadPassword(n, f[F_PASSWORD], import);
    n->Color = ReadColor(e);
    if (StrIsEmpty(n->DisplayName))
        StrAssign(&n->DisplayName, n->ServerName);
    return n;
}

/* Links node as the last child of folder, at *tail, and moves the tail. */
static void AppendAt(ServerNode *folder, ServerNode ***tail, ServerNode *node)
{
    node->Parent = folder;
    node->NextSibling = NULL;
    **tail = node;
    *tail = &node->NextSibling;
}

static bool IsServerElement(const XmlElement *e)
{
    if (!StrEqualNoCase(e->Name, L"Node"))
        return false;
    const wchar_t *type = XmlAttr(e, L"Type");
    return type && ParseInt(type) != 0;
}

void NodeReadList(ServerNode *folder, const XmlElement *e, bool import)
{
    /* The tail is kept, so that a folder of thousands reads in linear time. */
    ServerNode **tail = &folder->FirstChild;
    while (*tail)
        tail = &(*tail)->NextSibling;
    for (XmlElement *c = e ? e->FirstChild : NULL; c; c = c->NextSibling) {
        if (c->Data) {
            /* read when its element completed */
            AppendAt(folder, &tail, (ServerNode *)c->Data);
            c->Data = NULL;
            continue;
        }
        if (!StrEqualNoCase(c->Name, L"Node"))
            continue;
        if (IsServerElement(c)) {
            AppendAt(folder, &tail, ReadServer(c, import));
            continue;
        }
        ServerNode *f = NodeNew(NODE_FOLDER);
        StrAssign(&f->DisplayName, XmlChildText(c, L"DisplayName"));
        f->Expanded = ParseInt(XmlAttr(c, L"Expanded"));
        f->Color = ReadColor(c);
        if (StrIsEmpty(f->DisplayName))
            StrAssign(&f->DisplayName, L"폴더");
        AppendAt(folder, &tail, f);
        NodeReadList(f, c, import);
    }
}

/* Releases the servers that taken elements below e still hold. */
static void FreeTakenBelow(XmlElement *e)
{
    for (XmlElement *c = e->FirstChild; c; c = c->NextSibling) {
        if (c->Data) {
            NodeFreeTree((ServerNode *)c->Data);
            c->Data = NULL;
        }
        FreeTakenBelow(c);
    }
}

bool NodeTakeServer(XmlElement *e, void *)
{
    if (!IsServerElement(e))
        return false;
    /* A server inside a server is no list's child: it is dropped. */
    FreeTakenBelow(e);
    e->Data = ReadServer(e, false);
    return true;
}

void NodeFreeUntaken(XmlElement *root)
{
    if (root)
        FreeTakenBelow(root);
}

/* The protected form of the password: the sealed one while it still
 * stands for the password, else a new one, kept for the next save. */
static const wchar_t *SealedForm(ServerNode *n)
{
    if (!n->Password)
        return n->SealedPassword;      /* not opened yet: as stored */
    if (n->SealedPassword && n->SealedClear && StrLen(n->SealedClear) == StrLen(n->Password) &&
        MemCompare(n->SealedClear, n->Password, (size_t)StrLen(n->Password) * sizeof(wchar_t)) == 0)
        return n->SealedPassword;
    wchar_t *sealed = ProtectPassword(n->Password);
    if (!sealed)
        return NULL;
    StrFreeSecret(n->SealedClear);
    MemFree(n->SealedPassword);
    n->SealedPassword = sealed;
    n->SealedClear = StrDup(n->Password);
    return sealed;
}

static void WritePassword(TextBuilder *b, ServerNode *n, int depth, bool plain)
{
    const wchar_t *sealed = plain ? NULL : SealedForm(n);
    const wchar_t *clear = sealed ? NULL : NodePassword(n);
    if (!sealed && StrIsEmpty(clear))
        return;
    XmlWriteIndent(b, depth);
    if (sealed) {
        b->Append(L"<Password enc=\"dpapi\">");
        XmlWriteEscaped(b, sealed);
    } else {
        b->Append(L"<Password enc=\"plain\">");
        XmlWriteEscaped(b, clear);
    }
    b->Append(L"</Password>\r\n");
}

void NodeWrite(TextBuilder *b, const ServerNode *n, int depth, bool plainPasswords,
               bool omitPasswords)
{
    int d = depth + 1;
    XmlWriteIndent(b, depth);
    if (n->Type != NODE_FOLDER) {
        b->Append(L"<Node Type=\"1\"");
        AppendColor(b, n);
        b->Append(L">\r\n");
        XmlWriteElement(b, d, L"DisplayName", n->DisplayName);
        XmlWriteElement(b, d, L"UID", n->UID);
        XmlWriteElement(b, d, L"SavedSession", n->SavedSession);
        XmlWriteElement(b, d, L"ServerName", n->ServerName);
        XmlWriteIntElement(b, d, L"PuttyConType", n->PuttyConType);
        XmlWriteIntElement(b, d, L"Port", n->Port);
        XmlWriteElement(b, d, L"UserName", n->UserName);
        /* The password caches live in the node; writing may fill them. */
        if (!omitPasswords)
            WritePassword(b, (ServerNode *)n, d, plainPasswords);
        XmlWriteIntElement(b, d, L"PasswordMode", n->PasswordMode);
        XmlWriteIntElement(b, d, L"PasswordDelay", n->PasswordDelay);
        XmlWriteElement(b, d, L"CLParams", n->CLParams);
        XmlWriteIntElement(b, d, L"CustomCmd", n->CustomCmd);
        XmlWriteElement(b, d, L"Script", n->Script);
        XmlWriteIntElement(b, d, L"ScriptDelay", n->ScriptDelay);
    } else {
        b->Append(n->Expanded ? L"<Node Type=\"0\" Expanded=\"1\"" : L"<Node Type=\"0\" Expanded=\"0\"");
        AppendColor(b, n);
        b->Append(L">\r\n");
        XmlWriteElement(b, d, L"DisplayName", n->DisplayName);
        NodeWriteList(b, n->FirstChild, d, plainPasswords, omitPasswords);
    }
    XmlWriteIndent(b, depth);
    b->Append(L"</Node>\r\n");
}

void NodeWriteList(TextBuilder *b, const ServerNode *first, int depth, bool plainPasswords,
                   bool omitPasswords)
{
    for (const ServerNode *n = first; n; n = n->NextSibling)
        NodeWrite(b, n, depth, plainPasswords, omitPasswords);
}
