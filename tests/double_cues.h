/*
 * double_cues.h: the cues the PuTTY double (putty_double.cpp) obeys,
 * posted to its main window by the tests.
 */
#ifndef KESTRUM_TESTS_DOUBLE_CUES_H
#define KESTRUM_TESTS_DOUBLE_CUES_H

#include <windows.h>

enum {
    CUE_EXIT = WM_APP + 1,      /* wParam: exit code */
    CUE_TITLE,                  /* wParam: 0 a title, 1 the same "(inactive)", 2 another */
    CUE_CONFIG_OPEN,
    CUE_CONFIG_CLOSE,
    CUE_DESTROY,                /* main window goes, the process stays */
    CUE_STATE,
    CUE_CREATE,                 /* main window now ("Open" in the config box) */
    CUE_HANG,                   /* wParam: ms without pumping, 0 until the safety exit */
    CUE_FLOOD,                  /* wParam: new titles a second, 0 stops */
    CUE_CRASH,                  /* ends at once as an access violation would */
    CUE_BOX,                    /* wParam: 0 fatal error, 1 another question */
};

#endif
