/*
 * server_params.cpp: reading and rewriting a server's extra arguments.
 */
#include "../core/platform.h"
#include "../core/text.h"
#include "server_params.h"
#include "server_tree.h"

void AppendRawArguments(TextBuilder *b, const wchar_t *text)
{
    if (StrIsEmpty(text))
        return;
    if (b->Length > 0)
        b->AppendChar(' ');
    b->Append(text);
}

int TokenizeParams(const wchar_t *text, ParamToken *tokens, int capacity)
{
    int n = 0;
    if (!text)
        return 0;
    const wchar_t *p = text;
    while (*p && n < capacity) {
        while (*p == ' ' || *p == '\t')
            p++;
        if (!*p)
            break;
        const wchar_t *start = p;
        bool quoted = false;
        for (; *p && (quoted || (*p != ' ' && *p != '\t')); p++)
            if (*p == '"')
                quoted = !quoted;
        tokens[n].Start = (int)(start - text);
        tokens[n].Length = (int)(p - start);
        n++;
    }
    return n;
}

bool ParamsContainToken(const wchar_t *text, const wchar_t *word)
{
    ParamToken tokens[MAX_PARAM_TOKENS];
    int n = TokenizeParams(text, tokens, MAX_PARAM_TOKENS);
    int len = StrLen(word);
    for (int i = 0; i < n; i++)
        if (tokens[i].Length == len &&
            PlatEqualInvariantNoCase(text + tokens[i].Start, len, word, len))
            return true;
    return false;
}

wchar_t *UnquoteToken(const wchar_t *text, ParamToken token)
{
    TextBuilder b = {};
    const wchar_t *p = text + token.Start, *end = p + token.Length;
    b.AppendN(L"", 0);
    for (; p < end; p++) {
        if (*p == '\\' && p + 1 < end && p[1] == '"') {
            b.AppendChar('"');
            p++;
        } else if (*p != '"') {
            b.AppendChar(*p);
        }
    }
    return b.Take();
}

static bool AllAsterisks(const wchar_t *s)
{
    for (; *s; s++)
        if (*s != '*')
            return false;
    return true;
}

int ExtractPasswordFromParams(ServerNode *node)
{
    const wchar_t *params = node->CLParams;
    if (StrIsEmpty(params))
        return EXTRACT_NONE;
    ParamToken tokens[MAX_PARAM_TOKENS];
    int n = TokenizeParams(params, tokens, MAX_PARAM_TOKENS);
    TextBuilder rest = {};
    int outcome = EXTRACT_NONE;
    int lastEnd = 0;
    for (int i = 0; i < n; i++) {
        const wchar_t *t = params + tokens[i].Start;
        lastEnd = tokens[i].Start + tokens[i].Length;
        if (outcome == EXTRACT_NONE && i + 1 < n && tokens[i].Length == 3 &&
            t[0] == '-' && t[1] == 'p' && t[2] == 'w') {
            wchar_t *value = UnquoteToken(params, tokens[i + 1]);
            if (AllAsterisks(value)) {
                outcome = EXTRACT_MASKED;
                StrFreeSecret(value);
            } else {
                outcome = EXTRACT_TAKEN;
                NodeSetPassword(node, value);
                StrFreeSecret(value);
            }
            i++;
            lastEnd = tokens[i].Start + tokens[i].Length;
            continue;
        }
        if (rest.Length > 0)
            rest.AppendChar(' ');
        rest.AppendN(t, tokens[i].Length);
    }
    if (outcome == EXTRACT_NONE) {
        rest.Wipe();
        return EXTRACT_NONE;
    }
    /* Beyond the token limit the text is kept as it was. */
    if (params[lastEnd]) {
        const wchar_t *tail = params + lastEnd;
        while (*tail == ' ' || *tail == '\t')
            tail++;
        AppendRawArguments(&rest, tail);
    }
    StrFreeSecret(node->CLParams);
    node->CLParams = rest.Length > 0 ? rest.Take() : NULL;
    rest.Release();
    return outcome;
}

void MarkPasswordlessServers(ServerNode *folder, int *count)
{
    for (ServerNode *n = folder->FirstChild; n; n = n->NextSibling) {
        if (n->Type == NODE_FOLDER) {
            MarkPasswordlessServers(n, count);
            continue;
        }
        if (ExtractPasswordFromParams(n) == EXTRACT_MASKED)
            n->NeedsPassword = true;
        if (n->NeedsPassword && StrIsEmpty(NodePassword(n)))
            (*count)++;
        else
            n->NeedsPassword = false;
    }
}
