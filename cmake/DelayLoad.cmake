# qvx_delay_load(TARGET DLL...): TARGET loads each system DLL at its first call
# rather than when the process starts. Under Wine every DLL a process imports
# adds to its start (user32 and ole32 tens of milliseconds each). The delay
# libraries are made once, at configure time, from the toolchain's import
# libraries, and are found ahead of them under the same names.
set(QVX_DELAY_LOAD_DIR "${CMAKE_BINARY_DIR}/delayload")

function(qvx_delay_load target)
    if(NOT MINGW)
        return()
    endif()
    foreach(dll IN LISTS ARGN)
        set(lib "${QVX_DELAY_LOAD_DIR}/lib${dll}.a")
        if(NOT EXISTS "${lib}")
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
            file(WRITE "${QVX_DELAY_LOAD_DIR}/${dll}.def" "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
            execute_process(COMMAND ${CMAKE_DLLTOOL} -d "${QVX_DELAY_LOAD_DIR}/${dll}.def" -y "${lib}"
                            RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "dlltool could not make ${lib}")
            endif()
        endif()
    endforeach()
    target_link_directories(${target} BEFORE PRIVATE "${QVX_DELAY_LOAD_DIR}")
    target_link_libraries(${target} PRIVATE delayimp)
endfunction()
