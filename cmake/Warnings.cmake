# Applies the project's warning set to a target.
function(melodux_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                                           -Wcast-qual)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  else()
    target_compile_options(${target} PRIVATE -Wshadow)
  endif()
  # GCC 12 at -O3 reports overlapping copies inside std::string that cannot
  # happen (operator+ on a temporary, assignment from a literal; fixed in
  # GCC 13). ASan's overlap check covers real ones at run time.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo>:-Wno-restrict>)
  endif()
  if(MELODUX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
