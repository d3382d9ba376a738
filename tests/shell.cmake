# Main window: geometry and tab texts (pure), the program under Wine.
list(APPEND UNIT_SOURCES test_shell_rules.cpp)
list(APPEND UNIT_SUITES Layout TabTexts)
if(WIN32)
    list(APPEND WIN_SOURCES test_program_win.cpp program_util.cpp test_rules_program_win.cpp)
    list(APPEND WIN_SUITES Program RulesProgram RulesWindow)
    list(APPEND WIN_HELPERS Kestrum)
endif()
if(WIN32)
    # Kestrum with a real PuTTY and a real sshd (tests/e2e/run.sh).
    list(APPEND WIN_SOURCES test_e2e_win.cpp)
    add_test(NAME e2e.real_putty_and_sshd
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run.sh $<TARGET_FILE:win_tests>)
    set_tests_properties(e2e.real_putty_and_sshd PROPERTIES FAIL_REGULAR_EXPRESSION "Running 0 tests|SKIPPED")
endif()
