/*
 * putty_args.cpp: PuTTY arguments and password delivery.
 */
#include "../config/server_params.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "../core/platform.h"
#include "../core/text.h"
#include "putty_args.h"
#include "putty_sessions.h"

static const wchar_t *const ProtocolFlags[CON_COUNT] = {
    NULL, L"-raw", L"-telnet", L"-rlogin", L"-ssh", L"-serial",
};

int EffectivePasswordMode(const ServerNode *node)
{
    int mode = node->PasswordMode ? node->PasswordMode : Settings.PasswordMode;
    if (mode == DELIVER_TYPE || mode == DELIVER_CMDLINE)
        return mode;
    if (mode == DELIVER_PWFILE)
        return PuttySupportsPwfile() ? DELIVER_PWFILE : DELIVER_TYPE;
    bool sshLike = node->PuttyConType == CON_SSH || node->PuttyConType == CON_FROM_SESSION;
    return PuttySupportsPwfile() && sshLike ? DELIVER_PWFILE : DELIVER_TYPE;
}

int EffectivePasswordDelay(const ServerNode *node)
{
    return node->PasswordDelay > 0 ? node->PasswordDelay : Settings.PasswordDelay;
}

static bool NeedsQuotes(const wchar_t *arg)
{
    if (StrIsEmpty(arg))
        return true;
    for (; *arg; arg++)
        if (*arg == ' ' || *arg == '\t' || *arg == '"')
            return true;
    return false;
}

static void AppendBackslashes(TextBuilder *b, int n)
{
    for (int i = 0; i < n; i++)
        b->AppendChar('\\');
}

void AppendQuotedArgument(TextBuilder *b, const wchar_t *arg)
{
    if (b->Length > 0)
        b->AppendChar(' ');
    if (!NeedsQuotes(arg)) {
        b->Append(arg);
        return;
    }
    b->AppendChar('"');
    int slashes = 0;
    for (const wchar_t *p = arg ? arg : L""; *p; p++) {
        if (*p == '\\') {
            slashes++;
        } else if (*p == '"') {
            AppendBackslashes(b, slashes * 2 + 1);
            b->AppendChar('"');
            slashes = 0;
        } else {
            AppendBackslashes(b, slashes);
            b->AppendChar(*p);
            slashes = 0;
        }
    }
    AppendBackslashes(b, slashes * 2);
    b->AppendChar('"');
}

/* PuTTY expands "&" sequences in a log file name (&H the host, &T the
 * time...); "&&" is a plain "&". */
static void AppendLogFileArgument(TextBuilder *b, const wchar_t *logFile)
{
    TextBuilder name = {};
    for (const wchar_t *p = logFile; *p; p++) {
        name.AppendChar(*p);
        if (*p == '&')
            name.AppendChar('&');
    }
    AppendQuotedArgument(b, L"-sessionlog");
    AppendQuotedArgument(b, name.Text());
    AppendQuotedArgument(b, L"-logoverwrite");
    name.Release();
}

wchar_t *BuildPuttyArguments(const ServerNode *node, const wchar_t *passwordFile, const wchar_t *logFile,
                             bool masked, int *modeOut)
{
    /* Opening a sealed password fills a cache; the node stays the same. */
    const wchar_t *password = NodePassword((ServerNode *)node);
    int mode;
    if (StrIsEmpty(password))
        mode = DELIVER_NONE;
    else if (node->CustomCmd && ParamsContainToken(node->CLParams, L"-pw"))
        mode = DELIVER_NONE;
    else
        mode = EffectivePasswordMode(node);

    TextBuilder b = {};
    if (node->CustomCmd) {
        /* the host is somewhere in the user's own line */
        if (!StrIsEmpty(logFile))
            AppendLogFileArgument(&b, logFile);
        AppendRawArguments(&b, node->CLParams);
    } else {
        if (!StrIsEmpty(node->SavedSession) &&
            StrCompareNoCase(node->SavedSession, L"Default Settings") != 0) {
            AppendQuotedArgument(&b, L"-load");
            AppendQuotedArgument(&b, node->SavedSession);
        }
        int con = node->PuttyConType;
        if (con >= CON_RAW && con < CON_COUNT)
            AppendQuotedArgument(&b, ProtocolFlags[con]);
        if (node->Port > 0 && con != CON_SERIAL) {
            wchar_t port[12];
            StrFromInt(port, node->Port);
            AppendQuotedArgument(&b, L"-P");
            AppendQuotedArgument(&b, port);
        }
        if (!StrIsEmpty(node->UserName)) {
            AppendQuotedArgument(&b, L"-l");
            AppendQuotedArgument(&b, node->UserName);
        }
    }
    if (mode == DELIVER_CMDLINE) {
        AppendQuotedArgument(&b, L"-pw");
        AppendQuotedArgument(&b, masked ? L"********" : password);
    } else if (mode == DELIVER_PWFILE) {
        AppendQuotedArgument(&b, L"-pwfile");
        if (!StrIsEmpty(passwordFile))
            AppendQuotedArgument(&b, passwordFile);
        else
            AppendRawArguments(&b, L"<임시 파일>");   /* shown only, never run */
    }
    if (!node->CustomCmd) {
        AppendRawArguments(&b, node->CLParams);
        if (!StrIsEmpty(logFile))
            AppendLogFileArgument(&b, logFile);
        if (!StrIsEmpty(node->ServerName))
            AppendQuotedArgument(&b, node->ServerName);
    }
    if (modeOut)
        *modeOut = mode;
    /* The builder may have grown with the password in it: copy out and
     * wipe the whole buffer. */
    wchar_t *text = StrDup(b.Text());
    b.Wipe();
    return text;
}
