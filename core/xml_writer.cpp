/*
 * xml_writer.cpp: escaping and one-value elements.
 */
#include "text.h"
#include "xml_writer.h"

void XmlWriteIndent(TextBuilder *b, int depth)
{
    for (int i = 0; i < depth; i++)
        b->AppendChar('\t');
}

void XmlWriteEscaped(TextBuilder *b, const wchar_t *text)
{
    if (!text)
        return;
    const wchar_t *run = text;
    for (const wchar_t *p = text;; p++) {
        wchar_t c = *p;
        const wchar_t *rep = NULL;
        switch (c) {
        case '"': rep = L"&quot;"; break;
        case '&': rep = L"&amp;"; break;
        case '<': rep = L"&lt;"; break;
        case '>': rep = L"&gt;"; break;
        default: break;
        }
        if (!c || rep || c < 32) {
            b->AppendN(run, (int)(p - run));
            if (!c)
                return;
            if (rep)
                b->Append(rep);
            else
                b->AppendFormat(L"&#%d;", (int)c);
            run = p + 1;
        }
    }
}

void XmlWriteElement(TextBuilder *b, int depth, const wchar_t *name, const wchar_t *text)
{
    XmlWriteIndent(b, depth);
    b->AppendChar('<');
    b->Append(name);
    b->AppendChar('>');
    XmlWriteEscaped(b, text);
    b->Append(L"</");
    b->Append(name);
    b->Append(L">\r\n");
}

void XmlWriteIntElement(TextBuilder *b, int depth, const wchar_t *name, int value)
{
    wchar_t num[12];
    StrFromInt(num, value);
    XmlWriteElement(b, depth, name, num);
}
