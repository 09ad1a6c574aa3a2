# One static library per folder of src/, built so that a layer can only see
# the headers of the layers below it.
#
# Every layer gets an include root of its own in the build tree holding links
# to its own folder and to the folders of the layers it names; nothing else is
# on its include path. An #include of a higher layer (or of a layer not named)
# therefore fails to compile instead of quietly creating a cycle.

set(MANDRELIX_INCLUDE_ROOTS ${CMAKE_BINARY_DIR}/layer-include)
set(MANDRELIX_ALL_SOURCES "")

# mandrelix_layer(<name> <lower layers...>)
function(mandrelix_layer name)
  set(root ${MANDRELIX_INCLUDE_ROOTS}/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(layer ${name} ${ARGN})
    if(NOT EXISTS ${root}/${layer})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
    endif()
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp)
  list(FILTER sources EXCLUDE REGEX ".*/src/app/main\\.cpp$")
  add_library(mandrelix_${name} STATIC ${sources})
  # The layer's own root only; the roots of the layers below come with them.
  target_include_directories(mandrelix_${name} PUBLIC ${root})
  target_compile_options(mandrelix_${name} PRIVATE ${MANDRELIX_NUMERIC_FLAGS})
  foreach(layer ${ARGN})
    target_link_libraries(mandrelix_${name} PUBLIC mandrelix_${layer})
  endforeach()
  set(MANDRELIX_ALL_SOURCES ${MANDRELIX_ALL_SOURCES} ${sources} PARENT_SCOPE)
endfunction()
