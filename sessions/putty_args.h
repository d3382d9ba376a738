/*
 * putty_args.h: the PuTTY command line of a server and how its password
 * reaches PuTTY.  The tools that read and rewrite a server's extra
 * arguments are config/server_params.h.
 */
#ifndef KESTRUM_SESSIONS_PUTTY_ARGS_H
#define KESTRUM_SESSIONS_PUTTY_ARGS_H

struct ServerNode;
struct TextBuilder;

/* Effective password delivery. */
enum {
    DELIVER_NONE = 0,       /* no password, or a custom command line carries -pw */
    DELIVER_TYPE = 2,       /* typed into the window after capture */
    DELIVER_PWFILE = 3,     /* temporary file named by -pwfile */
    DELIVER_CMDLINE = 4,    /* -pw on the command line */
};

/* Every argument after the executable (possibly empty), newly allocated.
 * masked gives the display form (-pw ********, -pwfile <임시 파일>);
 * passwordFile may be null.  logFile (may be null) adds -sessionlog with
 * it and -logoverwrite before the host.  *mode (optional) gets DELIVER_*.
 * The unmasked text may hold the password: release it with
 * StrFreeSecret. */
wchar_t *BuildPuttyArguments(const ServerNode *node, const wchar_t *passwordFile, const wchar_t *logFile,
                             bool masked, int *mode);
/* DELIVER_TYPE, DELIVER_PWFILE or DELIVER_CMDLINE. */
int EffectivePasswordMode(const ServerNode *node);
int EffectivePasswordDelay(const ServerNode *node);
/* One argument, after a space when the builder holds text, quoted by
 * the Windows command-line rules when it needs quotes. */
void AppendQuotedArgument(TextBuilder *b, const wchar_t *arg);

#endif
