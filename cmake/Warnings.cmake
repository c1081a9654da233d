# Applies the project's warning set to a target.
function(melodux_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                                           -Wcast-qual)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wshadow=local)
  else()
    target_compile_options(${target} PRIVATE -Wshadow)
  endif()
  if(MELODUX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
