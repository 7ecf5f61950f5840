# examprep_layouts(<target> <file>...)
#
# Compiles stored layouts into <target> as RCDATA resources, each named after the class of
# the file's root object (the first "object Name: TClass" line; "inherited" and "inline"
# count too), which is the name the layout reader looks the layout up by. The resource
# script is generated in the build folder; the target is rebuilt when a layout changes and
# CMake runs again when one is edited (its class could have changed).
function(examprep_layouts target)
  set(script "")
  set(layouts "")
  foreach(file IN LISTS ARGN)
    get_filename_component(path "${file}" ABSOLUTE)
    if(NOT EXISTS "${path}")
      message(FATAL_ERROR "examprep_layouts: ${file} does not exist")
    endif()
    file(STRINGS "${path}" header LIMIT_COUNT 1
         REGEX "(object|inherited|inline)[ \t]+[A-Za-z_0-9]*[ \t]*:[ \t]*[A-Za-z_][A-Za-z_0-9]*")
    if(NOT header MATCHES ":[ \t]*([A-Za-z_][A-Za-z_0-9]*)")
      message(FATAL_ERROR "examprep_layouts: ${file} does not start with 'object Name: TClass'")
    endif()
    set(class "${CMAKE_MATCH_1}")
    file(TO_CMAKE_PATH "${path}" rcpath)
    string(APPEND script "${class} RCDATA \"${rcpath}\"\n")
    list(APPEND layouts "${path}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
  endforeach()
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_layouts.rc")
  file(CONFIGURE OUTPUT "${rc}" CONTENT "${script}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS ${layouts})
endfunction()
