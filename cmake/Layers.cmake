# The core is cut into one library per subsystem, each linking only the layers
# below it. A library sees only its own source folder (and through its links
# those of the layers below): its include path is a folder of links made for
# it in the build tree, so a header included the wrong way is not found.
#
#   corvane_layer(<target> <folder>...)
#
# Folders are paths under src/; a path naming a file links just that file.
function(corvane_layer target)
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  foreach(folder ${ARGN})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
