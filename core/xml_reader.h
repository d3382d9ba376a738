/*
 * xml_reader.h: a small forgiving XML reader.
 *
 * It never reports a syntax error; it keeps what it recognises and
 * skips the rest.  The only failure is a text without a root element.
 * Names are kept as written and looked up without regard to case.
 */
#ifndef KESTRUM_CORE_XML_READER_H
#define KESTRUM_CORE_XML_READER_H

struct TextBuilder;

struct XmlAttribute {
    wchar_t *Name;
    wchar_t *Value;         /* never null */
    XmlAttribute *Next;
};

struct XmlElement {
    wchar_t *Name;
    wchar_t *Text;          /* collected character data, or null */
    XmlAttribute *Attributes;
    XmlElement *FirstChild;
    XmlElement *NextSibling;
    XmlElement *Parent;
};

/* Elements nested deeper than this are skipped with their content, so
 * that no input can exhaust the stack of the readers above. */
enum { XML_MAX_DEPTH = 256 };

/* The root element of a zero-terminated text, or null.  Free with XmlFree. */
XmlElement *XmlParseDocument(const wchar_t *text);
/* Frees the element, its descendants and its following siblings. */
void XmlFree(XmlElement *e);
XmlElement *XmlChild(const XmlElement *e, const wchar_t *name);
const wchar_t *XmlAttr(const XmlElement *e, const wchar_t *name);
const wchar_t *XmlChildText(const XmlElement *e, const wchar_t *name);
/* def when the child is missing or its text empty; else ParseInt. */
int XmlChildInt(const XmlElement *e, const wchar_t *name, int def);
/* Appends n characters of character data with references decoded. */
void XmlDecodeText(TextBuilder *out, const wchar_t *run, int n);

#endif
