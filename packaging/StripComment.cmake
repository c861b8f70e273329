# SPDX-License-Identifier: GPL-3.0-or-later
# Run by cpack on the staged files before it makes the packages (and splits
# off the debug symbols): every ELF file loses its .comment section, the
# compiler's name and version, which nothing reads at run time.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(path IN LISTS staged)
  if(IS_SYMLINK "${path}")
    continue()
  endif()
  file(READ "${path}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46")
    execute_process(COMMAND "${CPACK_OBJCOPY_EXECUTABLE}" --remove-section=.comment "${path}"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
