# zr_append_container(TARGET tgt FILES f1 f2 ...)
#
# After each link of the module `tgt`, packs FILES (UTF-8 sources; relative
# paths are taken from the current source folder) into a library container and
# appends it to the module, window sources (.srw) named as windows (.win).
# The files are link dependencies of the module, so editing one relinks and
# repacks it. Stripping the module afterwards drops the container.
function(zr_append_container)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "" "TARGET" "FILES")
  if(NOT ARG_TARGET OR NOT TARGET ${ARG_TARGET})
    message(FATAL_ERROR "zr_append_container: TARGET must name an existing target")
  endif()
  if(NOT ARG_FILES)
    message(FATAL_ERROR "zr_append_container(${ARG_TARGET}): no FILES given")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zr_append_container(${ARG_TARGET}): unexpected arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  set(files)
  foreach(f IN LISTS ARG_FILES)
    get_filename_component(abs "${f}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND files "${abs}")
  endforeach()
  add_dependencies(${ARG_TARGET} zrpack)
  set_property(TARGET ${ARG_TARGET} APPEND PROPERTY LINK_DEPENDS ${files})
  add_custom_command(TARGET ${ARG_TARGET} POST_BUILD
    COMMAND $<TARGET_FILE:zrpack> --module $<TARGET_FILE:${ARG_TARGET}> --name-suffix-from-ext
            ${files}
    COMMENT "Appending the library container to ${ARG_TARGET}"
    VERBATIM)
endfunction()
