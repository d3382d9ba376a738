# Kestrum with a real PuTTY and a real sshd (e2e/run.sh).
if(WIN32)
    list(APPEND WIN_SOURCES e2e/test_e2e_win.cpp)
    add_test(NAME e2e.real_putty_and_sshd
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run.sh $<TARGET_FILE:win_tests>)
    set_tests_properties(e2e.real_putty_and_sshd PROPERTIES FAIL_REGULAR_EXPRESSION "Running 0 tests|SKIPPED")
endif()
