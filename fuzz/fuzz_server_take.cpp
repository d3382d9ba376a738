/*
 * Servers taken while the document is read must make the same tree as
 * servers read from the whole document: the two readings of arbitrary
 * text are compared field by field.  Fresh UIDs differ by nature and
 * are compared only where the text gave one.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../config/server_tree.h"
#include "../core/text.h"
#include "../core/xml_reader.h"

static bool Same(const wchar_t *a, const wchar_t *b)
{
    return StrLen(a) == StrLen(b) && MemCompare(a ? a : L"", b ? b : L"", (size_t)StrLen(a) * sizeof(wchar_t)) == 0;
}

static void Compare(const ServerNode *a, const ServerNode *b)
{
    for (; a || b; a = a->NextSibling, b = b->NextSibling) {
        if (!a || !b || a->Type != b->Type || !Same(a->DisplayName, b->DisplayName) ||
            !Same(a->ServerName, b->ServerName) || !Same(a->UserName, b->UserName) ||
            !Same(a->SavedSession, b->SavedSession) || !Same(a->CLParams, b->CLParams) ||
            !Same(a->Script, b->Script) || !Same(a->Password, b->Password) ||
            !Same(a->SealedPassword, b->SealedPassword) || a->Port != b->Port ||
            a->PuttyConType != b->PuttyConType || a->PasswordMode != b->PasswordMode ||
            a->PasswordDelay != b->PasswordDelay || a->ScriptDelay != b->ScriptDelay ||
            a->CustomCmd != b->CustomCmd || a->Expanded != b->Expanded)
            abort();
        if (StrLen(a->UID) != 38 && !Same(a->UID, b->UID))
            abort();
        Compare(a->FirstChild, b->FirstChild);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int units = 0;
    wchar_t *text = WideFromUtf8((const char *)data, (int)size, &units);
    ServerNode *whole = NodeNew(NODE_FOLDER), *taken = NodeNew(NODE_FOLDER);
    XmlElement *r = XmlParseDocument(text);
    NodeReadList(whole, r, false);
    XmlFree(r);
    r = XmlParseOwnedTextTaking(text, units, NodeTakeServer, NULL);
    NodeReadList(taken, r, false);
    NodeFreeUntaken(r);
    XmlFree(r);
    Compare(whole->FirstChild, taken->FirstChild);
    NodeFreeTree(whole);
    NodeFreeTree(taken);
    return 0;
}
