# Libraries imported the usual way are loaded when the program starts,
# before any of its code could restrict where they are looked for; so are
# the libraries they import in turn. comctl32 and version are not among the
# system's known DLLs, and shell32 and comdlg32 bring in comctl32, which
# brings in uxtheme: a planted "version.dll" or "uxtheme.dll" beside the
# program (a Downloads folder, a stick) would run. These libraries are
# therefore loaded at their first call, after start-up has restricted the
# search to the system folder. The dialogs' libraries then also stay out of
# a start that only shows the icon.
#
# MinGW: an import library that loads lazily is made from the list of the
# regular one's exports. MSVC: the linker's /DELAYLOAD does the same.
set(AMBERTILLE_DELAYED_LIBS comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 version)

function(ambertille_delay_load_libraries out_var)
    if(MSVC)
        set(options)
        foreach(lib IN LISTS AMBERTILLE_DELAYED_LIBS)
            list(APPEND options "/DELAYLOAD:${lib}.dll")
        endforeach()
        set(${out_var} ${AMBERTILLE_DELAYED_LIBS} delayimp PARENT_SCOPE)
        set(AMBERTILLE_DELAY_LINK_OPTIONS ${options} PARENT_SCOPE)
        return()
    endif()
    set(libs)
    foreach(lib IN LISTS AMBERTILLE_DELAYED_LIBS)
        find_library(AMBERTILLE_IMPORT_${lib} ${lib} REQUIRED)
        execute_process(COMMAND ${CMAKE_NM} -g ${AMBERTILLE_IMPORT_${lib}}
            OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "cannot list the exports of ${AMBERTILLE_IMPORT_${lib}}")
        endif()
        string(REGEX MATCHALL "__imp_[A-Za-z0-9_@]+" imports "${symbols}")
        list(TRANSFORM imports REPLACE "^__imp_" "    ")
        list(REMOVE_DUPLICATES imports)
        list(JOIN imports "\n" exports)
        set(def ${CMAKE_BINARY_DIR}/delayload/${lib}.def)
        file(WRITE ${def} "LIBRARY ${lib}.dll\nEXPORTS\n${exports}\n")
        set(delaylib ${CMAKE_BINARY_DIR}/delayload/lib${lib}_delay.a)
        add_custom_command(OUTPUT ${delaylib}
            COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${lib}.dll --output-delaylib ${delaylib}
            DEPENDS ${def} VERBATIM)
        add_custom_target(delayload_${lib} DEPENDS ${delaylib})
        add_library(ambertille_delay_${lib} STATIC IMPORTED GLOBAL)
        set_target_properties(ambertille_delay_${lib} PROPERTIES IMPORTED_LOCATION ${delaylib})
        add_dependencies(ambertille_delay_${lib} delayload_${lib})
        list(APPEND libs ambertille_delay_${lib})
    endforeach()
    set(${out_var} ${libs} PARENT_SCOPE)
    set(AMBERTILLE_DELAY_LINK_OPTIONS "" PARENT_SCOPE)
endfunction()
