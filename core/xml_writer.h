/*
 * xml_writer.h: one-value elements and escaped texts for the XML files
 * the program writes.  One tab per depth, CR LF after every line; every
 * text written reads back unchanged through the reader.
 */
#ifndef KESTRUM_CORE_XML_WRITER_H
#define KESTRUM_CORE_XML_WRITER_H

struct TextBuilder;

void XmlWriteIndent(TextBuilder *b, int depth);
/* For element content and for attribute values between double quotes. */
void XmlWriteEscaped(TextBuilder *b, const wchar_t *text);
/* <name>text</name> CR LF; a null text gives an empty element. */
void XmlWriteElement(TextBuilder *b, int depth, const wchar_t *name, const wchar_t *text);
void XmlWriteIntElement(TextBuilder *b, int depth, const wchar_t *name, int value);

#endif
