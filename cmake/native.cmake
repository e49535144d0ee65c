# Native build of the platform-free logic: warnings, optional sanitizers, optional fuzzing.
option(NORVANEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(NORVANEX_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow)
target_compile_options(norvanex_logic PRIVATE -Wall -Wextra -Wpedantic -Wshadow)

set(_norvanex_san "")
if(NORVANEX_SANITIZE)
  list(APPEND _norvanex_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
if(NORVANEX_FUZZ)
  list(APPEND _norvanex_san -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
endif()
if(_norvanex_san)
  add_compile_options(${_norvanex_san})
  target_compile_options(norvanex_logic PRIVATE ${_norvanex_san})
  if(NORVANEX_SANITIZE)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# The help compiler's logic, unit-tested here; its program only where it can link (not in the
# fuzzing build, whose sanitizer runtime comes with the fuzzers).
add_subdirectory(tools/helpc)
