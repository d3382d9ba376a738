/*
 * Well-formed UTF-8 read as it stands must give the tree that its
 * conversion to UTF-16 gives: names, attributes, texts and shape are
 * compared element by element.
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "../core/text.h"
#include "../core/xml_reader.h"

static bool Same(const wchar_t *a, const wchar_t *b)
{
    if (!a || !b)
        return a == b;
    return StrLen(a) == StrLen(b) && MemCompare(a, b, (size_t)StrLen(a) * sizeof(wchar_t)) == 0;
}

static void Compare(const XmlElement *a, const XmlElement *b)
{
    if (!Same(a->Name, b->Name) || !Same(a->Text, b->Text))
        abort();
    const XmlAttribute *x = a->Attributes, *y = b->Attributes;
    for (; x && y; x = x->Next, y = y->Next)
        if (!Same(x->Name, y->Name) || !Same(x->Value, y->Value))
            abort();
    const XmlElement *c = a->FirstChild, *d = b->FirstChild;
    for (; c && d; c = c->NextSibling, d = d->NextSibling)
        Compare(c, d);
    if (x || y || c || d)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!Utf8WellFormed((const char *)data, (int)size))
        return 0;
    int units = 0;
    wchar_t *text = WideFromUtf8((const char *)data, (int)size, &units);
    XmlElement *wide = XmlParseOwnedText(text, units);
    char *bytes = (char *)MemAlloc(size + 1);
    MemCopy(bytes, data, size);
    XmlElement *utf8 = XmlParseUtf8Taking(bytes, NULL, NULL);
    if ((wide == NULL) != (utf8 == NULL))
        abort();
    if (wide)
        Compare(wide, utf8);
    XmlFree(wide);
    XmlFree(utf8);
    MemFree(bytes);
    return 0;
}
