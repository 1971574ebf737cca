# The Windows programs' tests under Wine in throwaway prefixes made once per
# test run: 64-bit Windows (WOW64) and 32-bit Windows. Two implementations:
# the machine's own Wine 8 (tests wine64.*, wine32.*, wine.*) and the Wine 10
# of the Debian trixie tree scripts/setup makes at QV_WINE10_TREE (tests
# wine10-64.*, wine10-32.*, wine10.*). Each has its own prefixes.
set(QV_WINE10_TREE /var/cache/qv/wine10-trixie CACHE PATH
    "Debian tree holding Wine 10, as scripts/setup makes it (empty: no Wine 10 tests)")
set(QV_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
set(QV_WINE10_DIR ${CMAKE_BINARY_DIR}/wine10)

# qv_wine_names(IMPL BITS) sets in the caller: wine_test (the tests' name
# stem), wine_prefix (the prefix folder) and wine_lock (its lock).
macro(qv_wine_names impl bits)
    if("${impl}" STREQUAL "wine10")
        set(wine_test wine10-${bits})
        set(wine_prefix ${QV_WINE10_DIR}/prefix${bits})
    else()
        set(wine_test wine${bits})
        set(wine_prefix ${QV_WINE_DIR}/prefix${bits})
    endif()
    set(wine_lock ${wine_test}.prefix)
endmacro()

# qv_wine_implementation(TEST IMPL): the test runs under that implementation.
function(qv_wine_implementation test impl)
    if("${impl}" STREQUAL "wine10")
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT QV_WINE_TREE=${QV_WINE10_TREE})
    endif()
endfunction()

set(QV_WINE_IMPLS wine)
if(QV_WINE10_TREE)
    list(APPEND QV_WINE_IMPLS wine10)
endif()
foreach(impl ${QV_WINE_IMPLS})
    foreach(bits 64 32)
        qv_wine_names(${impl} ${bits})
        add_test(NAME ${wine_test}.prefix
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/make-prefix.sh ${wine_prefix} ${bits})
        set_tests_properties(${wine_test}.prefix PROPERTIES FIXTURES_SETUP ${wine_lock} RESOURCE_LOCK ${wine_lock})
        qv_wine_implementation(${wine_test}.prefix ${impl})
    endforeach()
endforeach()

# qv_wine_test(NAME PROGRAM [BITS 64 32] [IMPLS wine wine10] [LOCKS ...]
# [ARGS ...]): PROGRAM from the Windows build run in each prefix kind of each
# implementation (by default only the machine's own); its exit status
# decides.
function(qv_wine_test name program)
    cmake_parse_arguments(T "" "" "BITS;IMPLS;LOCKS;ARGS" ${ARGN})
    if(NOT T_BITS)
        set(T_BITS 64 32)
    endif()
    if(NOT T_IMPLS)
        set(T_IMPLS wine)
    endif()
    foreach(impl ${T_IMPLS})
        if(NOT impl IN_LIST QV_WINE_IMPLS)
            continue()
        endif()
        foreach(bits ${T_BITS})
            qv_wine_names(${impl} ${bits})
            add_test(NAME ${wine_test}.${name}
                     COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${wine_prefix} ${QV_WIN32_DIR}/${program} ${T_ARGS})
            set(locks ${wine_lock} ${T_LOCKS})
            set_tests_properties(${wine_test}.${name} PROPERTIES FIXTURES_REQUIRED ${wine_lock}
                                 RESOURCE_LOCK "${locks}" TIMEOUT 900)
            qv_wine_implementation(${wine_test}.${name} ${impl})
        endforeach()
    endforeach()
endfunction()

qv_wine_test(pure pure_tests.exe BITS 64)
qv_wine_test(runtime runtime_tests.exe IMPLS wine wine10)
qv_wine_test(installer installer_tests.exe IMPLS wine wine10)
qv_wine_test(shell shell_tests.exe IMPLS wine wine10)
qv_wine_test(archive archive_tests.exe IMPLS wine wine10)
# Both kinds of both implementations stage into the one program folder of
# the build.
qv_wine_test(staging staging_tests.exe IMPLS wine wine10 LOCKS program_folder)

# DOS times in a zone with daylight saving.
foreach(impl ${QV_WINE_IMPLS})
    foreach(bits 64 32)
        qv_wine_names(${impl} ${bits})
        add_test(NAME ${wine_test}.archive_dst
                 COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run.sh ${wine_prefix} ${QV_WIN32_DIR}/archive_tests.exe
                         --gtest_filter=*DaylightSaving*)
        set_tests_properties(${wine_test}.archive_dst PROPERTIES FIXTURES_REQUIRED ${wine_lock}
                             RESOURCE_LOCK ${wine_lock} TIMEOUT 900 FAIL_REGULAR_EXPRESSION "SKIPPED \\]"
                             ENVIRONMENT QV_TZ=Europe/Berlin)
        qv_wine_implementation(${wine_test}.archive_dst ${impl})
    endforeach()
endforeach()

# Archives made by other tools give the same files as Info-ZIP unzip.
add_test(NAME wine64.archive_interop
         COMMAND ${CMAKE_SOURCE_DIR}/tests/payload/interop.sh ${QV_WIN32_DIR} ${QV_WINE_DIR}/prefix64)
set_tests_properties(wine64.archive_interop PROPERTIES FIXTURES_REQUIRED wine64.prefix RESOURCE_LOCK wine64.prefix
                     TIMEOUT 900)

if(NOT PAYLOAD_ARCHIVE)
    # End to end with the sample product: install, again, faults, uninstall.
    qv_wine_test(e2e e2e_tests.exe IMPLS wine wine10
                 ARGS ${QV_WIN32_DIR}/quorvane-setup.exe ${QV_WIN32_DIR}/sample-payload.zip ${QV_WIN32_DIR}/sample-product)

    # The sample payload's shape, determinism and a clean image.
    add_test(NAME native.sample_payload
             COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/sample_payload.sh ${CMAKE_BINARY_DIR} ${QV_WIN32_DIR})

    # Through the publisher script, then installed in both prefix kinds:
    # signed installers, and Chinese names packed and checked.
    foreach(impl ${QV_WINE_IMPLS})
        qv_wine_names(${impl} 64)
        set(lock64 ${wine_lock})
        set(prefix64 ${wine_prefix})
        qv_wine_names(${impl} 32)
        foreach(script signing names)
            add_test(NAME ${impl}.${script}
                     COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/${script}.sh ${CMAKE_BINARY_DIR} ${QV_WIN32_DIR}
                             ${prefix64} ${wine_prefix})
            set_tests_properties(${impl}.${script} PROPERTIES FIXTURES_REQUIRED "${lock64};${wine_lock}"
                                 RESOURCE_LOCK "${lock64};${wine_lock};publish" TIMEOUT 1200)
            qv_wine_implementation(${impl}.${script} ${impl})
        endforeach()
    endforeach()
endif()
