/*
 * bench_util.h: what the benchmark programs share: the clock, the rows
 * of the table tools/bench.sh prints, and the places of the programs.
 */
#ifndef KESTRUM_BENCH_BENCH_UTIL_H
#define KESTRUM_BENCH_BENCH_UTIL_H

#include <windows.h>

#include <string>
#include <vector>

/* Milliseconds on the performance counter (the same clock in every
 * process of the machine). */
double NowMs();
double CounterToMs(long long counter);

/* One row of the table: figure, target, measured, ratio to the peer
 * ("" when there is none), and whether the target is met ("" when the
 * row has no target).  Other output is detail for the reader. */
void Row(const std::string &figure, const std::string &target, const std::string &measured,
         const std::string &ratio, const char *met);
const char *Met(bool ok);
std::string Fmt(const char *format, ...);

double Best(const std::vector<double> &v);
double Median(std::vector<double> v);

/* Private (committed) memory of a process in MB: PagefileUsage, which
 * Windows keeps equal to PrivateUsage and Wine fills where it leaves
 * PrivateUsage zero. */
double PrivateMb(HANDLE process);

/* What this process holds.  Where Windows' own counters read zero (as
 * under Wine) the handles are counted in the system's handle list, the
 * GDI objects by probing the handle table and the USER objects as the
 * windows and menus of this process. */
struct Footprint {
    double PrivateMb;
    DWORD Handles, Gdi, User;
};
Footprint MeasureSelf();

/* A path relative to the folder of this program's build tree
 * (bench/ is one level below it). */
std::wstring BuildPath(const wchar_t *relative);
/* A fresh folder under the temporary folder. */
std::wstring MakeTempFolder(const wchar_t *prefix);
/* Removes a folder made by MakeTempFolder and what it holds (one level). */
void RemoveFolder(const std::wstring &dir);
bool CopyTo(const std::wstring &from, const std::wstring &to);

#endif
