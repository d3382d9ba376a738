/*
 * generate.h: the server trees every benchmark works on.
 */
#ifndef KESTRUM_BENCH_GENERATE_H
#define KESTRUM_BENCH_GENERATE_H

/* Replaces ServersRoot by a tree of the given number of servers: folders
 * of 25, ten folders a group, groups at the top; realistic field lengths,
 * every server with a password.  Returns the number of nodes under the
 * root (folders and servers), which is what the tree view shows. */
int GenerateServers(int servers);
/* GenerateServers, then ConfigSave to path with the current settings
 * (ConfigFilePath is left pointing at it); false when the save fails. */
bool SaveGeneratedConfig(const wchar_t *path, int servers);

#endif
