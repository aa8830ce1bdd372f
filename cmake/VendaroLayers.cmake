function(vendaro_warnings target)
  target_compile_options(${target} PRIVATE ${VENDARO_WARNINGS})
endfunction()

# Each layer's headers are included as "layer/name.h" through an include root
# of their own that holds that layer alone (a link made in the build tree).
# A target thus sees only its own layer and the layers it links, which are
# the ones below it: an include that crosses the layers the wrong way does
# not compile.
#
# EXACT: the layer's arithmetic is exact (sizes, positions, pixel values), so
# every narrowing conversion must be spelled out.
function(vendaro_layer target layer)
  cmake_parse_arguments(L "EXACT" "" "" ${ARGN})
  vendaro_warnings(${target})
  if(L_EXACT)
    target_compile_options(${target} PRIVATE -Wconversion)
  endif()
  set(root ${PROJECT_BINARY_DIR}/include-roots/${layer})
  if(NOT EXISTS ${root}/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
