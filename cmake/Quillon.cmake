# Helpers shared by the project's CMake files.

# Puts a deliverable (exe or dll) into the runnable folder build/dist.
function(quillon_deliverable target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY "${QUILLON_DIST}"
    ARCHIVE_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/lib"
    PREFIX "")
endfunction()

# rapidxml is header-only; copy it so the cross build never sees the host's /usr/include.
set(QUILLON_RAPIDXML_INCLUDE "${CMAKE_BINARY_DIR}/include/rapidxml")
file(MAKE_DIRECTORY "${QUILLON_RAPIDXML_INCLUDE}/rapidxml")
foreach(h rapidxml.hpp rapidxml_utils.hpp rapidxml_print.hpp rapidxml_iterators.hpp)
  configure_file(/usr/include/rapidxml/${h} "${QUILLON_RAPIDXML_INCLUDE}/rapidxml/${h}" COPYONLY)
endforeach()
add_library(rapidxml INTERFACE)
target_include_directories(rapidxml INTERFACE "${QUILLON_RAPIDXML_INCLUDE}")
