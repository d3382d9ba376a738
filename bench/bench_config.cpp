/*
 * bench_config: ConfigSave and ConfigLoad of generated server trees, and
 * how their cost per server grows from 1,000 to 50,000 servers.
 */
#include <windows.h>
#include <stdio.h>

#include "../config/config_file.h"
#include "../config/server_tree.h"
#include "../config/settings.h"
#include "bench_util.h"
#include "generate.h"

static const int Rounds = 5;

/* Microseconds the first write to a fresh 4 KB page costs: what every
 * large block that a load or save takes anew pays per page. */
static double FreshPageUs()
{
    const size_t bytes = 64u << 20;
    std::vector<double> t;
    for (int round = 0; round < 3; round++) {
        char *p = (char *)VirtualAlloc(NULL, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (!p)
            return -1;
        double t0 = NowMs();
        for (size_t i = 0; i < bytes; i += 4096)
            p[i] = 1;
        t.push_back((NowMs() - t0) * 1000.0 / (double)(bytes / 4096));
        VirtualFree(p, 0, MEM_RELEASE);
    }
    return Best(t);
}

int main()
{
    Row("Fresh memory, first write to a 4 KB page (this machine)", "", Fmt("%.1f us", FreshPageUs()), "", "");
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    wsprintfW(path, L"%skestrum-bench-%lu.xml", dir, GetCurrentProcessId());
    const int sizes[] = { 1000, 10000, 50000 };
    double perServer[2][3];
    printf("%-8s %12s %12s %12s\n", "servers", "file bytes", "save ms", "load ms");
    for (int k = 0; k < 3; k++) {
        int size = sizes[k];
        SettingsSetDefaults();
        if (!SaveGeneratedConfig(path, size)) {
            printf("save failed\n");
            return 1;
        }
        std::vector<double> save, load;
        for (int round = 0; round < Rounds; round++) {
            double t0 = NowMs();
            if (!ConfigSave()) {
                printf("save failed\n");
                return 1;
            }
            double t1 = NowMs();
            NodeFreeTree(ServersRoot);
            NodeFreeTree(PuttyLoginRoot);
            ServersRoot = PuttyLoginRoot = NULL;
            FreePendingOpenSessions();
            double t2 = NowMs();
            if (!ConfigLoad() || NodeCountServers(ServersRoot) != size) {
                printf("load failed\n");
                return 1;
            }
            double t3 = NowMs();
            save.push_back(t1 - t0);
            load.push_back(t3 - t2);
        }
        WIN32_FILE_ATTRIBUTE_DATA fa;
        GetFileAttributesExW(path, GetFileExInfoStandard, &fa);
        printf("%-8d %12lu %12.1f %12.1f\n", size, (unsigned long)fa.nFileSizeLow, Best(save), Best(load));
        perServer[0][k] = Best(load) * 1000.0 / size;
        perServer[1][k] = Best(save) * 1000.0 / size;
        const char *const names[] = { "ConfigLoad", "ConfigSave" };
        const double times[] = { Best(load), Best(save) };
        for (int f = 0; f < 2; f++) {
            std::string figure = Fmt("%s, %d servers", names[f], size);
            if (size == 1000)
                Row(figure, "", Fmt("%.1f ms", times[f]), "", "");
            else {
                double limit = size == 10000 ? 150 : 750;
                Row(figure, Fmt("<= %.0f ms", limit), Fmt("%.1f ms", times[f]), "", Met(times[f] <= limit));
            }
        }
    }
    /* Linear means the cost of one server does not rise with the count;
     * half as much again leaves room for the caches of a shared machine. */
    const char *const names[] = { "ConfigLoad", "ConfigSave" };
    for (int f = 0; f < 2; f++) {
        double growth = perServer[f][2] / perServer[f][0];
        Row(Fmt("%s per server, 1,000 -> 10,000 -> 50,000", names[f]), "linear (x1.5 at most)",
            Fmt("%.1f -> %.1f -> %.1f us (x%.2f)", perServer[f][0], perServer[f][1], perServer[f][2], growth), "",
            Met(growth <= 1.5));
    }
    DeleteFileW(path);
    return 0;
}
