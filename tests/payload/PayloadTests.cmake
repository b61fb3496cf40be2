# Tests of the embedded plug-in archives, included from tests/CMakeLists.txt.

# The unit test compares the embedded bytes with the files the build embedded.
list(GET VX_EMBEDDED_ARCHIVES 0 vx_test_vst3_archive)
list(GET VX_EMBEDDED_ARCHIVES 1 vx_test_clap_archive)
list(GET VX_EMBEDDED_ARCHIVES 2 vx_test_aax_archive)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/../test_format_archive.cpp PROPERTIES
    COMPILE_DEFINITIONS "VX_TEST_VST3_ARCHIVE=\"${vx_test_vst3_archive}\";VX_TEST_CLAP_ARCHIVE=\"${vx_test_clap_archive}\";VX_TEST_AAX_ARCHIVE=\"${vx_test_aax_archive}\"")

add_test(NAME payload_check_archives
    COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_CURRENT_LIST_DIR}/test_check_archives.py)
set_tests_properties(payload_check_archives PROPERTIES ENVIRONMENT
    "VX_CHECK_ARCHIVES=$<TARGET_FILE:vx_check_archives>")
add_test(NAME payload_pe_image
    COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_CURRENT_LIST_DIR}/test_pe_image.py)
add_test(NAME payload_layout
    COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_CURRENT_LIST_DIR}/test_payload_layout.py)
# Lists reach the test ':'-separated, like PATH.
string(REPLACE ";" ":" vx_test_archives "${VX_EMBEDDED_ARCHIVES}")
string(REPLACE ";" ":" vx_test_stand_ins "${VX_PAYLOAD_STAND_INS}")
set_tests_properties(payload_layout PROPERTIES ENVIRONMENT
    "VX_EMBEDDED_ARCHIVES=${vx_test_archives};VX_PAYLOAD_STAND_INS=${vx_test_stand_ins};VX_SMALL_PAYLOAD=${VX_SMALL_PAYLOAD}")
add_test(NAME payload_build
    COMMAND ${Python3_EXECUTABLE} -B ${CMAKE_CURRENT_LIST_DIR}/test_payload_build.py)
set_tests_properties(payload_build PROPERTIES ENVIRONMENT
    "VX_CMAKE_COMMAND=${CMAKE_COMMAND};VX_CMAKE_GENERATOR=${CMAKE_GENERATOR}")
