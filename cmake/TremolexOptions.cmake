# Every target of the project links tremolex_options: language level, warnings
# and sanitizers come from here, never from CMAKE_CXX_FLAGS.
add_library(tremolex_options INTERFACE)
target_compile_features(tremolex_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(tremolex_options INTERFACE -Wall -Wextra)
if(TREMOLEX_WERROR)
  target_compile_options(tremolex_options INTERFACE -Werror)
endif()
# GCC 12 at -O3 warns of overlapping copies inside std::string's own operator+ (GCC bug
# 105329, mended in 13): a false alarm on correct code, which -Werror would make a failure.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tremolex_options INTERFACE -Wno-restrict)
endif()

if(TREMOLEX_SANITIZE)
  target_compile_options(tremolex_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tremolex_options INTERFACE -fsanitize=address,undefined)
endif()

# libFuzzer: coverage on every library, the fuzzer's main only on the targets (they add
# -fsanitize=fuzzer themselves). Any undefined behaviour ends the run as a finding.
if(TREMOLEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TREMOLEX_FUZZ needs clang (use the fuzz preset)")
  endif()
  target_compile_options(tremolex_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)
  target_link_options(tremolex_options INTERFACE -fsanitize=address,undefined)
endif()
