# Cross build for the device: 32-bit ARM, hard-float, Debian's g++-arm-linux-gnueabihf.
# GNU cgicc and libcrypt come from Debian's armhf packages, unpacked by scripts/arm-sysroot into
# CONFIGWEB_ARM_SYSROOT (default: armhf-sysroot in the build folder), which this file
# creates when it is missing. Programs built here run on this machine through qemu-arm.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-arm)

if(NOT CONFIGWEB_ARM_SYSROOT)
    set(CONFIGWEB_ARM_SYSROOT "${CMAKE_BINARY_DIR}/armhf-sysroot")
endif()
# try_compile projects read this file again; they inherit the variable this way.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES CONFIGWEB_ARM_SYSROOT)
if(NOT EXISTS "${CONFIGWEB_ARM_SYSROOT}/usr/include/cgicc/Cgicc.h" OR
   NOT EXISTS "${CONFIGWEB_ARM_SYSROOT}/usr/include/crypt.h")
    execute_process(
        COMMAND "${CMAKE_CURRENT_LIST_DIR}/../scripts/arm-sysroot" "${CONFIGWEB_ARM_SYSROOT}"
        RESULT_VARIABLE sysrootStatus)
    if(NOT sysrootStatus EQUAL 0)
        message(FATAL_ERROR "scripts/arm-sysroot could not unpack cgicc and libcrypt for armhf")
    endif()
endif()

# The compiler's own libraries come from the cross toolchain; only cgicc and libcrypt from
# the sysroot.
set(CMAKE_FIND_ROOT_PATH "${CONFIGWEB_ARM_SYSROOT}" /usr/arm-linux-gnueabihf)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
