# The MTPuTTY import: reading the file, and the command against the real
# main window.
list(APPEND UNIT_SOURCES test_mtputty_import.cpp)
list(APPEND UNIT_SUITES MtputtyImport)
if(WIN32)
    list(APPEND WIN_SOURCES test_mtputty_win.cpp)
    list(APPEND WIN_SUITES MtputtyCommand)
endif()
