# WebAssembly build of the core for the page, with Debian's clang 14, wasi-libc
# and libc++ for wasm32. The module has no entry point and starts no C runtime:
# the page calls its exported functions directly.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_SYSROOT /usr)
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -flto")
# The smallest code: the module is inlined in a page held under 200 KiB, and
# at -Oz it is a fifth smaller than at -Os for a Monte Carlo run about a tenth slower.
set(CMAKE_CXX_FLAGS_MINSIZEREL "-Oz -DNDEBUG" CACHE STRING "Flags of the page's module")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-flto -nostartfiles -Wl,--no-entry -Wl,--gc-sections -Wl,--strip-all")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
