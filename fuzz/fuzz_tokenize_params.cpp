/*
 * Splitting arbitrary UTF-16 argument texts into tokens: no crash, no
 * leak; tokens come in order, apart, and end only at unquoted blanks; a
 * smaller capacity gives the first tokens of the same split; and taking
 * the "-pw value" pair out leaves every other token as it was.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "../config/server_params.h"
#include "../config/server_tree.h"
#include "../core/text.h"

static bool Blank(wchar_t c)
{
    return c == ' ' || c == '\t';
}

static void CheckSplit(const wchar_t *text, const ParamToken *t, int count)
{
    int len = StrLen(text), at = 0;
    for (int i = 0; i < count; i++) {
        if (t[i].Start < at || t[i].Length <= 0 || t[i].Start + t[i].Length > len)
            abort();
        for (int k = at; k < t[i].Start; k++)
            if (!Blank(text[k]))
                abort();
        bool quoted = false;
        for (int k = t[i].Start; k < t[i].Start + t[i].Length; k++) {
            if (!quoted && Blank(text[k]))
                abort();
            if (text[k] == '"')
                quoted = !quoted;
        }
        int end = t[i].Start + t[i].Length;
        if (text[end] && !Blank(text[end]))
            abort();
        wchar_t *plain = UnquoteToken(text, t[i]);
        if (StrLen(plain) > t[i].Length)
            abort();
        MemFree(plain);
        at = end;
    }
}

static bool SameToken(const wchar_t *a, ParamToken ta, const wchar_t *b, ParamToken tb)
{
    return ta.Length == tb.Length && memcmp(a + ta.Start, b + tb.Start, (size_t)ta.Length * sizeof(wchar_t)) == 0;
}

static bool SameText(const wchar_t *a, const wchar_t *b)
{
    int n = StrLen(a);
    return n == StrLen(b) && (n == 0 || memcmp(a, b, (size_t)n * sizeof(wchar_t)) == 0);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    int units = (int)((size - 1) / 2);
    wchar_t *text = (wchar_t *)MemAlloc(((size_t)units + 1) * sizeof(wchar_t));
    for (int i = 0; i < units; i++)
        text[i] = (wchar_t)(data[1 + 2 * i] | data[2 + 2 * i] << 8);

    ParamToken all[MAX_PARAM_TOKENS], few[MAX_PARAM_TOKENS];
    int count = TokenizeParams(text, all, MAX_PARAM_TOKENS);
    if (count < 0 || count > MAX_PARAM_TOKENS)
        abort();
    CheckSplit(text, all, count);
    int capacity = data[0] % (MAX_PARAM_TOKENS + 1);
    int some = TokenizeParams(text, few, capacity);
    if (some != (count < capacity ? count : capacity))
        abort();
    for (int i = 0; i < some; i++)
        if (few[i].Start != all[i].Start || few[i].Length != all[i].Length)
            abort();

    ServerNode *n = NodeNew(NODE_SERVER);
    StrAssign(&n->CLParams, text);
    int pair = -1;
    for (int i = 0; i + 1 < count && pair < 0; i++)
        if (all[i].Length == 3 && memcmp(text + all[i].Start, L"-pw", 3 * sizeof(wchar_t)) == 0)
            pair = i;
    int outcome = ExtractPasswordFromParams(n);
    if ((pair >= 0) != (outcome != EXTRACT_NONE))
        abort();
    if (outcome == EXTRACT_NONE && !SameText(n->CLParams, text))
        abort();
    if (outcome == EXTRACT_TAKEN && StrIsEmpty(NodePassword(n)))
        abort();
    if (pair >= 0 && count < MAX_PARAM_TOKENS) {
        ParamToken left[MAX_PARAM_TOKENS];
        const wchar_t *rest = n->CLParams ? n->CLParams : L"";
        int remaining = TokenizeParams(rest, left, MAX_PARAM_TOKENS);
        if (remaining != count - 2)
            abort();
        for (int i = 0, k = 0; i < count; i++) {
            if (i == pair || i == pair + 1)
                continue;
            if (!SameToken(text, all[i], rest, left[k++]))
                abort();
        }
    }
    NodeFree(n);
    MemFree(text);
    return 0;
}
