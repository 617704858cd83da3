# Run by CPack on the staged files, before it moves the debug information to the -dbgsym
# package and strips the program: the compilers' version notes go too, as dh_strip does.
find_program(objcopy objcopy REQUIRED)
file(GLOB programs "${CPACK_TEMPORARY_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${objcopy} --remove-section=.comment ${program}
                  COMMAND_ERROR_IS_FATAL ANY)
endforeach()
