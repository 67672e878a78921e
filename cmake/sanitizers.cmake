# Sanitizer and fuzzer instrumentation applies to everything we compile, so
# that a fault found in a test or a fuzz run points into our own sources.
if(OVCORE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# ThreadSanitizer cannot share a process with AddressSanitizer; it has a
# build of its own for the concurrency tests (make test-tsan).
if(OVCORE_TSAN)
  if(OVCORE_SANITIZE)
    message(FATAL_ERROR "OVCORE_TSAN and OVCORE_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=thread)
endif()

if(OVCORE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "OVCORE_FUZZ needs clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined
                      -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()
