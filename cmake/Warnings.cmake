# Applies the project's warning set to a target.
function(melodux_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
                                           -Wnon-virtual-dtor -Wcast-qual)
  if(MELODUX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
