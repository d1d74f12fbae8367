# Address and undefined-behaviour sanitizers for every target, and the
# instrumentation libFuzzer needs on the core library when fuzzing.
if(LAUNCHER_SANITIZE OR LAUNCHER_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LAUNCHER_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LAUNCHER_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
