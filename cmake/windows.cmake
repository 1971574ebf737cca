# Windows build (i686 for the program and its tests; x86_64 for speed figures).
enable_language(ASM)
enable_testing()

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# System functions declared without dllimport: a call then goes through the
# import library's stub, which for a delay-load library is the thunk that
# loads the DLL (an i686 dllimport call would jump through the still empty
# delay slot instead).
add_compile_definitions(DECLSPEC_IMPORT=)
# Reproducible images: no build paths, no time stamp.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -Wl,--gc-sections)
# Small images: the installer is its payload plus as little as possible.
add_compile_options(-Os -ffunction-sections -fno-asynchronous-unwind-tables
                    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_link_options(-s)
endif()

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# System libraries. The programs we ship (target property QV_SHIPPED) import
# only KERNEL32 and the C runtime at start; every other system library is a
# delay-load import, loaded on first call, after start-up has restricted the
# library search to System32. Test programs import them as usual.
set(QV_SYSTEM_DLLS ole32 oleaut32 shell32 user32 gdi32 advapi32)
string(REGEX REPLACE "gcc(-posix)?$" "" QV_TOOL_PREFIX "${CMAKE_C_COMPILER}")
get_filename_component(QV_TOOL_PREFIX "${QV_TOOL_PREFIX}" NAME)
set(delay_dir ${CMAKE_BINARY_DIR}/delay)
set(delay_libs)
foreach(dll ${QV_SYSTEM_DLLS})
    set(lib ${delay_dir}/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${lib}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${delay_dir}
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-delaylib.sh ${QV_TOOL_PREFIX} ${dll}.dll ${lib}
        DEPENDS cmake/make-delaylib.sh
        COMMENT "Delay-load import library for ${dll}.dll")
    list(APPEND delay_libs ${lib})
endforeach()
add_custom_target(qv_delay_libs DEPENDS ${delay_libs})
add_library(qv_system_delayed INTERFACE)
target_link_libraries(qv_system_delayed INTERFACE ${delay_libs} uuid)
add_dependencies(qv_system_delayed qv_delay_libs)
add_library(qv_system_imported INTERFACE)
target_link_libraries(qv_system_imported INTERFACE ${QV_SYSTEM_DLLS} uuid)
set(qv_system "$<IF:$<BOOL:$<TARGET_PROPERTY:QV_SHIPPED>>,qv_system_delayed,qv_system_imported>")

add_library(qv_runtime STATIC
    ${QV_RUNTIME_PURE}
    runtime/library_search_win.cpp
    runtime/memory_win.cpp
    runtime/runtime_win.cpp
    runtime/declared_win.cpp
    runtime/declared_call.S
    runtime/files_win.cpp
    runtime/pinned_file_win.cpp
    runtime/user_token_win.cpp
)
target_link_libraries(qv_runtime PUBLIC ${qv_system})

include(cmake/minizip.cmake)
qv_minizip_library(qv_minizip)

add_library(qv_payload STATIC ${QV_PAYLOAD_PURE} ${QV_PAYLOAD_WALK} payload/file_system_win.cpp
    payload/zip_component_win.cpp payload/staging_win.cpp)
target_link_libraries(qv_payload PUBLIC qv_runtime qv_minizip)

add_executable(unpack payload/unpack_main_win.cpp)
set_target_properties(unpack PROPERTIES QV_SHIPPED ON)
target_link_libraries(unpack qv_payload)

add_library(qv_shell STATIC ${QV_SHELL_PURE} shell/shell_win.cpp)
target_link_libraries(qv_shell PUBLIC qv_runtime)

add_library(qv_installer_core STATIC ${QV_INSTALLER_PURE} installer/platform_win.cpp)
target_link_libraries(qv_installer_core PUBLIC qv_runtime)

include(cmake/product.cmake)
include(cmake/windows_targets.cmake)
