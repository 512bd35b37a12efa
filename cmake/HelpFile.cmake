# The German help pages under docs/help/ become ambertille.chm beside the
# program, as part of the default build. cmake/compile_help.py converts a
# copy of the pages to the code page the viewer reads them in, compiles it
# with chmcmd and clears the build time that chmcmd writes into the file.
find_program(CHMCMD_EXECUTABLE chmcmd)
if(NOT CHMCMD_EXECUTABLE)
    message(FATAL_ERROR "chmcmd (Debian package fp-utils) is needed to compile the help file")
endif()
find_program(PYTHON3_EXECUTABLE python3 REQUIRED)

set(HELP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/docs/help)
set(HELP_WORK_DIR ${CMAKE_BINARY_DIR}/chm-pages)
set(HELP_OUTPUT ${CMAKE_BINARY_DIR}/ambertille.chm)
set(HELP_COMPILER ${CMAKE_SOURCE_DIR}/cmake/compile_help.py)
file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${HELP_SOURCE_DIR}/*)

add_custom_command(
    OUTPUT ${HELP_OUTPUT}
    COMMAND ${PYTHON3_EXECUTABLE} ${HELP_COMPILER}
            ${CHMCMD_EXECUTABLE} ${HELP_SOURCE_DIR} ${HELP_WORK_DIR} ${HELP_OUTPUT}
    DEPENDS ${HELP_SOURCES} ${HELP_COMPILER}
    COMMENT "Compiling the help file ambertille.chm"
    VERBATIM)
add_custom_target(help_file ALL DEPENDS ${HELP_OUTPUT})
