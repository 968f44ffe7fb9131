# 32-bit x86 Linux from the x86-64 host with g++-multilib. Marked as a cross
# build so that CTest and GoogleTest's discovery start every test binary
# through qemu-i386: the kernels we test on need not run 32-bit code.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# SSE2 floats (-msse2 -mfpmath=sse) are added by CMakeLists.txt for every
# 32-bit build; -m32 also reaches the link line through these flags.
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")

# The 32-bit libraries of g++-multilib live in /usr/lib32; the 64-bit ones
# must never be picked up.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

find_program(QUORVEL_QEMU_I386 qemu-i386)
if(NOT QUORVEL_QEMU_I386)
  message(FATAL_ERROR "qemu-i386 not found: run scripts/setup (Debian package qemu-user)")
endif()
# qemu-i386 finds /lib/ld-linux.so.2 and, through it, /usr/lib32 of the host.
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVEL_QEMU_I386})
