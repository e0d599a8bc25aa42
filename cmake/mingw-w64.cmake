# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (POSIX threads, so std::thread and
# std::mutex work). The libraries built by scripts/build-windows-deps are searched first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT PARLEVO_WINDOWS_DEPS)
    set(PARLEVO_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps/prefix")
endif()
get_filename_component(PARLEVO_WINDOWS_DEPS "${PARLEVO_WINDOWS_DEPS}" ABSOLUTE)
# try_compile projects read this file again; they need the same value.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PARLEVO_WINDOWS_DEPS)

# zlib sits beside the prefix (Qt's modules must not see its header); QuaZip needs it.
set(CMAKE_FIND_ROOT_PATH "${PARLEVO_WINDOWS_DEPS}" "${PARLEVO_WINDOWS_DEPS}/../zlib" /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's Qt (the same version) runs moc, rcc and uic for the cross build.
set(QT_HOST_PATH /usr CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "")
