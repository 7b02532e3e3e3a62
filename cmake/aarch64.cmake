# Toolchain for 64-bit ARM: Debian's cross compiler against an arm64 Debian tree (scripts/aarch64.sh makes it).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64.cmake -DZORVANE_SYSROOT=DIR ...
#
# The host's own -dev packages stay amd64: SDL 1.2's cannot be installed for two architectures at once,
# so every arm64 header, library and .pc file comes from DIR, and the programs run under qemu with DIR
# as their root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The compiler checks configure projects of their own, which see this file but not the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZORVANE_SYSROOT)
if(NOT ZORVANE_SYSROOT AND DEFINED ENV{ZORVANE_SYSROOT})
  set(ZORVANE_SYSROOT $ENV{ZORVANE_SYSROOT})
endif()
if(NOT IS_DIRECTORY "${ZORVANE_SYSROOT}/usr/lib/aarch64-linux-gnu")
  message(FATAL_ERROR "ZORVANE_SYSROOT must name an arm64 Debian tree; scripts/aarch64.sh makes one")
endif()
set(CMAKE_SYSROOT ${ZORVANE_SYSROOT})
# Passed to the compiler checks through the environment too, so their own runs of this file find it.
set(ENV{ZORVANE_SYSROOT} ${ZORVANE_SYSROOT})

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the tree's .pc files and puts the tree in front of the paths they give.
set(ENV{PKG_CONFIG_DIR} "")
set(ENV{PKG_CONFIG_LIBDIR}
  "${ZORVANE_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${ZORVANE_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${ZORVANE_SYSROOT})

find_program(ZORVANE_QEMU NAMES qemu-aarch64-static qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZORVANE_QEMU} -L ${ZORVANE_SYSROOT})
