# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model, which std::thread needs).
# The libraries built for the target live in TAVREL_WINDOWS_PREFIX (set by scripts/build-windows); it is read
# from the environment so that try_compile projects see it too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVREL_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TAVREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVREL_MINGW_TRIPLET})
if(DEFINED ENV{TAVREL_WINDOWS_PREFIX})
    list(PREPEND CMAKE_FIND_ROOT_PATH $ENV{TAVREL_WINDOWS_PREFIX})
    # pkg-config must only see the target's .pc files, never the build machine's.
    set(ENV{PKG_CONFIG_LIBDIR} $ENV{TAVREL_WINDOWS_PREFIX}/lib/pkgconfig)
    set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
