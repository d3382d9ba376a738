/*
 * main_window.cpp: the main window.
 */
#include "main_window.h"

HWND MainWindow;
HFONT UiFont;

void CreateUiFont(void)
{
    NONCLIENTMETRICSW m;
    ZeroMemory(&m, sizeof m);
    /* the size without the padded-border member, which XP does not know */
    m.cbSize = 500;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &m, 0))
        UiFont = CreateFontIndirectW(&m.lfMessageFont);
    if (!UiFont)
        UiFont = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}
