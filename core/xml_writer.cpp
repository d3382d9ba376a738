/*
 * xml_writer.cpp: escaping and one-value elements.
 */
#include "text.h"
#include "xml_writer.h"

void XmlWriteIndent(TextBuilder *b, int depth)
{
    static const wchar_t tabs[] = L"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    const int most = (int)(sizeof tabs / sizeof tabs[0]) - 1;
    for (; depth > 0; depth -= most)
        b->AppendN(tabs, depth < most ? depth : most);
}

void XmlWriteEscaped(TextBuilder *b, const wchar_t *text)
{
    if (!text)
        return;
    const wchar_t *run = text;
    for (const wchar_t *p = text;; p++) {
        wchar_t c = *p;
        /* Everything above '>' stands for itself: the common case. */
        if (c > '>' || (c >= 32 && c != '"' && c != '&' && c != '<' && c != '>'))
            continue;
        b->AppendN(run, (int)(p - run));
        if (!c)
            return;
        switch (c) {
        case '"': b->AppendN(L"&quot;", 6); break;
        case '&': b->AppendN(L"&amp;", 5); break;
        case '<': b->AppendN(L"&lt;", 4); break;
        case '>': b->AppendN(L"&gt;", 4); break;
        default: {
            wchar_t ref[5] = { '&', '#' };
            int n = 2;
            if (c >= 10)
                ref[n++] = (wchar_t)('0' + c / 10);
            ref[n++] = (wchar_t)('0' + c % 10);
            ref[n++] = ';';
            b->AppendN(ref, n);
            break;
        }
        }
        run = p + 1;
    }
}

void XmlWriteElement(TextBuilder *b, int depth, const wchar_t *name, const wchar_t *text)
{
    int n = StrLen(name);
    XmlWriteIndent(b, depth);
    b->AppendChar('<');
    b->AppendN(name, n);
    b->AppendChar('>');
    XmlWriteEscaped(b, text);
    b->AppendN(L"</", 2);
    b->AppendN(name, n);
    b->AppendN(L">\r\n", 3);
}

void XmlWriteIntElement(TextBuilder *b, int depth, const wchar_t *name, int value)
{
    wchar_t num[12];
    StrFromInt(num, value);
    XmlWriteElement(b, depth, name, num);
}
