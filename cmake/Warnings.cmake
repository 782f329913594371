# One warning set for every target of ours; errors in CI (ZR_WERROR=ON).
add_library(zr_warnings INTERFACE)
target_compile_options(zr_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wformat=2
  -Wimplicit-fallthrough)
if(ZR_WERROR)
  target_compile_options(zr_warnings INTERFACE -Werror)
endif()
