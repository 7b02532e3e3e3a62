# Rooms: each folder of the code is a library, and its headers are open only to what links it.
#
#   zorvane_room(TARGET PUBLIC|PRIVATE FOLDER...)
#
# Each FOLDER is reached as "FOLDER/File.h" through a directory of links made for TARGET alone, so a
# file that includes a header of a room its target does not link fails to compile: the build keeps
# the rooms the folders promise. No target has the repository root as an include path.
function(zorvane_room target scope)
  set(dir ${PROJECT_BINARY_DIR}/rooms/${target})
  file(MAKE_DIRECTORY ${dir})
  foreach(folder ${ARGN})
    get_filename_component(parent ${dir}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${dir})
endfunction()
