# Optimisation per build type. The whole build takes CMake's flags for its
# type (Debug -O0 for the debugger and the sanitizer builds, -O2 for the
# optimised types); code that needs the vectoriser's full effort is named
# here and gets -O3 in the optimised types only.
set(MELODUX_HOT_OPTIMISATION "$<$<CONFIG:Release,RelWithDebInfo>:-O3>")

# Gives a target's sources the optimised types' extra effort.
function(melodux_hot_code target)
  target_compile_options(${target} PRIVATE ${MELODUX_HOT_OPTIMISATION})
endfunction()
