# The sample product, the payload archive and the installer.

add_executable(Zentrel WIN32 sample/zentrel_win.cpp runtime/library_search_win.cpp runtime/terminate_win.cpp)
add_executable(Uninstall WIN32 sample/uninstall_win.cpp runtime/library_search_win.cpp runtime/text.cpp
    runtime/link_rules.cpp runtime/pinned_file_win.cpp runtime/user_rules.cpp runtime/user_token_win.cpp
    runtime/terminate_win.cpp)
foreach(program Zentrel Uninstall)
    set_target_properties(${program} PROPERTIES QV_SHIPPED ON)
    target_link_libraries(${program} ${qv_system})
endforeach()

set(QV_HOST_DIR "" CACHE PATH "Native build that holds qvpack and sample_filler")
set(PAYLOAD_ARCHIVE "" CACHE FILEPATH "ZIP archive embedded as the product (default: the sample product)")
set(QV_SAMPLE_MTIME 1729583490 CACHE STRING "Modification time of the sample product's files (seconds since 1970)")
set(qvpack ${QV_HOST_DIR}/qvpack)

if(PAYLOAD_ARCHIVE)
    set(payload ${PAYLOAD_ARCHIVE})
else()
    set(payload ${CMAKE_BINARY_DIR}/sample-payload.zip)
    set(sample_dir ${CMAKE_BINARY_DIR}/sample-product)
    add_custom_command(OUTPUT ${payload}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${sample_dir}
        COMMAND ${QV_HOST_DIR}/sample_filler ${sample_dir}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Zentrel> ${sample_dir}/Zentrel/Zentrel.exe
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Uninstall> ${sample_dir}/Zentrel/Uninstall.exe
        COMMAND ${qvpack} pack ${sample_dir} ${payload} --mtime ${QV_SAMPLE_MTIME}
        DEPENDS Zentrel Uninstall ${qvpack} ${QV_HOST_DIR}/sample_filler
        COMMENT "Packing the sample product")
endif()

# The build fails on a payload the installer could not extract completely.
set(payload_checked ${CMAKE_BINARY_DIR}/payload.checked)
add_custom_command(OUTPUT ${payload_checked}
    COMMAND ${qvpack} check ${payload}
    COMMAND ${CMAKE_COMMAND} -E touch ${payload_checked}
    DEPENDS ${payload} ${qvpack}
    COMMENT "Checking the payload archive")

add_library(qv_payload_data STATIC payload/payload_data.S)
target_compile_definitions(qv_payload_data PRIVATE "QV_PAYLOAD_FILE=\"${payload}\"")
set_source_files_properties(payload/payload_data.S PROPERTIES OBJECT_DEPENDS "${payload};${payload_checked}")

set(art_dir ${CMAKE_BINARY_DIR}/art)
add_custom_command(OUTPUT ${art_dir}/quorvane.ico ${art_dir}/component.bmp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${art_dir}
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make_art.py ${art_dir}/quorvane.ico ${art_dir}/component.bmp
    DEPENDS tools/make_art.py)
set_source_files_properties(installer/installer.rc PROPERTIES
    OBJECT_DEPENDS "${art_dir}/quorvane.ico;${art_dir}/component.bmp;${CMAKE_SOURCE_DIR}/installer/installer.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${art_dir} -I${CMAKE_SOURCE_DIR}/installer")

# terminate_win.cpp is linked as an object so that it replaces the library's handler.
add_executable(installer WIN32 installer/main_win.cpp installer/sequence_win.cpp installer/installer.rc
    runtime/terminate_win.cpp)
set_target_properties(installer PROPERTIES OUTPUT_NAME quorvane-setup QV_SHIPPED ON)
target_link_libraries(installer qv_installer_core qv_payload qv_shell qv_payload_data)
# The payload lies in the image and its one heap copy beside it: with the whole
# 4 GiB a 32-bit program gets on 64-bit Windows (and under Wine), the copy
# need not fit in what the image leaves of the lower 2 GiB.
target_link_options(installer PRIVATE -Wl,--large-address-aware)

# The same installer taking time stamps of its steps (bench/install).
add_executable(installer_timed WIN32 installer/main_win.cpp installer/sequence_win.cpp
    installer/step_times_win.cpp installer/installer.rc runtime/terminate_win.cpp)
set_target_properties(installer_timed PROPERTIES OUTPUT_NAME quorvane-setup-timed QV_SHIPPED ON)
target_compile_definitions(installer_timed PRIVATE QV_STEP_TIMES)
target_link_libraries(installer_timed qv_installer_core qv_payload qv_shell qv_payload_data)
target_link_options(installer_timed PRIVATE -Wl,--large-address-aware)
