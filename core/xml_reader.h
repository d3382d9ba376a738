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
    void *Data;             /* null as read; see XmlTakeElement */
};

/* Elements nested deeper than this are skipped with their content, so
 * that no input can exhaust the stack of the readers above. */
enum { XML_MAX_DEPTH = 256 };

/* The root element of a zero-terminated text, or null.  Free with XmlFree. */
XmlElement *XmlParseDocument(const wchar_t *text);
/* XmlParseDocument of a text the caller hands over: a MemAlloc block
 * holding units characters, then only zeros.  The document keeps its
 * names and texts inside that block rather than in copies; XmlFree
 * wipes and frees it (this does so at once when there is no root). */
XmlElement *XmlParseOwnedText(wchar_t *text, int units);
/* Called with each element once it is complete (its end tag read).
 * Returning true takes it: the element keeps its place and sets Data,
 * while its attributes, children and text are dropped and their memory
 * reused; a taken element's descendants are the callback's to release.
 * A reader of a big file so builds its own records element by element
 * instead of holding the whole document at once. */
typedef bool (*XmlTakeElement)(XmlElement *e, void *context);
/* XmlParseOwnedText offering each complete element to take. */
XmlElement *XmlParseOwnedTextTaking(wchar_t *text, int units, XmlTakeElement take, void *context);
/* XmlParseOwnedTextTaking of a text in UTF-8: zero-terminated bytes,
 * well-formed (Utf8WellFormed), which stay the caller's, unchanged, until
 * XmlFree.  Reads as the text converted to UTF-16 would, without that
 * copy of it. */
XmlElement *XmlParseUtf8Taking(const char *bytes, XmlTakeElement take, void *context);
/* Frees the whole document of a root from the parse functions.  Any
 * other element of a document (one with a parent) is left alone: it is
 * freed with its document. */
void XmlFree(XmlElement *root);
XmlElement *XmlChild(const XmlElement *e, const wchar_t *name);
/* For each of count names (printable ASCII, and distinct without regard
 * to case, as the program's element names are), the child XmlChild
 * would give for it, into found; one pass over the children however
 * many names are asked. */
void XmlChildren(const XmlElement *e, const wchar_t *const *names, int count,
                 const XmlElement **found);
const wchar_t *XmlAttr(const XmlElement *e, const wchar_t *name);
const wchar_t *XmlChildText(const XmlElement *e, const wchar_t *name);
/* def when the child is missing or its text empty; else ParseInt. */
int XmlChildInt(const XmlElement *e, const wchar_t *name, int def);
/* Appends n characters of character data with references decoded. */
void XmlDecodeText(TextBuilder *out, const wchar_t *run, int n);

#endif
