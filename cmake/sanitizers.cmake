if(ORDERDESK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# The thread sanitizer, for the threads that make a big file ready ahead of
# its first walk; it cannot be combined with the address sanitizer.
if(ORDERDESK_TSAN)
  if(ORDERDESK_SANITIZE)
    message(FATAL_ERROR "ORDERDESK_TSAN and ORDERDESK_SANITIZE cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# A fuzzing build: everything carries libFuzzer's coverage hooks and the
# address and undefined-behaviour sanitizers; only the fuzz programs link
# libFuzzer itself (tests/fuzz).
if(ORDERDESK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORDERDESK_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
