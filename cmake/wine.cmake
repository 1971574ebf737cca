# The Windows programs' tests under Wine in throwaway prefixes made once per
# test run: 64-bit Windows (WOW64) and 32-bit Windows.
set(QV_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
foreach(bits 64 32)
    add_test(NAME wine${bits}.prefix
             COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/make-prefix.sh ${QV_WINE_DIR}/prefix${bits} ${bits})
    set_tests_properties(wine${bits}.prefix PROPERTIES FIXTURES_SETUP prefix${bits} RESOURCE_LOCK prefix${bits})
endforeach()

# qv_wine_test(NAME PROGRAM [BITS 64 32] [ARGS ...]): PROGRAM from the Windows
# build run in each prefix kind; its exit status decides.
function(qv_wine_test name program)
    cmake_parse_arguments(T "" "" "BITS;ARGS" ${ARGN})
    if(NOT T_BITS)
        set(T_BITS 64 32)
    endif()
    foreach(bits ${T_BITS})
        add_test(NAME wine${bits}.${name}
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${QV_WINE_DIR}/prefix${bits}
                         ${QV_WIN32_DIR}/${program} ${T_ARGS})
        set_tests_properties(wine${bits}.${name} PROPERTIES FIXTURES_REQUIRED prefix${bits}
                             RESOURCE_LOCK prefix${bits} TIMEOUT 900)
    endforeach()
endfunction()

qv_wine_test(pure pure_tests.exe BITS 64)
qv_wine_test(runtime runtime_tests.exe)
qv_wine_test(installer installer_tests.exe)
qv_wine_test(shell shell_tests.exe)
qv_wine_test(archive archive_tests.exe)
# DOS times in a zone with daylight saving.
foreach(bits 64 32)
    add_test(NAME wine${bits}.archive_dst
             COMMAND ${CMAKE_COMMAND} -E env QV_TZ=Europe/Berlin ${CMAKE_SOURCE_DIR}/tests/wine/run.sh
                     ${QV_WINE_DIR}/prefix${bits} ${QV_WIN32_DIR}/archive_tests.exe --gtest_filter=*DaylightSaving*)
    set_tests_properties(wine${bits}.archive_dst PROPERTIES FIXTURES_REQUIRED prefix${bits}
                         RESOURCE_LOCK prefix${bits} TIMEOUT 900 FAIL_REGULAR_EXPRESSION "SKIPPED \\]")
endforeach()

# Archives made by other tools give the same files as Info-ZIP unzip.
add_test(NAME wine64.archive_interop
         COMMAND ${CMAKE_SOURCE_DIR}/tests/payload/interop.sh ${QV_WIN32_DIR} ${QV_WINE_DIR}/prefix64)
set_tests_properties(wine64.archive_interop PROPERTIES FIXTURES_REQUIRED prefix64 RESOURCE_LOCK prefix64 TIMEOUT 900)
qv_wine_test(staging staging_tests.exe)
# Both kinds stage into the one program folder of the build.
foreach(bits 64 32)
    set_tests_properties(wine${bits}.staging PROPERTIES RESOURCE_LOCK "prefix${bits};program_folder")
endforeach()

# End to end with the sample product: install, again, faults, uninstall.
if(NOT PAYLOAD_ARCHIVE)
    qv_wine_test(e2e e2e_tests.exe ARGS ${QV_WIN32_DIR}/quorvane-setup.exe ${QV_WIN32_DIR}/sample-payload.zip
                 ${QV_WIN32_DIR}/sample-product)
endif()

# The sample payload's shape, determinism and a clean image.
if(NOT PAYLOAD_ARCHIVE)
    add_test(NAME native.sample_payload
             COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/sample_payload.sh ${CMAKE_BINARY_DIR} ${QV_WIN32_DIR})
endif()

# Signed installers through the publisher script.
if(NOT PAYLOAD_ARCHIVE)
    add_test(NAME wine.signing
             COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/signing.sh ${CMAKE_BINARY_DIR} ${QV_WIN32_DIR}
                     ${QV_WINE_DIR}/prefix64 ${QV_WINE_DIR}/prefix32)
    set_tests_properties(wine.signing PROPERTIES FIXTURES_REQUIRED "prefix64;prefix32"
                         RESOURCE_LOCK "prefix64;prefix32;publish" TIMEOUT 1200)
    # Chinese names packed, checked and installed in both prefix kinds.
    add_test(NAME wine.names
             COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/names.sh ${CMAKE_BINARY_DIR} ${QV_WIN32_DIR}
                     ${QV_WINE_DIR}/prefix64 ${QV_WINE_DIR}/prefix32)
    set_tests_properties(wine.names PROPERTIES FIXTURES_REQUIRED "prefix64;prefix32"
                         RESOURCE_LOCK "prefix64;prefix32;publish" TIMEOUT 1200)
endif()
