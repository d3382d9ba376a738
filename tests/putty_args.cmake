# PuTTY arguments and the temporary password file.
list(APPEND UNIT_SOURCES test_putty_args.cpp)
list(APPEND UNIT_SUITES ArgQuoting PuttyArgs Tokens ExtractPassword)
if(WIN32)
    list(APPEND WIN_SOURCES test_password_file_win.cpp)
    list(APPEND WIN_SUITES PasswordFile)
endif()
