# The German help pages under docs/help/ become ambertille.chm beside the
# program, as part of the default build. chmcmd resolves every file of the
# project relative to the project file, so it compiles a copy of the pages
# in the build folder.
find_program(CHMCMD_EXECUTABLE chmcmd)
if(NOT CHMCMD_EXECUTABLE)
    message(FATAL_ERROR "chmcmd (Debian package fp-utils) is needed to compile the help file")
endif()

set(HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/docs/help)
set(HELP_WORK_DIR ${CMAKE_BINARY_DIR}/chm-pages)
set(HELP_OUTPUT ${CMAKE_BINARY_DIR}/ambertille.chm)
file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${HELP_SOURCE_DIR}/*)
file(MAKE_DIRECTORY ${HELP_WORK_DIR})

add_custom_command(
    OUTPUT ${HELP_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${HELP_SOURCE_DIR} ${HELP_WORK_DIR}
    COMMAND ${CHMCMD_EXECUTABLE} --verbosity 0 ambertille.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_WORK_DIR}/ambertille.chm ${HELP_OUTPUT}
    WORKING_DIRECTORY ${HELP_WORK_DIR}
    DEPENDS ${HELP_SOURCES}
    COMMENT "Compiling the help file ambertille.chm"
    VERBATIM)
add_custom_target(help_file ALL DEPENDS ${HELP_OUTPUT})
