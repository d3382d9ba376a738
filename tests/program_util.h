/*
 * program_util.h: driving Kestrum.exe from a test as a user would: start
 * it in a folder of its own, find its windows, answer its message boxes.
 */
#ifndef KESTRUM_TESTS_PROGRAM_UTIL_H
#define KESTRUM_TESTS_PROGRAM_UTIL_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

/* Polls until done() holds; false after ms. */
bool WaitFor(const std::function<bool()> &done, DWORD ms = 15000);
/* Top-level windows of a process with a class. */
std::vector<HWND> TopWindows(DWORD pid, const wchar_t *cls);
/* Direct children of a window with a class. */
std::vector<HWND> Children(HWND parent, const wchar_t *cls);
std::string WindowText(HWND w);
/* The PuTTY window embedded in a session host window, or null. */
HWND EmbeddedIn(HWND host);

/* Input as the user gives it: a key (with a held modifier), a click of
 * a mouse button (down and up flags) at a screen point. */
void PressKey(WORD vk, WORD modifier = 0);
void ClickAt(POINT pt, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);
/* The keyboard focus of a thread's input queue, or null. */
HWND FocusOf(DWORD thread);

/* Names of the temporary password files now in the temp folder. */
std::vector<std::string> PasswordFiles();

/* A Kestrum.exe copied into folder and run there. */
struct KestrumProcess {
    std::string Folder;
    PROCESS_INFORMATION Info = {};
    HWND Main = NULL;

    /* Copies the build's Kestrum.exe beside the test into Folder, starts it
     * and waits for its main window. */
    bool Start(const std::string &folder);
    /* Answers Kestrum's message box with button (IDYES, IDNO, IDOK) and
     * returns its text; "<no message box>" when none came. */
    std::string Answer(int button, const char *shot = NULL);
    /* The same, answered with a key pressed once the box is in front. */
    std::string AnswerByKey(WORD vk);
    /* The host windows of the sessions, with their embedded windows. */
    std::vector<HWND> Hosts();
    /* Waits for the process to end; its exit code, or -1. */
    int WaitExit(DWORD ms = 15000);
    /* What the process is doing, for a failure message. */
    std::string Describe();
    /* Ends the process if it still runs. */
    ~KestrumProcess();
};

#endif
