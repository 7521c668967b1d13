# qvx_delay_load(TARGET DLL...): TARGET loads each listed system DLL at its
# first call rather than when the process starts. Under Wine every DLL a
# process imports adds to its start (user32 and ole32 tens of milliseconds
# each). The delay libraries are made at configure time from the toolchain's
# import libraries, into a folder of the target's own that its link searches
# first, so they stand in for the listed DLLs' import libraries only.
function(qvx_delay_load target)
    if(NOT MINGW)
        return()
    endif()
    set(dir "${CMAKE_BINARY_DIR}/delayload/${target}")
    foreach(dll IN LISTS ARGN)
        set(lib "${dir}/lib${dll}.a")
        if(EXISTS "${lib}")
            continue()
        endif()
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                        OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
        execute_process(COMMAND ${CMAKE_NM} "${implib}" OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "cannot read ${implib}")
        endif()
        # Each function of the import library has an __imp_ pointer.
        string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
        list(TRANSFORM imports REPLACE " I __imp_" "")
        list(REMOVE_DUPLICATES imports)
        list(JOIN imports "\n" exports)
        file(WRITE "${dir}/${dll}.def" "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
        execute_process(COMMAND ${CMAKE_DLLTOOL} -d "${dir}/${dll}.def" -y "${lib}" RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dlltool could not make ${lib}")
        endif()
    endforeach()
    target_link_directories(${target} BEFORE PRIVATE "${dir}")
    target_link_libraries(${target} PRIVATE delayimp)
endfunction()
