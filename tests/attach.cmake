# Attaching PuTTY windows started outside: the list texts, the dialog and
# the choice in this process, and the whole command in Kestrum.exe.
list(APPEND UNIT_SOURCES test_attach_rules.cpp)
list(APPEND UNIT_SUITES AttachRules)
if(WIN32)
    list(APPEND WIN_SOURCES test_attach_win.cpp test_attach_program_win.cpp)
    list(APPEND WIN_SUITES AttachDialog AttachProgram)
endif()
