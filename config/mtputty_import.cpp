/*
 * mtputty_import.cpp: reading MTPuTTY's settings file.
 */
#include "mtputty_import.h"

#include "../core/files.h"
#include "../core/platform.h"
#include "../core/text.h"
#include "../core/xml_reader.h"
#include "server_params.h"
#include "server_tree.h"
#include "settings.h"

const wchar_t MtputtyImportFolderName[] = L"MTPuTTY에서 가져옴";

/* How an MTPuTTY value becomes a setting. */
enum {
    TAKE_NONZERO,   /* 1 when non-zero, else 0 */
    TAKE_ZERO,      /* 1 when zero: MTPuTTY asks the opposite question */
    SET_ONLY,       /* non-zero sets 1; 0 leaves the setting as it is */
};

static const struct {
    const wchar_t *Section;
    const wchar_t *Name;
    int Default;
    int *Setting;
    int Rule;
} OptionRules[] = {
    { L"General", L"TabCaption", 0, &Settings.TabCaption, TAKE_NONZERO },
    { L"General", L"NormalTermination", 0, &Settings.CloseOnNormalEnd, TAKE_ZERO },
    { L"General", L"AbnormalTermination", 0, &Settings.KeepOnAbnormalEnd, TAKE_ZERO },
    { L"General", L"AbnormalAutoReconnect", 0, &Settings.AutoReconnect, TAKE_NONZERO },
    /* misspelt so in MTPuTTY's own files */
    { L"General", L"QuitNoConfrim", 0, &Settings.NoQuitConfirm, TAKE_NONZERO },
    { L"General", L"CloseSessionNoConfirm", 0, &Settings.NoCloseConfirm, TAKE_NONZERO },
    { L"General", L"CloseButtonOnTabs", 1, &Settings.CloseButtonOnTabs, TAKE_NONZERO },
    { L"General", L"TabPosition", 0, &Settings.TabBottom, TAKE_NONZERO },
    { L"Advanced", L"SaveLayout", 1, &Settings.SaveLayout, SET_ONLY },
    { L"Advanced", L"SaveSessions", 0, &Settings.SaveSessions, TAKE_NONZERO },
};
enum { OPTION_RULE_COUNT = sizeof OptionRules / sizeof OptionRules[0] };

/* A 0 from MTPuTTY does not take these keys away: without them the
 * tabs and the focus could not be switched from the keyboard. */
static const wchar_t *const KeptOnZero[] = { L"NextTab", L"PrevTab", L"AppSwitch" };

static bool KeepsHotkeyOnZero(const wchar_t *name)
{
    for (unsigned i = 0; i < sizeof KeptOnZero / sizeof KeptOnZero[0]; i++)
        if (StrCompareNoCase(name, KeptOnZero[i]) == 0)
            return true;
    return false;
}

bool MtputtySuggestedPath(wchar_t *out, int size)
{
    wchar_t base[KPATH];
    out[0] = 0;
    if (!PlatGetEnv(L"APPDATA", base, KPATH))
        return false;
    PathJoin(out, size, base, L"TTYPlus\\mtputty.xml");
    return FileExists(out);
}

bool IsMtputtyDocument(const XmlElement *root)
{
    return root && StrCompareNoCase(root->Name, L"MTPutty") == 0;
}

static void ApplyHotkeys(const XmlElement *hotkeys)
{
    for (int i = 0; i < HOTKEY_COUNT; i++) {
        const wchar_t *name = HotkeySettings[i].Name;
        if (!XmlChild(hotkeys, name))
            continue;
        int value = XmlChildInt(hotkeys, name, 0);
        if (value == 0 && KeepsHotkeyOnZero(name))
            continue;
        Settings.Hotkeys[i] = value;
    }
}

void ApplyMtputtyOptions(const XmlElement *globals)
{
    /* A longer path cut short would name some other file. */
    const wchar_t *putty = XmlChildText(globals, L"PuttyLocation");
    if (!StrIsEmpty(putty) && StrLen(putty) < KPATH && FileExists(putty))
        StrCopyTo(Settings.PuttyPath, KPATH, putty);
    for (int i = 0; i < OPTION_RULE_COUNT; i++) {
        const XmlElement *section = XmlChild(globals, OptionRules[i].Section);
        if (!section)
            continue;
        int value = XmlChildInt(section, OptionRules[i].Name, OptionRules[i].Default);
        int *setting = OptionRules[i].Setting;
        switch (OptionRules[i].Rule) {
        case TAKE_NONZERO:
            *setting = value != 0;
            break;
        case TAKE_ZERO:
            *setting = value == 0;
            break;
        case SET_ONLY:
            if (value != 0)
                *setting = 1;
            break;
        }
    }
    const XmlElement *hotkeys = XmlChild(globals, L"Hotkeys");
    if (hotkeys)
        ApplyHotkeys(hotkeys);
}

/* The parsed file, or null when it cannot be read or is not MTPuTTY's.
 * Its -pw values are clear text, so the raw forms are wiped. */
static XmlElement *ReadMtputtyDocument(const wchar_t *path)
{
    char *data;
    int bytes;
    if (!ReadWholeFile(path, &data, &bytes))
        return NULL;
    wchar_t *text = WideFromUtf8(data, bytes);
    MemWipe(data, (size_t)bytes);
    MemFree(data);
    XmlElement *root = XmlParseDocument(text);
    StrFreeSecret(text);
    if (!IsMtputtyDocument(root)) {
        XmlFree(root);
        return NULL;
    }
    return root;
}

static ServerNode *ReceivingFolder(bool replace)
{
    if (!ServersRoot)
        ServersRoot = NodeNew(NODE_FOLDER);
    if (replace) {
        ServerNode *n = ServersRoot->FirstChild;
        while (n) {
            ServerNode *next = n->NextSibling;
            NodeFreeTree(n);
            n = next;
        }
        ServersRoot->FirstChild = NULL;
        return ServersRoot;
    }
    ServerNode *folder = NodeNew(NODE_FOLDER);
    StrAssign(&folder->DisplayName, MtputtyImportFolderName);
    folder->Expanded = 1;
    NodeAppendChild(ServersRoot, folder);
    return folder;
}

int ImportMtputtyFile(const wchar_t *path, bool replace, bool options, MtputtyImportResult *result)
{
    XmlElement *root = ReadMtputtyDocument(path);
    if (!root)
        return MTPUTTY_NOT_READ;
    ServerNode *folder = ReceivingFolder(replace);
    /* CustomCmd is guessed here from CLParams as written, before the
     * password pair is taken out of it. */
    NodeReadList(folder, XmlChild(XmlChild(root, L"Servers"), L"Putty"), true);
    int needPassword = 0;
    MarkPasswordlessServers(folder, &needPassword);
    int servers = NodeCountServers(folder);
    const XmlElement *globals = XmlChild(root, L"Globals");
    if (options && globals)
        ApplyMtputtyOptions(globals);
    XmlFree(root);
    result->Folder = folder;
    result->Servers = servers;
    result->NeedPassword = needPassword;
    return servers;
}
