# Native flavour: the pure modules with 16-bit wchar_t and the sanitizers.
set(KESTRUM_SAN -fsanitize=address,undefined -fno-sanitize-recover=all)
add_compile_options(-fshort-wchar -g -O1 -fno-omit-frame-pointer -Wall -Wextra ${KESTRUM_SAN})
add_link_options(${KESTRUM_SAN})

add_library(kestrum_pure STATIC ${KESTRUM_PURE_SOURCES} core/platform_posix.cpp)
target_compile_options(kestrum_pure PRIVATE -fno-exceptions -fno-rtti)

# The same sources instrumented for libFuzzer.
add_library(kestrum_fuzz STATIC ${KESTRUM_PURE_SOURCES} core/platform_posix.cpp)
target_compile_options(kestrum_fuzz PRIVATE -fno-exceptions -fno-rtti -fsanitize=fuzzer-no-link)

add_subdirectory(fuzz)
