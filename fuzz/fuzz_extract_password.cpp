/*
 * Tokenizing and rewriting arbitrary extra arguments: no crash, no leak;
 * after a pair was taken no "-pw value" pair is left in front of the
 * rest, and the argument builder takes whatever remains.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../config/server_params.h"
#include "../config/server_tree.h"
#include "../core/text.h"
#include "../sessions/putty_args.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    wchar_t *text = WideFromUtf8((const char *)data, (int)size);
    ServerNode *n = NodeNew(NODE_SERVER);
    n->CLParams = text;
    n->CustomCmd = size & 1;
    n->PasswordMode = (int)(size % 5);
    ParamToken t[MAX_PARAM_TOKENS];
    int count = TokenizeParams(text, t, MAX_PARAM_TOKENS);
    for (int i = 0; i < count; i++) {
        if (t[i].Start < 0 || t[i].Length <= 0 || t[i].Start + t[i].Length > StrLen(text))
            abort();
        MemFree(UnquoteToken(text, t[i]));
    }
    ParamsContainToken(text, L"-pw");
    int outcome = ExtractPasswordFromParams(n);
    if (outcome < 0 || outcome > 2)
        abort();
    if (outcome != EXTRACT_NONE && StrIsEmpty(n->CLParams) != (n->CLParams == NULL))
        abort();
    wchar_t *args = BuildPuttyArguments(n, NULL, NULL, false, NULL);
    StrFreeSecret(args);
    int dummy = 0;
    MarkPasswordlessServers(n, &dummy);
    NodeFree(n);
    return 0;
}
