/*
 * bench_util.cpp: the benchmarks' clock, table rows and paths.
 */
#include "bench_util.h"

#include "../tests/fixtures/gui_objects.h"

#include <psapi.h>

#include <algorithm>
#include <stdarg.h>
#include <stdio.h>

static double CounterMs()
{
    static double perMs;
    if (perMs == 0) {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        perMs = (double)f.QuadPart / 1000.0;
    }
    return perMs;
}

double NowMs()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / CounterMs();
}

double CounterToMs(long long counter)
{
    return (double)counter / CounterMs();
}

void Row(const std::string &figure, const std::string &target, const std::string &measured,
         const std::string &ratio, const char *met)
{
    printf("ROW\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), target.c_str(), measured.c_str(), ratio.c_str(), met);
    fflush(stdout);
}

const char *Met(bool ok)
{
    return ok ? "yes" : "NO";
}

std::string Fmt(const char *format, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    return buf;
}

double Best(const std::vector<double> &v)
{
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::wstring BuildPath(const wchar_t *relative)
{
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(NULL, self, MAX_PATH);
    std::wstring dir(self, n);
    dir.erase(dir.find_last_of(L"\\/"));
    dir.erase(dir.find_last_of(L"\\/") + 1);
    return dir + relative;
}

std::wstring MakeTempFolder(const wchar_t *prefix)
{
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    for (unsigned i = GetTickCount();; i++) {
        std::wstring dir = std::wstring(tmp) + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(i);
        if (CreateDirectoryW(dir.c_str(), NULL))
            return dir;
    }
}

void RemoveFolder(const std::wstring &dir)
{
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do
            DeleteFileW((dir + L"\\" + fd.cFileName).c_str());
        while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir.c_str());
}

bool CopyTo(const std::wstring &from, const std::wstring &to)
{
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

double PrivateMb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&pmc, sizeof pmc))
        return -1;
    return (double)(pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage) / 1048576.0;
}

/* SystemHandleInformation's entries. */
struct HandleEntry {
    ULONG Pid;
    BYTE Type, Flags;
    USHORT Handle;
    PVOID Object;
    ACCESS_MASK Access;
};
typedef LONG(WINAPI *QuerySystemInformation)(ULONG, PVOID, ULONG, PULONG);

static DWORD CountHandles()
{
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n)
        return n;
    QuerySystemInformation query =
        (QuerySystemInformation)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation");
    if (!query)
        return 0;
    for (ULONG size = 1 << 20; size <= (256u << 20); size *= 2) {
        std::vector<char> buf(size);
        ULONG got = 0;
        if (query(16, buf.data(), size, &got) != 0)
            continue;
        ULONG count = *(ULONG *)buf.data();
        const HandleEntry *e = (const HandleEntry *)(buf.data() + sizeof(ULONG_PTR));
        for (ULONG i = 0; i < count; i++)
            if (e[i].Pid == GetCurrentProcessId())
                n++;
        return n;
    }
    return 0;
}

Footprint MeasureSelf()
{
    Footprint f;
    f.PrivateMb = PrivateMb(GetCurrentProcess());
    f.Handles = CountHandles();
    f.Gdi = CountGdiObjects();
    f.User = CountUserObjects();
    return f;
}
