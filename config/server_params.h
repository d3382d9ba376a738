/*
 * server_params.h: the tools that read and rewrite a server's extra
 * arguments (CLParams), and the move of a "-pw value" pair found there
 * into the server's password.
 */
#ifndef KESTRUM_CONFIG_SERVER_PARAMS_H
#define KESTRUM_CONFIG_SERVER_PARAMS_H

struct ServerNode;
struct TextBuilder;

enum { MAX_PARAM_TOKENS = 128 };

/* A token of an argument text: quotes stay part of it. */
struct ParamToken {
    int Start;
    int Length;
};

/* The text after a space when the builder holds text; nothing for none. */
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
