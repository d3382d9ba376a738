/*
 * session_log.h: the session log PuTTY writes for a session (-sessionlog)
 * and the reading of it for script waits.
 *
 * With session logs switched on every session writes one into the chosen
 * folder.  Otherwise a session whose scripts wait for text gets a private
 * one in the temporary folder, gone when the session ends, restarts or
 * closes.  A log is read only while a queue of its session has a wait
 * still to be met, from where the last read ended, a few kilobytes a
 * tick; nothing here waits or asks the user anything.
 */
#ifndef KESTRUM_SESSIONS_SESSION_LOG_H
#define KESTRUM_SESSIONS_SESSION_LOG_H

struct KeyQueue;
struct Session;

/* Creates the log the session is to be started with (Session.LogFile,
 * "" for none).  False, with the reason in the session's status text,
 * when the folder of the session logs cannot take it: the start fails. */
bool PrepareSessionLog(Session *s);
/* The log's name as PuTTY's command line gives it (KPATH characters). */
void SessionLogArgument(const Session *s, wchar_t *out);
/* The login script's queue: its waits look at all the session received
 * since PuTTY started, not only after the capture, which comes late when
 * many sessions start at once while the server may already be asking. */
void WatchFromStart(Session *s, KeyQueue *q);
/* Stops reading; a private log is deleted. */
void CloseSessionLog(Session *s);
/* Once a tick, before the key player: the new output of every log that
 * a wait looks at. */
void ReadSessionLogs(void);
/* At start-up: the private logs of runs that ended without deleting
 * theirs.  Those of running instances are held open and stay. */
void RemoveStaleSessionLogs(void);
/* Plugs the logs into the key player. */
void SessionLogsInit(void);

#endif
