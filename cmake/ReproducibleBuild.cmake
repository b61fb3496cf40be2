# Byte-identical programs from the same sources, whatever the folder or the hour of
# the build (tools/check-reproducible.sh compares two clean builds):
#   - __DATE__ and __TIME__ (the framework's Time::getCompilationDate) come from
#     SOURCE_DATE_EPOCH, which GCC honours: the value in the environment at configure
#     time, else the time of the last commit when CMake last configured;
#   - source and build folders are written as "." and "build" wherever the compiler
#     records a path (__FILE__ in assertions, debug information);
#   - the MinGW linker leaves the PE header's time stamp at zero.
#
#   include(cmake/ReproducibleBuild.cmake)   # after the compiler launcher is chosen

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(vx_epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    find_package(Git QUIET)
    set(vx_epoch "")
    if(GIT_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
            WORKING_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
            OUTPUT_VARIABLE vx_epoch OUTPUT_STRIP_TRAILING_WHITESPACE
            ERROR_QUIET RESULT_VARIABLE vx_git_result)
        if(NOT vx_git_result EQUAL 0)
            set(vx_epoch "")
        endif()
    endif()
    # A source tree without history (an unpacked archive) still builds the same twice.
    if(vx_epoch STREQUAL "")
        set(vx_epoch 0)
    endif()
endif()
if(NOT vx_epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, got '${vx_epoch}'")
endif()
set(VX_SOURCE_DATE_EPOCH "${vx_epoch}")

# The compilers read SOURCE_DATE_EPOCH from their environment, so every compile runs
# through `cmake -E env`, ahead of ccache when there is one.
foreach(lang C CXX)
    set(CMAKE_${lang}_COMPILER_LAUNCHER
        "${CMAKE_COMMAND}" -E env "SOURCE_DATE_EPOCH=${VX_SOURCE_DATE_EPOCH}" ${CMAKE_${lang}_COMPILER_LAUNCHER})
endforeach()

# The build folder last: when it lies inside the source folder, the last matching map
# is the one the compiler applies.
add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX,ASM>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:C,CXX,ASM>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>")

if(MINGW)
    add_link_options(-Wl,--no-insert-timestamp)
endif()
