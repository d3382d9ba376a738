/*
 * config_file.cpp: the configuration file.
 */
#include "../core/platform.h"
#include "../core/text.h"
#include "../core/xml_reader.h"
#include "../core/xml_writer.h"
#include "config_file.h"
#include "server_tree.h"
#include "settings.h"

wchar_t ConfigFilePath[KPATH];
bool BackupMade;
PendingOpenSession *PendingOpenSessions;
OpenSessionSource ConfigOpenSessionAt;

/* The integers directly inside Settings, in file order. */
static const struct { const wchar_t *Name; int *Field; } SettingInts[] = {
    { L"TabCaption", &Settings.TabCaption },
    { L"CloseOnNormalEnd", &Settings.CloseOnNormalEnd },
    { L"KeepOnAbnormalEnd", &Settings.KeepOnAbnormalEnd },
    { L"AutoReconnect", &Settings.AutoReconnect },
    { L"ReconnectDelay", &Settings.ReconnectDelay },
    { L"NoQuitConfirm", &Settings.NoQuitConfirm },
    { L"NoCloseConfirm", &Settings.NoCloseConfirm },
    { L"CloseButtonOnTabs", &Settings.CloseButtonOnTabs },
    { L"TabBottom", &Settings.TabBottom },
    { L"ShowStartPage", &Settings.ShowStartPage },
    { L"SaveLayout", &Settings.SaveLayout },
    { L"SaveSessions", &Settings.SaveSessions },
    { L"PasswordMode", &Settings.PasswordMode },
    { L"PasswordDelay", &Settings.PasswordDelay },
    { L"PuttySessionsExpanded", &Settings.PuttySessionsExpanded },
    { L"SessionLog", &Settings.SessionLog },
};
enum { SETTING_INT_COUNT = sizeof SettingInts / sizeof SettingInts[0] };

void ConfigLocate(void)
{
    wchar_t exe[KPATH], dir[KPATH], path[KPATH], base[KPATH];
    PlatModulePath(exe, KPATH);
    PathDirectory(exe, dir, KPATH);
    PathJoin(path, KPATH, dir, L"kestrum.xml");
    if (FileExists(path)) {
        StrCopyTo(ConfigFilePath, KPATH, path);
        return;
    }
    if (!PlatGetEnv(L"APPDATA", base, KPATH))
        StrCopyTo(base, KPATH, dir);
    PathJoin(dir, KPATH, base, L"Kestrum");
    PlatCreateDirectory(dir);
    PathJoin(ConfigFilePath, KPATH, dir, L"kestrum.xml");
}

void FreePendingOpenSessions(void)
{
    while (PendingOpenSessions) {
        PendingOpenSession *p = PendingOpenSessions;
        PendingOpenSessions = p->Next;
        MemFree(p->Uid);
        MemFree(p->Session);
        MemFree(p->Caption);
        NodeFreeTree(p->Node);
        MemFree(p);
    }
}

static void ApplyLayout(const XmlElement *layout)
{
    Settings.HideMenu = XmlChildInt(layout, L"HideMenu", 0);
    Settings.HideToolbar = XmlChildInt(layout, L"HideToolbar", 0);
    Settings.HideTree = XmlChildInt(layout, L"HideTree", 0);
    Settings.HideSessions = XmlChildInt(layout, L"HideSessions", 0);
    Settings.ViewMode = XmlChildInt(layout, L"ViewMode", 0) & 3;
    Settings.ShowBroadcastBar = XmlChildInt(layout, L"ShowBroadcastBar", 0) != 0;
    Settings.ViewMembersOnly = XmlChildInt(layout, L"ViewMembersOnly", 0) != 0;
    Settings.TreeWidth = XmlChildInt(layout, L"TreeWidth", Settings.TreeWidth);
    Settings.SessionsHeight = XmlChildInt(layout, L"SessionsHeight", Settings.SessionsHeight);
    const XmlElement *w = XmlChild(layout, L"Window");
    if (w) {
        MemFill(&Settings.Window, 0, sizeof Settings.Window);
        Settings.Window.Length = (int)sizeof(WindowPlacement);
        Settings.Window.ShowCmd = ParseInt(XmlAttr(w, L"show"));
        Settings.Window.Left = ParseInt(XmlAttr(w, L"left"));
        Settings.Window.Top = ParseInt(XmlAttr(w, L"top"));
        Settings.Window.Right = ParseInt(XmlAttr(w, L"right"));
        Settings.Window.Bottom = ParseInt(XmlAttr(w, L"bottom"));
        Settings.WindowValid = Settings.Window.Right > Settings.Window.Left;
    }
}

static void ApplySettings(const XmlElement *s)
{
    const wchar_t *putty = XmlChildText(s, L"PuttyPath");
    if (!StrIsEmpty(putty))
        StrCopyTo(Settings.PuttyPath, KPATH, putty);
    const wchar_t *logs = XmlChildText(s, L"SessionLogFolder");
    if (logs)
        StrCopyTo(Settings.SessionLogFolder, KPATH, logs);
    for (int i = 0; i < SETTING_INT_COUNT; i++)
        *SettingInts[i].Field = XmlChildInt(s, SettingInts[i].Name, *SettingInts[i].Field);
    if (Settings.PasswordMode < 1 || Settings.PasswordMode > 4)
        Settings.PasswordMode = 1;
    Settings.PasswordDelay = SaneDelay(Settings.PasswordDelay);
    const XmlElement *layout = XmlChild(s, L"Layout");
    if (layout)
        ApplyLayout(layout);
    const XmlElement *hotkeys = XmlChild(s, L"Hotkeys");
    if (hotkeys)
        for (int i = 0; i < HOTKEY_COUNT; i++)
            if (XmlChild(hotkeys, HotkeySettings[i].Name))
                Settings.Hotkeys[i] = XmlChildInt(hotkeys, HotkeySettings[i].Name, 0);
    const XmlElement *recents = XmlChild(s, L"Recents");
    if (recents) {
        for (int i = 0; i < RECENT_MAX; i++) {
            MemFree(Settings.Recents[i]);
            Settings.Recents[i] = NULL;
        }
        int n = 0;
        for (const XmlElement *r = recents->FirstChild; r && n < RECENT_MAX; r = r->NextSibling)
            if (!StrIsEmpty(r->Text))
                Settings.Recents[n++] = StrDup(r->Text);
    }
    const XmlElement *send = XmlChild(s, L"SendScript");
    if (send) {
        Settings.SendScriptTarget = ParseInt(XmlAttr(send, L"Target"));
        Settings.SendScriptDelay = ParseInt(XmlAttr(send, L"Delay"));
        StrAssign(&Settings.SendScriptText, XmlChildText(send, L"Text"));
    }
}

static void ReadOpenSessions(const XmlElement *open)
{
    PendingOpenSession **tail = &PendingOpenSessions;
    while (*tail)
        tail = &(*tail)->Next;
    for (const XmlElement *c = open->FirstChild; c; c = c->NextSibling) {
        PendingOpenSession *p = (PendingOpenSession *)MemAlloc(sizeof(PendingOpenSession));
        p->Uid = StrDup(XmlAttr(c, L"uid"));
        p->Session = StrDup(XmlAttr(c, L"session"));
        p->Caption = StrDup(XmlAttr(c, L"caption"));
        p->Member = ParseInt(XmlAttr(c, L"group")) == 1;
        if (XmlChild(c, L"Node")) {
            ServerNode *holder = NodeNew(NODE_FOLDER);
            NodeReadList(holder, c, false);
            p->Node = holder->FirstChild;
            if (p->Node)
                NodeUnlink(p->Node);
            NodeFreeTree(holder);
        }
        *tail = p;
        tail = &p->Next;
    }
}

/* The document of a configuration's bytes (count of them and a zero,
 * which stay the caller's), its servers read as their elements
 * complete.  Well-formed UTF-8 is read as it stands; other bytes go
 * through the system's conversion first. */
static XmlElement *ParseConfig(const char *bytes, int count)
{
    if (Utf8WellFormed(bytes, count))
        return XmlParseUtf8Taking(bytes, NodeTakeServer, NULL);
    int units = 0;
    wchar_t *text = WideFromUtf8(bytes, count, &units);
    return XmlParseOwnedTextTaking(text, units, NodeTakeServer, NULL);
}

static ConfigApplyResult ApplyBytes(const char *bytes, int count)
{
    if (!ServersRoot)
        ServersRoot = NodeNew(NODE_FOLDER);
    if (!PuttyLoginRoot)
        PuttyLoginRoot = NodeNew(NODE_FOLDER);
    XmlElement *root = ParseConfig(bytes, count);
    if (!root || StrCompareNoCase(root->Name, L"Kestrum") != 0) {
        NodeFreeUntaken(root);
        XmlFree(root);
        return CONFIG_NOT_KESTRUM;
    }
    const XmlElement *s = XmlChild(root, L"Settings");
    if (s)
        ApplySettings(s);
    NodeReadList(ServersRoot, XmlChild(root, L"Servers"), false);
    NodeReadList(PuttyLoginRoot, XmlChild(root, L"PuttySessions"), false);
    const XmlElement *open = XmlChild(root, L"OpenSessions");
    if (open)
        ReadOpenSessions(open);
    NodeFreeUntaken(root);
    XmlFree(root);
    return CONFIG_APPLIED;
}

ConfigApplyResult ConfigApply(const char *bytes, int count)
{
    char *copy = (char *)MemAlloc((size_t)count + 1);
    MemCopy(copy, bytes, (size_t)count);
    ConfigApplyResult r = ApplyBytes(copy, count);
    MemWipe(copy, (size_t)count);
    MemFree(copy);
    return r;
}

bool ConfigLoad(void)
{
    if (!ServersRoot)
        ServersRoot = NodeNew(NODE_FOLDER);
    if (!PuttyLoginRoot)
        PuttyLoginRoot = NodeNew(NODE_FOLDER);
    FileBytes file;
    if (!FileBytesOpen(&file, ConfigFilePath))
        return false;
    ConfigApplyResult r = ApplyBytes(file.Data, file.Count);
    FileBytesClose(&file);
    if (r == CONFIG_NOT_KESTRUM) {
        wchar_t broken[KPATH];
        if (PathWithSuffix(broken, ConfigFilePath, L".broken"))
            PlatFileCopy(ConfigFilePath, broken);
        return false;
    }
    return true;
}

static void WriteSettings(TextBuilder *b)
{
    b->Append(L"\t<Settings>\r\n");
    XmlWriteElement(b, 2, L"PuttyPath", Settings.PuttyPath);
    XmlWriteElement(b, 2, L"SessionLogFolder", Settings.SessionLogFolder);
    for (int i = 0; i < SETTING_INT_COUNT; i++)
        XmlWriteIntElement(b, 2, SettingInts[i].Name, *SettingInts[i].Field);
    if (Settings.SaveLayout) {
        b->Append(L"\t\t<Layout>\r\n");
        XmlWriteIntElement(b, 3, L"HideMenu", Settings.HideMenu);
        XmlWriteIntElement(b, 3, L"HideToolbar", Settings.HideToolbar);
        XmlWriteIntElement(b, 3, L"HideTree", Settings.HideTree);
        XmlWriteIntElement(b, 3, L"HideSessions", Settings.HideSessions);
        XmlWriteIntElement(b, 3, L"ViewMode", Settings.ViewMode);
        XmlWriteIntElement(b, 3, L"ShowBroadcastBar", Settings.ShowBroadcastBar);
        XmlWriteIntElement(b, 3, L"ViewMembersOnly", Settings.ViewMembersOnly);
        XmlWriteIntElement(b, 3, L"TreeWidth", Settings.TreeWidth);
        XmlWriteIntElement(b, 3, L"SessionsHeight", Settings.SessionsHeight);
        if (Settings.WindowValid)
            b->AppendFormat(L"\t\t\t<Window show=\"%d\" left=\"%d\" top=\"%d\" right=\"%d\" bottom=\"%d\"/>\r\n",
                            Settings.Window.ShowCmd, Settings.Window.Left, Settings.Window.Top,
                            Settings.Window.Right, Settings.Window.Bottom);
        b->Append(L"\t\t</Layout>\r\n");
    }
    b->Append(L"\t\t<Hotkeys>\r\n");
    for (int i = 0; i < HOTKEY_COUNT; i++)
        XmlWriteIntElement(b, 3, HotkeySettings[i].Name, Settings.Hotkeys[i]);
    b->Append(L"\t\t</Hotkeys>\r\n");
    b->Append(L"\t\t<Recents>\r\n");
    for (int i = 0; i < RECENT_MAX; i++)
        if (!StrIsEmpty(Settings.Recents[i]))
            XmlWriteElement(b, 3, L"R", Settings.Recents[i]);
    b->Append(L"\t\t</Recents>\r\n");
    b->AppendFormat(L"\t\t<SendScript Target=\"%d\" Delay=\"%d\">\r\n", Settings.SendScriptTarget,
                    Settings.SendScriptDelay);
    XmlWriteElement(b, 3, L"Text", Settings.SendScriptText);
    b->Append(L"\t\t</SendScript>\r\n");
    b->Append(L"\t</Settings>\r\n");
}

void ConfigWriteOpenSession(TextBuilder *b, const OpenSessionRecord *s)
{
    const ServerNode *n = s->Node;
    b->Append(L"\t\t<Open caption=\"");
    if (s->CaptionIsCustom)
        XmlWriteEscaped(b, s->Caption);
    b->AppendChar('"');
    if (s->Member)
        b->Append(L" group=\"1\"");
    const ServerNode *inTree = StrIsEmpty(n->UID) ? NULL : NodeFindByUid(ServersRoot, n->UID);
    if (inTree) {
        b->Append(L" uid=\"");
        XmlWriteEscaped(b, inTree->UID);
        b->Append(L"\"/>\r\n");
    } else if (n->IsPuttySession) {
        b->Append(L" session=\"");
        XmlWriteEscaped(b, n->SavedSession);
        b->Append(L"\"/>\r\n");
    } else {
        b->Append(L">\r\n");
        NodeWrite(b, n, 3, false, true);
        b->Append(L"\t\t</Open>\r\n");
    }
}

static void WriteTree(TextBuilder *b, const wchar_t *section, const ServerNode *root)
{
    b->AppendFormat(L"\t<%s>\r\n", section);
    if (root)
        NodeWriteList(b, root->FirstChild, 2, false, false);
    b->AppendFormat(L"\t</%s>\r\n", section);
}

/* The text is composed through a builder of at least this many
 * characters and written out each time it fills, so that saving needs
 * no memory in proportion to the tree. */
enum { SAVE_CHUNK = 32768 };

/* Where the composed text goes: the temporary file being written. */
struct SaveOutput {
    AtomicFile File;
    char *Bytes;            /* the UTF-8 of one piece */
    int ByteCapacity;
    bool Final;             /* no text follows what the builder holds */
};

/* Writes the UTF-8 of the builder's text.  Before the end, a high
 * surrogate that ends the text stays for its partner in the next piece. */
static int WriteOut(TextBuilder *b, void *context)
{
    SaveOutput *out = (SaveOutput *)context;
    int n = b->Length;
    if (!out->Final && n > 0 && b->Buffer[n - 1] >= 0xD800 && b->Buffer[n - 1] <= 0xDBFF)
        n--;
    if (3 * n > out->ByteCapacity) {
        MemWipe(out->Bytes, (size_t)out->ByteCapacity);
        MemFree(out->Bytes);
        out->ByteCapacity = 3 * n;
        out->Bytes = (char *)MemAlloc((size_t)out->ByteCapacity);
    }
    int bytes = Utf8Encode(b->Buffer, n, out->Bytes);
    AtomicFileWrite(&out->File, out->Bytes, (uint32_t)bytes);
    return n;
}

static void Compose(TextBuilder *b)
{
    b->Append(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Kestrum version=\"1\">\r\n");
    WriteSettings(b);
    WriteTree(b, L"Servers", ServersRoot);
    WriteTree(b, L"PuttySessions", PuttyLoginRoot);
    b->Append(L"\t<OpenSessions>\r\n");
    if (Settings.SaveSessions && ConfigOpenSessionAt) {
        OpenSessionRecord s;
        for (int i = 0; ConfigOpenSessionAt(i, &s); i++)
            if (s.Node)
                ConfigWriteOpenSession(b, &s);
    }
    b->Append(L"\t</OpenSessions>\r\n</Kestrum>\r\n");
}

/* Written piece by piece as it is composed, so that a big tree needs no
 * copy of its whole text. */
bool ConfigSave(void)
{
    if (!BackupMade && FileExists(ConfigFilePath)) {
        wchar_t bak[KPATH];
        if (PathWithSuffix(bak, ConfigFilePath, L".bak"))
            PlatFileCopy(ConfigFilePath, bak);
        BackupMade = true;
    }
    SaveOutput out = {};
    if (!AtomicFileOpen(&out.File, ConfigFilePath))
        return false;
    TextBuilder b = {};
    b.Drain = WriteOut;
    b.DrainContext = &out;
    b.Reserve(SAVE_CHUNK);
    Compose(&b);
    out.Final = true;
    WriteOut(&b, &out);
    b.Wipe();
    MemWipe(out.Bytes, (size_t)out.ByteCapacity);
    MemFree(out.Bytes);
    return AtomicFileFinish(&out.File);
}
