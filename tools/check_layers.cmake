# The include check of the layers: every #include "..." in a layer's sources
# must name a file of a layer it may include (the QZ_LAYERS table of the top
# CMakeLists.txt, passed in as LAYERS). Prints each wrong-way include and
# fails when there is one.
#   cmake -DROOT=<source folder> -DLAYERS=<table> -P tools/check_layers.cmake
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "usage: cmake -DROOT=... -DLAYERS=... -P check_layers.cmake")
endif()

# Layer folders, longest first, so "ui/screens" wins over a shorter match.
set(folders "")
foreach(entry IN LISTS LAYERS)
  string(REGEX MATCH "^([^:]+): (.*)$" _ "${entry}")
  list(APPEND folders "${CMAKE_MATCH_1}")
  string(REPLACE "/" "_" key "${CMAKE_MATCH_1}")
  string(REPLACE " " ";" allowed_${key} "${CMAKE_MATCH_2}")
endforeach()
list(SORT folders COMPARE STRING ORDER DESCENDING)

# The layer a path inside the tree belongs to, or "" for none.
function(layer_of path out)
  set(${out} "" PARENT_SCOPE)
  foreach(f IN LISTS folders)
    string(LENGTH "${f}/" n)
    string(SUBSTRING "${path}" 0 ${n} head)
    if(head STREQUAL "${f}/")
      set(${out} "${f}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

set(wrong 0)
set(checked 0)
foreach(f IN LISTS folders)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${f}/*.cpp ${ROOT}/${f}/*.h ${ROOT}/${f}/*.c)
  foreach(file IN LISTS files)
    layer_of("${file}" own)
    if(NOT own STREQUAL f)
      continue()  # belongs to a deeper layer folder, checked with it
    endif()
    string(REPLACE "/" "_" key "${own}")
    file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
      set(target "${CMAKE_MATCH_1}")
      math(EXPR checked "${checked} + 1")
      layer_of("${target}" to)
      if(to STREQUAL "")
        continue()  # a file beside it or outside the layers (a generated file, a third-party header)
      endif()
      list(FIND allowed_${key} "${to}" at)
      if(at LESS 0)
        message("${file}: includes \"${target}\" (${own} may not include ${to})")
        math(EXPR wrong "${wrong} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(wrong GREATER 0)
  message(FATAL_ERROR "${wrong} include(s) run the wrong way across the layers")
endif()
message("layers: ${checked} includes checked, none runs the wrong way")
