# The same sources for 64-bit Windows, to run the tests under 64-bit Wine
# on hosts that cannot run 32-bit code (tools/wine-env.sh).
set(KESTRUM_MINGW_ARCH x86_64)
set(KESTRUM_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
