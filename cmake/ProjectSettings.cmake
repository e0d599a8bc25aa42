# Build settings every target links: language level, warnings as errors, Qt's safety macros.
add_library(parlevo_settings INTERFACE)
target_compile_features(parlevo_settings INTERFACE cxx_std_20)
target_compile_definitions(parlevo_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER)
if(MSVC)
    target_compile_options(parlevo_settings INTERFACE /W4 /WX /utf-8)
else()
    target_compile_options(parlevo_settings INTERFACE -Wall -Wextra -Werror)
endif()

option(PARLEVO_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(PARLEVO_SANITIZE AND NOT MSVC)
    target_compile_options(parlevo_settings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(parlevo_settings INTERFACE -fsanitize=address,undefined)
endif()

# Fuzz build: the core is instrumented for libFuzzer's coverage and checked by both sanitizers;
# each fuzz target adds -fsanitize=fuzzer for libFuzzer's main.
if(PARLEVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "PARLEVO_FUZZ needs clang (libFuzzer)")
    endif()
    target_compile_options(parlevo_settings INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(parlevo_settings INTERFACE -fsanitize=address,undefined)
endif()
