# The product: 32-bit Windows.
set(KESTRUM_MINGW_ARCH i686)
set(KESTRUM_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
