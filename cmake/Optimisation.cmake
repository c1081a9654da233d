# Optimisation per build type, for every target alike. The levels are the
# project's own rather than CMake's defaults (whose RelWithDebInfo is -O2),
# so they are set here over any cached value: the decoder and the encoder
# need the vectoriser's full effort, and one level for the whole build keeps
# inlined code in headers compiled the same in every library. Debug (the
# sanitizer builds too) stays unoptimised for the debugger.
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_DEBUG "-O0 -g")
  set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "-O3 -g -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_RELEASE "-O3 -DNDEBUG")
  set(CMAKE_${lang}_FLAGS_MINSIZEREL "-Os -DNDEBUG")
endforeach()
