/*
 * main_window_util.h: the program's real main window inside a test
 * process, and waiting on it.
 */
#ifndef KESTRUM_TESTS_MAIN_WINDOW_UTIL_H
#define KESTRUM_TESTS_MAIN_WINDOW_UTIL_H

#include <windows.h>

#include <functional>

/* Dispatches this thread's waiting messages. */
void Pump();
/* Pumps and runs the main timer's session work until done() holds;
 * false after ms. */
bool Until(const std::function<bool()> &done, DWORD ms = 10000);
/* Creates and shows the main window once per process, with default
 * settings and the common controls registered. */
void OpenMainWindow();

#endif
