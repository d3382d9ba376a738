# The product and the Windows flavour of the tests.
set(KESTRUM_DEFS UNICODE _UNICODE _WIN32_WINNT=0x0501 WINVER=0x0501 NOMINMAX)
set(KESTRUM_FLAGS -Os -Wall -Wextra -fno-exceptions -fno-rtti
    -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables)

add_library(kestrum_pure STATIC ${KESTRUM_PURE_SOURCES} core/platform_win.cpp)
add_library(kestrum_win STATIC ${KESTRUM_WIN_SOURCES})
foreach(lib kestrum_pure kestrum_win)
    target_compile_definitions(${lib} PUBLIC ${KESTRUM_DEFS})
    target_compile_options(${lib} PRIVATE ${KESTRUM_FLAGS})
endforeach()
target_link_libraries(kestrum_win PUBLIC kestrum_pure)
# Every DLL named here ships with Windows XP.
set(KESTRUM_SYSTEM_LIBS comctl32 comdlg32 shell32 crypt32 ole32 version advapi32 gdi32 user32 kernel32)
target_link_libraries(kestrum_pure PUBLIC crypt32 ole32 user32 kernel32)
target_link_libraries(kestrum_win PUBLIC ${KESTRUM_SYSTEM_LIBS})

add_executable(Kestrum WIN32 ui/shell/startup.cpp ${KESTRUM_PROMPT_SOURCES} resources/kestrum.rc)
target_compile_options(Kestrum PRIVATE ${KESTRUM_FLAGS})
target_compile_definitions(Kestrum PRIVATE ${KESTRUM_DEFS})
target_link_libraries(Kestrum PRIVATE kestrum_win ${KESTRUM_SYSTEM_LIBS})
target_link_options(Kestrum PRIVATE -municode -static -s -Wl,--gc-sections
    -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,1
    -Wl,--major-os-version,5 -Wl,--minor-os-version,1)
set_target_properties(Kestrum PROPERTIES OUTPUT_NAME Kestrum RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# Benchmarks: programs that print figures (tools/bench.sh runs them).
include(bench/bench.cmake)

# The resource script includes these; Ninja would not see them change.
set_source_files_properties(resources/kestrum.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/resources/dialogs.rc;${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/kestrum.manifest;${CMAKE_SOURCE_DIR}/resources/kestrum.ico")
