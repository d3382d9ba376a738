/*
 * putty_args.h: the PuTTY command line of a server, how its password
 * reaches PuTTY, and the small tools that read and rewrite a server's
 * extra arguments.
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

enum { MAX_PARAM_TOKENS = 128 };

/* A token of an argument text: quotes stay part of it. */
struct ParamToken {
    int Start;
    int Length;
};

/* Every argument after the executable (possibly empty), newly allocated.
 * masked gives the display form (-pw ********, -pwfile <임시 파일>);
 * passwordFile may be null.  *mode (optional) gets DELIVER_*.  The
 * unmasked text may hold the password: release it with StrFreeSecret. */
wchar_t *BuildPuttyArguments(const ServerNode *node, const wchar_t *passwordFile, bool masked,
                             int *mode);
/* DELIVER_TYPE, DELIVER_PWFILE or DELIVER_CMDLINE. */
int EffectivePasswordMode(const ServerNode *node);
int EffectivePasswordDelay(const ServerNode *node);
/* One argument, after a space when the builder holds text, quoted by
 * the Windows command-line rules when it needs quotes. */
void AppendQuotedArgument(TextBuilder *b, const wchar_t *arg);
void AppendRawArguments(TextBuilder *b, const wchar_t *text);
int TokenizeParams(const wchar_t *text, ParamToken *tokens, int capacity);
/* A token equal to word, ignoring case in the invariant locale. */
bool ParamsContainToken(const wchar_t *text, const wchar_t *word);
wchar_t *UnquoteToken(const wchar_t *text, ParamToken token);

/* Outcomes of ExtractPasswordFromParams. */
enum { EXTRACT_NONE = 0, EXTRACT_TAKEN = 1, EXTRACT_MASKED = 2 };
/* Moves the first "-pw value" pair of CLParams into Password. */
int ExtractPasswordFromParams(ServerNode *node);
/* For every server below folder: extract, mark NeedsPassword when the
 * value was masked, and count those still without a password. */
void MarkPasswordlessServers(ServerNode *folder, int *count);

#endif
