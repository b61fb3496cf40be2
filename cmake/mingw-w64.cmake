# Toolchain file: cross-compile for 64-bit Windows with MinGW-w64 (posix threads).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DVX_WINDOWS_DEPS_PREFIX=<prefix printed by tools/build-windows-deps.sh>
#
# Libraries and headers are searched only in the MinGW sysroot and in the
# prefix holding our own static libpng/libjpeg builds. Packages (find_package
# in CONFIG mode) are searched there first and then on the host, so the host's
# JUCE CMake package and its host-side juceaide tool are still found. Programs
# (Python, juceaide) always come from the host.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX_MINGW_TRIPLET x86_64-w64-mingw32)

# The toolchain file is read again for every try_compile project; carry the
# prefix over to those too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VX_WINDOWS_DEPS_PREFIX)
if(NOT VX_WINDOWS_DEPS_PREFIX AND DEFINED ENV{VX_WINDOWS_DEPS_PREFIX})
    set(VX_WINDOWS_DEPS_PREFIX "$ENV{VX_WINDOWS_DEPS_PREFIX}")
endif()
set(VX_WINDOWS_DEPS_PREFIX "${VX_WINDOWS_DEPS_PREFIX}" CACHE PATH
    "Install prefix of the static Windows libpng/libjpeg (tools/build-windows-deps.sh)")

find_program(VX_MINGW_CC ${VX_MINGW_TRIPLET}-gcc-posix)
find_program(VX_MINGW_CXX ${VX_MINGW_TRIPLET}-g++-posix)
find_program(VX_MINGW_RC ${VX_MINGW_TRIPLET}-windres)
foreach(tool VX_MINGW_CC VX_MINGW_CXX VX_MINGW_RC)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool}: MinGW-w64 tool not found "
                            "(Debian packages g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64)")
    endif()
endforeach()

set(CMAKE_C_COMPILER "${VX_MINGW_CC}")
set(CMAKE_CXX_COMPILER "${VX_MINGW_CXX}")
set(CMAKE_RC_COMPILER "${VX_MINGW_RC}")

set(CMAKE_FIND_ROOT_PATH "/usr/${VX_MINGW_TRIPLET}")
if(VX_WINDOWS_DEPS_PREFIX)
    list(PREPEND CMAKE_FIND_ROOT_PATH "${VX_WINDOWS_DEPS_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# JUCE is used from the host: its CMake package brings the module sources and
# the host-side juceaide tool. Debian installs the package below the host's
# multiarch folder, which a cross build does not search; point at it through
# JUCE_ROOT so no other host package becomes visible.
if(NOT DEFINED JUCE_ROOT AND NOT DEFINED JUCE_DIR)
    file(GLOB VX_HOST_JUCE_DIRS LIST_DIRECTORIES true
        "/usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake/JUCE-*"
        "/usr/local/lib/cmake/JUCE-*"
        "/usr/lib/cmake/JUCE-*")
    if(VX_HOST_JUCE_DIRS)
        set(JUCE_ROOT ${VX_HOST_JUCE_DIRS})
    endif()
endif()
set(CMAKE_POLICY_DEFAULT_CMP0074 NEW)

# The sysroot ships zlib both as import library and as archive; the
# executable must not depend on zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# Everything (libgcc, libstdc++, winpthread, zlib, png, jpeg) is linked in, so
# the executable needs nothing but the system DLLs of Windows. The platform
# module would replace *_STANDARD_LIBRARIES_INIT, so the cache entries are
# seeded directly. Only DLLs on Windows' KnownDLLs list are imported the usual
# way (uuid is a static library); the others JUCE needs (version, winmm,
# wininet, dxgi) are delay-imported by the project (cmake/DelayImports.cmake),
# and the sockets come from ws2_32 rather than its old wrapper wsock32.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -mwindows")
set(VX_MINGW_SYSTEM_LIBS
    -lkernel32 -luser32 -lgdi32 -lshell32 -lole32 -loleaut32 -luuid -lcomdlg32 -ladvapi32
    -lws2_32 -limm32 -lshlwapi -lrpcrt4)
list(JOIN VX_MINGW_SYSTEM_LIBS " " VX_MINGW_SYSTEM_LIBS)
set(CMAKE_C_STANDARD_LIBRARIES "${VX_MINGW_SYSTEM_LIBS}" CACHE STRING "Libraries linked into every C target")
set(CMAKE_CXX_STANDARD_LIBRARIES "${VX_MINGW_SYSTEM_LIBS}" CACHE STRING "Libraries linked into every C++ target")
