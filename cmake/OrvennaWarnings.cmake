# One INTERFACE target carries the warning flags; every target links it.
add_library(orvenna_warnings INTERFACE)
target_compile_options(orvenna_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Wno-missing-field-initializers
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)
