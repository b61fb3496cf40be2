# Windows resources of the installer executable: the manifest (administrator
# rights, Common Controls 6), the version resource and the application icon.
#
#   include(VxWindowsResources)
#   vx_add_windows_resources(<target> VERSION <major.minor.patch>)
#
# The icon is drawn at build time by tools/make_app_icon.py; the .rc is
# configured from resources/windows/vx_installer.rc.in into the build tree.

set(VX_WINDOWS_RESOURCES_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." CACHE INTERNAL "")

function(vx_add_windows_resources target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "VERSION" "")
    if(NOT ARG_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
        message(FATAL_ERROR "vx_add_windows_resources: VERSION must be major.minor.patch, got '${ARG_VERSION}'")
    endif()
    set(VX_RC_VERSION_MAJOR "${CMAKE_MATCH_1}")
    set(VX_RC_VERSION_MINOR "${CMAKE_MATCH_2}")
    set(VX_RC_VERSION_PATCH "${CMAKE_MATCH_3}")

    # Host interpreter: the cross toolchain searches programs on the host.
    find_package(Python3 REQUIRED COMPONENTS Interpreter)

    set(root "${VX_WINDOWS_RESOURCES_ROOT}")
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_windows_resources")
    set(icon_tool "${root}/tools/make_app_icon.py")
    set(VX_RC_ICON "${out}/vx_installer.ico")
    set(VX_RC_MANIFEST "${root}/resources/windows/vx_installer.manifest")
    file(REAL_PATH "${VX_RC_MANIFEST}" VX_RC_MANIFEST)

    add_custom_command(OUTPUT "${VX_RC_ICON}"
        COMMAND Python3::Interpreter "${icon_tool}" "${VX_RC_ICON}"
        DEPENDS "${icon_tool}"
        COMMENT "Drawing the application icon"
        VERBATIM)

    configure_file("${root}/resources/windows/vx_installer.rc.in" "${out}/vx_installer.rc" @ONLY)
    set_source_files_properties("${out}/vx_installer.rc" PROPERTIES
        OBJECT_DEPENDS "${VX_RC_ICON};${VX_RC_MANIFEST}")
    target_sources(${target} PRIVATE "${out}/vx_installer.rc" "${VX_RC_ICON}")
endfunction()
