/*
 * bench_xml: the XML reader against pugixml on the same UTF-16 text, a
 * configuration file of generated servers, in the same run and rounds.
 *
 * XmlParseDocument copies the text and parses the copy; its peer is
 * pugixml's load_buffer, which does the same.  XmlParseOwnedText parses
 * in place; its peer is load_buffer_inplace.  Freeing the documents is
 * outside the timings (the reader wipes what it frees, on purpose).
 *
 * Each parser runs its rounds back to back.  Under Wine the heap keeps
 * blocks just freed in memory, so a parser run right after the other
 * one freed its document would get warm pages the other had to touch.
 */
#include <windows.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "pugixml.hpp"

#include "../config/settings.h"
#include "../core/text.h"
#include "../core/xml_reader.h"
#include "bench_util.h"
#include "generate.h"

static const int Rounds = 5;

/* The file ConfigSave writes for that many servers, as UTF-16. */
static std::wstring ConfigText(const wchar_t *path, int servers)
{
    SettingsSetDefaults();
    if (!SaveGeneratedConfig(path, servers))
        return L"";
    HANDLE f = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    DWORD size = GetFileSize(f, NULL), got = 0;
    std::string bytes(size, '\0');
    ReadFile(f, &bytes[0], size, &got, NULL);
    CloseHandle(f);
    DeleteFileW(path);
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)got, NULL, 0);
    std::wstring text((size_t)n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)got, &text[0], n);
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    return text;
}

static int CountElements(const XmlElement *e)
{
    int n = 0;
    for (const XmlElement *c = e->FirstChild; c; c = c->NextSibling)
        n += 1 + CountElements(c);
    return n;
}

static int CountElements(const pugi::xml_node &e)
{
    int n = 0;
    for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element)
            n += 1 + CountElements(c);
    return n;
}

/* An owned copy for XmlParseOwnedText: a MemAlloc block, zero after. */
static wchar_t *OwnedCopy(const std::wstring &text)
{
    wchar_t *copy = (wchar_t *)MemAlloc((text.size() + 1) * sizeof(wchar_t));
    MemCopy(copy, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    return copy;
}

/* The best of Rounds parses, each parser on its own run of rounds. */
template <typename Parse> static double BestOf(Parse parse)
{
    std::vector<double> times;
    for (int round = 0; round < Rounds; round++)
        times.push_back(parse());
    return Best(times);
}

int main()
{
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    wsprintfW(path, L"%skestrum-bench-xml-%lu.xml", dir, GetCurrentProcessId());
    printf("%-8s %10s %10s %10s %12s %12s\n", "servers", "chars", "ours ms", "pugi ms", "inplace ms", "pugi inpl ms");
    const int sizes[] = { 1000, 10000, 50000 };
    for (int size : sizes) {
        std::wstring text = ConfigText(path, size);
        if (text.empty()) {
            printf("could not make the text\n");
            return 1;
        }
        size_t bytes = text.size() * sizeof(wchar_t);
        int oursCount = -1, pugiCount = -2, oursInPlaceCount = -3, pugiInPlaceCount = -4;
        bool pugiFailed = false;
        double ours = BestOf([&] {
            double t0 = NowMs();
            XmlElement *root = XmlParseDocument(text.c_str());
            double t1 = NowMs();
            oursCount = root ? 1 + CountElements(root) : 0;
            XmlFree(root);
            return t1 - t0;
        });
        double pugi = BestOf([&] {
            pugi::xml_document doc;
            double t0 = NowMs();
            pugi::xml_parse_result r = doc.load_buffer(text.c_str(), bytes, pugi::parse_default, pugi::encoding_wchar);
            double t1 = NowMs();
            pugiFailed |= !r;
            pugiCount = CountElements(doc);
            return t1 - t0;
        });
        double oursInPlace = BestOf([&] {
            wchar_t *owned = OwnedCopy(text);
            double t0 = NowMs();
            XmlElement *root = XmlParseOwnedText(owned, (int)text.size());
            double t1 = NowMs();
            oursInPlaceCount = root ? 1 + CountElements(root) : 0;
            XmlFree(root);
            return t1 - t0;
        });
        double pugiInPlace = BestOf([&] {
            std::wstring buffer = text;
            pugi::xml_document doc;
            double t0 = NowMs();
            pugi::xml_parse_result r =
                doc.load_buffer_inplace(&buffer[0], bytes, pugi::parse_default, pugi::encoding_wchar);
            double t1 = NowMs();
            pugiFailed |= !r;
            pugiInPlaceCount = CountElements(doc);
            return t1 - t0;
        });
        if (pugiFailed)
            return printf("pugixml could not read the text\n"), 1;
        if (oursCount != pugiCount || oursInPlaceCount != pugiInPlaceCount || oursCount != oursInPlaceCount)
            return printf("element counts differ: ours %d and %d, pugixml %d and %d\n", oursCount, oursInPlaceCount,
                          pugiCount, pugiInPlaceCount), 1;
        printf("%-8d %10u %10.2f %10.2f %12.2f %12.2f\n", size, (unsigned)text.size(), ours, pugi, oursInPlace,
               pugiInPlace);
        double ratio = ours / pugi;
        Row(Fmt("XmlParseDocument, %d servers (copies; peer pugixml load_buffer)", size), "<= 2x pugixml",
            Fmt("%.2f ms (pugixml %.2f ms)", ours, pugi), Fmt("%.2f", ratio), Met(ratio <= 2));
        ratio = oursInPlace / pugiInPlace;
        Row(Fmt("XmlParseOwnedText, %d servers (in place; peer load_buffer_inplace)", size), "<= 2x pugixml",
            Fmt("%.2f ms (pugixml %.2f ms)", oursInPlace, pugiInPlace), Fmt("%.2f", ratio), Met(ratio <= 2));
    }
    return 0;
}
