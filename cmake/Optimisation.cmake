# Optimisation per build type, for every target alike. The levels are the
# project's own rather than CMake's defaults (whose RelWithDebInfo is -O2),
# so they are set here over any cached value: the decoder and the encoder
# need the vectoriser's full effort, and one level for the whole build keeps
# inlined code in headers compiled the same in every library. Debug (the
# sanitizer builds too) stays unoptimised for the debugger.
#
# MELODUX_DEBUG_INFO chooses how much debug information the builds that carry
# it get: full for debugging, or line tables only, which are enough for a
# failure's backtrace and build a third faster (the CI presets).
set(MELODUX_DEBUG_INFO "-g" CACHE STRING "Debug information: -g, or -g1 for line tables only")
set_property(CACHE MELODUX_DEBUG_INFO PROPERTY STRINGS -g -g1)
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_DEBUG "-O0 ${MELODUX_DEBUG_INFO}")
  set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "-O3 ${MELODUX_DEBUG_INFO} -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_RELEASE "-O3 -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_MINSIZEREL "-Os -DNDEBUG")
endforeach()
