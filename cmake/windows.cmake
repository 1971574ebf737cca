# Windows build (i686 for the program and its tests; x86_64 for speed figures).
enable_language(ASM)
enable_testing()

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
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

add_library(qv_runtime STATIC
    ${QV_RUNTIME_PURE}
    runtime/memory_win.cpp
    runtime/runtime_win.cpp
    runtime/declared_win.cpp
    runtime/declared_call.S
    runtime/files_win.cpp
)
target_link_libraries(qv_runtime PUBLIC ole32 oleaut32 uuid shell32 user32 gdi32 advapi32)

set(QV_MINIZIP_DIR /usr/local/src/minizip CACHE PATH "minizip sources (unzip.c, ioapi.c)")
add_library(qv_minizip STATIC payload/minizip_unzip.c ${QV_MINIZIP_DIR}/ioapi.c)
target_include_directories(qv_minizip PUBLIC ${QV_MINIZIP_DIR})
target_compile_definitions(qv_minizip PRIVATE NOUNCRYPT)
target_compile_options(qv_minizip PRIVATE -w)
target_link_libraries(qv_minizip PUBLIC z)

add_library(qv_payload STATIC ${QV_PAYLOAD_PURE} payload/archive_reader_win.cpp payload/extractor_win.cpp payload/zip_component_win.cpp)
target_link_libraries(qv_payload PUBLIC qv_runtime qv_minizip)

add_library(qv_staging STATIC payload/staging_win.cpp)
target_link_libraries(qv_staging PUBLIC qv_runtime qv_shell)

add_executable(unpack payload/unpack_main_win.cpp)
target_link_libraries(unpack qv_payload)

add_library(qv_shell STATIC ${QV_SHELL_PURE} shell/shell_win.cpp)
target_link_libraries(qv_shell PUBLIC qv_runtime)

add_library(qv_installer_core STATIC ${QV_INSTALLER_PURE} installer/platform_win.cpp)
target_link_libraries(qv_installer_core PUBLIC qv_runtime)

include(cmake/product.cmake)
include(cmake/windows_targets.cmake)
