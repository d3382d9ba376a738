/*
 * putty_sessions.cpp: PuTTY's version and saved sessions.
 */
#include "putty_sessions.h"

#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/platform.h"
#include "../core/text.h"

int PuttyVersionMajor;
int PuttyVersionMinor;

bool PuttySupportsPwfile(void)
{
    return PuttyVersionMajor > 0 || PuttyVersionMinor >= 77;
}

bool PuttySupportsSessionLog(void)
{
    return PuttySupportsPwfile();
}

static int HexValue(wchar_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

static bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
static bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

wchar_t *DecodeSessionName(const wchar_t *stored)
{
    int len = StrLen(stored);
    if (len == 0)
        return (wchar_t *)MemAlloc(sizeof(wchar_t));
    /* No character gives more than 4 bytes, a pair counted as one. */
    char *bytes = (char *)MemAlloc((size_t)len * 4);
    int n = 0;
    for (int i = 0; i < len;) {
        wchar_t c = stored[i];
        /* The terminating zero is no digit, so i + 2 is never read past it. */
        int hi = c == '%' ? HexValue(stored[i + 1]) : -1;
        int lo = hi >= 0 ? HexValue(stored[i + 2]) : -1;
        if (lo >= 0 && (hi | lo) != 0) {
            bytes[n++] = (char)(hi * 16 + lo);
            i += 3;
        } else if ((unsigned)c <= 127) {
            bytes[n++] = (char)c;
            i++;
        } else {
            int units = IsHighSurrogate(c) && IsLowSurrogate(stored[i + 1]) ? 2 : 1;
            int got = PlatWideToMultiByte(PLAT_CP_ACP, stored + i, units, bytes + n, 4);
            if (got > 0)
                n += got;
            else
                bytes[n++] = '?';
            i += units;
        }
    }
    int chars = PlatMultiByteToWide(PLAT_CP_ACP, 0, bytes, n, NULL, 0);
    wchar_t *out;
    if (chars > 0) {
        out = (wchar_t *)MemAlloc(((size_t)chars + 1) * sizeof(wchar_t));
        if (PlatMultiByteToWide(PLAT_CP_ACP, 0, bytes, n, out, chars) != chars) {
            MemFree(out);
            out = StrDup(stored);
        }
    } else {
        out = StrDup(stored);
    }
    MemFree(bytes);
    return out;
}

bool PuttyPathIsKitty(const wchar_t *path)
{
    const wchar_t *slash = StrFindLastChar(path, '\\');
    return StrFindNoCase(slash ? slash + 1 : path, L"kitty") != NULL;
}

void ResetPuttySessionsFolder(void)
{
    NodeFreeTree(PuttySessionsFolder);
    ServerNode *folder = NodeNew(NODE_FOLDER);
    folder->DisplayName = StrDup(L"PuTTY 세션");
    folder->Expanded = Settings.PuttySessionsExpanded;
    folder->IsPuttySession = true;
    PuttySessionsFolder = folder;
}

/* The password in whatever form the login entry holds it, so that a
 * sealed one is not opened just to list the sessions. */
static void CopyPassword(ServerNode *to, const ServerNode *from)
{
    NodeSetPassword(to, NULL);
    to->Password = StrDup(from->Password);
    to->SealedPassword = StrDup(from->SealedPassword);
    to->SealedClear = StrDup(from->SealedClear);
    to->SealedUnopenable = from->SealedUnopenable;
}

bool AddPuttySession(const wchar_t *name)
{
    ServerNode *folder = PuttySessionsFolder;
    if (!folder || StrIsEmpty(name))
        return false;
    for (ServerNode *ch = folder->FirstChild; ch; ch = ch->NextSibling)
        if (StrCompareNoCase(ch->SavedSession, name) == 0)
            return false;

    ServerNode *n = NodeNew(NODE_SERVER);
    MemFree(n->UID);
    n->UID = NULL;
    n->PuttyConType = CON_FROM_SESSION;
    n->IsPuttySession = true;
    StrAssign(&n->DisplayName, name);
    StrAssign(&n->SavedSession, name);
    if (const ServerNode *login = PuttyLoginFind(name)) {
        StrAssign(&n->UserName, login->UserName);
        CopyPassword(n, login);
        StrAssign(&n->CLParams, login->CLParams);
        StrAssign(&n->Script, login->Script);
        n->PasswordMode = login->PasswordMode;
        n->PasswordDelay = login->PasswordDelay;
        n->ScriptDelay = login->ScriptDelay;
    }
    NodeAppendChild(folder, n);
    return true;
}

void SortPuttySessionsFolder(void)
{
    if (PuttySessionsFolder)
        NodeSortChildren(PuttySessionsFolder);
}
