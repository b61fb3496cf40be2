# Delay-import libraries for the Windows DLLs that are not on Windows' KnownDLLs list.
#
#   include(DelayImports)
#   vx_delay_imports(IMPORTS <lib>:<dll>...  [TARGETS <target>...]  [DROP <lib>...])
#
# makes a delay-import library for each <lib>:<dll> (version:version.dll), sets
# VX_DELAY_LIB_<lib> to its path, and in the link interface of each TARGET (the
# framework's module targets name the import libraries they need) puts it in place of
# <lib>; the libraries named after DROP are taken out of those interfaces.
#
# Windows looks for a DLL that is not a KnownDLL beside the program first. A static import
# of one would be loaded from there before any of the program's code could stop it, so the
# executable imports such DLLs only through delay-import libraries: the DLL is loaded on
# the first call into it, by which time the program has restricted the search to System32
# (platform/DllSearchGuardWindows.cpp). The helper the thunks call, __delayLoadHelper2, is
# in MinGW-w64's libmingwex, which the compiler links by default.
#
# Each library is made at configure time from the function exports of the toolchain's own
# import library lib<lib>.a, so it offers exactly what the ordinary import library does.

function(vx_delay_imports)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "" "" "IMPORTS;TARGETS;DROP")
    find_program(VX_MINGW_NM x86_64-w64-mingw32-nm REQUIRED)
    find_program(VX_MINGW_DLLTOOL x86_64-w64-mingw32-dlltool REQUIRED)
    set(out "${CMAKE_BINARY_DIR}/delay-imports")
    file(MAKE_DIRECTORY "${out}")
    set(delayed)
    foreach(pair IN LISTS ARG_IMPORTS)
        if(NOT pair MATCHES "^([A-Za-z0-9_]+):([A-Za-z0-9_.]+)$")
            message(FATAL_ERROR "vx_delay_imports: expected <lib>:<dll>, got '${pair}'")
        endif()
        set(lib "${CMAKE_MATCH_1}")
        set(dll "${CMAKE_MATCH_2}")
        find_library(VX_IMPORT_LIB_${lib} NAMES lib${lib}.a REQUIRED NO_CACHE)
        execute_process(COMMAND "${VX_MINGW_NM}" -g --defined-only "${VX_IMPORT_LIB_${lib}}"
            OUTPUT_VARIABLE symbols RESULT_VARIABLE failed ERROR_QUIET)
        if(failed)
            message(FATAL_ERROR "vx_delay_imports: cannot list ${VX_IMPORT_LIB_${lib}}")
        endif()
        # "0000000000000000 T GetFileVersionInfoW": a function's thunk, one per export.
        string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" thunks "${symbols}")
        set(def "LIBRARY ${dll}\nEXPORTS\n")
        foreach(thunk IN LISTS thunks)
            string(REGEX REPLACE "^[0-9a-f]+ T " "" name "${thunk}")
            string(APPEND def "    ${name}\n")
        endforeach()
        file(WRITE "${out}/${lib}.def" "${def}")
        set(delay_lib "${out}/lib${lib}_delay.a")
        # Relative names: dlltool makes its symbol names from them, and they end up in the
        # executable, which must not depend on the build folder.
        execute_process(COMMAND "${VX_MINGW_DLLTOOL}" --input-def "${lib}.def"
            --output-delaylib "lib${lib}_delay.a" WORKING_DIRECTORY "${out}" RESULT_VARIABLE failed)
        if(failed OR NOT EXISTS "${delay_lib}")
            message(FATAL_ERROR "vx_delay_imports: dlltool made no delay library for ${dll}")
        endif()
        set(VX_DELAY_LIB_${lib} "${delay_lib}" PARENT_SCOPE)
        set(delay_lib_${lib} "${delay_lib}")
        list(APPEND delayed ${lib})
    endforeach()

    foreach(target IN LISTS ARG_TARGETS)
        get_target_property(aliased ${target} ALIASED_TARGET)
        if(aliased)
            set(target ${aliased})
        endif()
        get_target_property(libs ${target} INTERFACE_LINK_LIBRARIES)
        if(NOT libs)
            continue()
        endif()
        set(rewritten)
        foreach(item IN LISTS libs)
            if(item IN_LIST ARG_DROP)
                continue()
            elseif(item IN_LIST delayed)
                list(APPEND rewritten "${delay_lib_${item}}")
            else()
                list(APPEND rewritten "${item}")
            endif()
        endforeach()
        set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES "${rewritten}")
    endforeach()
endfunction()
