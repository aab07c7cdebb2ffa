# Every target of the project links tremolex_options: language level, warnings
# and sanitizers come from here, never from CMAKE_CXX_FLAGS.
add_library(tremolex_options INTERFACE)
target_compile_features(tremolex_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(tremolex_options INTERFACE -Wall -Wextra -Werror)

if(TREMOLEX_SANITIZE)
  target_compile_options(tremolex_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tremolex_options INTERFACE -fsanitize=address,undefined)
endif()
