# tsy_add_library(name DIRS d1 d2 ... [EXCLUDE files...] [EXTRA files...] LINK libs...)
# Every .cpp and .h directly inside the named folders belongs to the library,
# so a new file joins the build without touching this list.
function(tsy_add_library name)
  cmake_parse_arguments(A "" "" "DIRS;EXCLUDE;EXTRA;LINK" ${ARGN})
  set(srcs)
  foreach(d IN LISTS A_DIRS)
    file(GLOB found CONFIGURE_DEPENDS
      ${CMAKE_SOURCE_DIR}/${d}/*.cpp ${CMAKE_SOURCE_DIR}/${d}/*.h)
    list(APPEND srcs ${found})
  endforeach()
  foreach(x IN LISTS A_EXCLUDE)
    list(REMOVE_ITEM srcs ${CMAKE_SOURCE_DIR}/${x})
  endforeach()
  foreach(x IN LISTS A_EXTRA)
    list(APPEND srcs ${CMAKE_SOURCE_DIR}/${x})
  endforeach()
  # moc reruns only when a file it already knows changes; this stamp, rewritten
  # whenever the folder's list of files changes, makes it see added headers.
  set(stamp ${CMAKE_BINARY_DIR}/filelists/${name}.h)
  string(REPLACE ";" "\n// " listing "${srcs}")
  file(CONFIGURE OUTPUT ${stamp} CONTENT "// ${listing}\n")
  add_library(${name} STATIC ${srcs} ${stamp} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LINK})
endfunction()
