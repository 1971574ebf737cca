# Programs and test executables of the Windows build.

# Windows test support: child processes and message boxes.
add_library(qv_test_support STATIC tests/support/child_process_win.cpp tests/support/system_read_win.cpp)
target_link_libraries(qv_test_support PUBLIC gtest)

add_executable(probe_program WIN32 tests/runtime/probe_program_win.cpp)
target_link_libraries(probe_program qv_runtime)

add_executable(pure_tests ${QV_NATIVE_TEST_SOURCES} tests/support/pure_tests_main_win.cpp)
target_link_libraries(pure_tests qv_installer_core qv_shell qv_payload gtest)

add_executable(runtime_tests tests/runtime/runtime_test_win.cpp tests/runtime/program_test_win.cpp
    tests/runtime/files_test_win.cpp tests/runtime/pinned_file_test_win.cpp
    tests/runtime/implementation_test_win.cpp
    tests/support/runtime_tests_main_win.cpp)
target_link_libraries(runtime_tests qv_runtime qv_test_support)
add_dependencies(runtime_tests probe_program)

# The same library twice: trusted in a subfolder, planted beside the tests.
foreach(variant trusted planted)
    add_library(qvplant_${variant} SHARED tests/runtime/plant_dll.c)
    set_target_properties(qvplant_${variant} PROPERTIES OUTPUT_NAME qvplant PREFIX "")
    target_link_options(qvplant_${variant} PRIVATE -Wl,--kill-at)
    add_dependencies(runtime_tests qvplant_${variant})
endforeach()
target_compile_definitions(qvplant_trusted PRIVATE PLANT_ID=1)
target_compile_definitions(qvplant_planted PRIVATE PLANT_ID=2)
set_target_properties(qvplant_trusted PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/trusted
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/trusted)

add_executable(installer_tests tests/installer/platform_test_win.cpp tests/support/installer_tests_main_win.cpp)
target_link_libraries(installer_tests qv_installer_core qv_test_support)

add_executable(cmdline_probe WIN32 tests/shell/cmdline_probe_win.cpp)
add_executable(shell_tests tests/shell/shell_test_win.cpp tests/support/shell_tests_main_win.cpp)
target_link_libraries(shell_tests qv_shell qv_test_support)
add_dependencies(shell_tests cmdline_probe)

add_library(qv_zip_builder STATIC tests/support/zip_builder.cpp tests/support/crafted_archives.cpp)
target_link_libraries(qv_zip_builder PUBLIC z)
add_executable(archive_tests tests/payload/archive_test_win.cpp tests/payload/component_test_win.cpp tests/support/archive_tests_main_win.cpp)
target_link_libraries(archive_tests qv_payload qv_zip_builder qv_test_support)
add_dependencies(archive_tests unpack)

add_executable(staging_tests tests/payload/staging_test_win.cpp tests/support/shell_tests_main_win.cpp)
target_link_libraries(staging_tests qv_payload qv_payload_data qv_shell qv_test_support)

add_executable(e2e_tests tests/e2e/e2e_support_win.cpp tests/e2e/install_test_win.cpp
    tests/e2e/uninstall_test_win.cpp tests/e2e/planting_test_win.cpp tests/e2e/elevation_test_win.cpp)
target_link_libraries(e2e_tests qv_test_support qv_zip_builder ole32 shell32)
# Planted beside copies of the shipped programs under system library names.
add_library(qvmarker SHARED tests/e2e/marker_dll.c)
set_target_properties(qvmarker PROPERTIES PREFIX "")
add_dependencies(e2e_tests qvmarker unpack)

add_executable(show_install tests/e2e/show_install_win.cpp)
target_link_libraries(show_install qv_test_support ole32 shell32)

# Benchmark harness: peak memory of a program.
add_executable(memwatch bench/memwatch_win.cpp)
target_link_libraries(memwatch psapi)
