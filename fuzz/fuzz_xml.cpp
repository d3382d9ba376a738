/*
 * The XML reader on arbitrary UTF-8 bytes: no crash, no leak, and every
 * element it builds is well linked.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../core/text.h"
#include "../core/xml_reader.h"

static int Check(const XmlElement *e, const XmlElement *parent, int depth)
{
    int n = 0;
    for (; e; e = e->NextSibling, n++) {
        if (e->Parent != parent || !e->Name || depth > XML_MAX_DEPTH)
            abort();
        for (XmlAttribute *a = e->Attributes; a; a = a->Next)
            if (!a->Name || !a->Value)
                abort();
        n += Check(e->FirstChild, e, depth + 1);
    }
    return n;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    wchar_t *text = WideFromUtf8((const char *)data, (int)size);
    XmlElement *root = XmlParseDocument(text);
    if (root) {
        Check(root, NULL, 1);
        XmlChildInt(root, L"a", 0);
        XmlAttr(root, L"b");
    }
    XmlFree(root);
    MemFree(text);
    return 0;
}
