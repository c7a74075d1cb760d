# Cross build for another Linux machine with Debian's cross compiler for the GNU triplet in
# KURENAGI_CROSS (aarch64-linux-gnu, s390x-linux-gnu: a big-endian one); tests run under
# qemu-user.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KURENAGI_CROSS)
string(REGEX MATCH "^[^-]+" processor "${KURENAGI_CROSS}")
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${processor})
set(CMAKE_C_COMPILER ${KURENAGI_CROSS}-gcc)
set(CMAKE_CXX_COMPILER ${KURENAGI_CROSS}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${KURENAGI_CROSS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${processor} -L /usr/${KURENAGI_CROSS})
