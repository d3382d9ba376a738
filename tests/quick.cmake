# Quick connect: its rules, the dialog and the toolbar box in-process, and
# the box of Kestrum.exe typed into.
list(APPEND UNIT_SOURCES test_quick_rules.cpp)
list(APPEND UNIT_SUITES QuickRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_quick_connect_win.cpp test_quick_program_win.cpp)
    list(APPEND WIN_SUITES QuickConnect QuickProgram)
endif()
