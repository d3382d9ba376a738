# Many sessions at once with misbehaving PuTTYs; the password scan that
# the session, program and end-to-end tests share.
if(WIN32)
    list(APPEND WIN_SOURCES test_stress_win.cpp password_scan.cpp gui_objects.cpp)
    list(APPEND WIN_SUITES Stress)
endif()
