# Copies SOURCE to TARGET unless TARGET exists: the program's bank holds the student's
# records and is never replaced by a rebuilt one.
if(NOT EXISTS "${TARGET}")
  get_filename_component(dir "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
