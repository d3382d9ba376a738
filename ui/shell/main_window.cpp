/*
 * main_window.cpp: the main window.
 */
#include "main_window.h"

HWND MainWindow;
