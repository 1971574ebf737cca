# Host tools and checks built natively beside the unit tests.
include(cmake/minizip.cmake)

# The payload packer and validator, and the sample product's data files.
add_library(qv_pack STATIC tools/pack/zip_writer.cpp tools/pack/zip_check.cpp)
target_link_libraries(qv_pack PUBLIC qv_pure z)
add_executable(qvpack tools/pack/qvpack_main.cpp)
target_link_libraries(qvpack qv_pack)
add_executable(sample_filler sample/sample_filler.cpp)

add_executable(pack_tests tests/tools/pack_test.cpp)
target_link_libraries(pack_tests qv_pack GTest::gtest GTest::gtest_main)
add_test(NAME native.pack COMMAND pack_tests)
# make-installer's payload limit (it configures and builds qvpack in this build).
add_test(NAME native.payload_limit COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/payload_limit.sh ${CMAKE_BINARY_DIR})
set_tests_properties(native.payload_limit PROPERTIES RESOURCE_LOCK publish)

# The extraction's walk as shipped, natively over a file system in memory:
# the archive rules on crafted archives and the validator's agreement.
qv_minizip_library(qv_minizip_host)
add_library(qv_walk STATIC ${QV_PAYLOAD_WALK})
target_link_libraries(qv_walk PUBLIC qv_pure qv_minizip_host)
add_library(qv_memory_walk STATIC tests/support/memory_walk.cpp tests/support/memory_file_system.cpp
    tests/support/zip_builder.cpp tests/support/crafted_archives.cpp)
target_link_libraries(qv_memory_walk PUBLIC qv_walk)

add_executable(archive_rules_tests tests/payload/archive_rules_test.cpp tests/payload/walk_test.cpp)
target_link_libraries(archive_rules_tests qv_memory_walk qv_pack GTest::gtest GTest::gtest_main)
add_test(NAME native.archive_rules COMMAND archive_rules_tests)

# The fuzzers, a build of their own with Debian's clang and libFuzzer.
find_program(QV_CLANG clang)
find_program(QV_CLANGXX clang++)
if(QV_CLANG AND QV_CLANGXX)
    include(ExternalProject)
    set(QV_FUZZ_DIR ${CMAKE_BINARY_DIR}/fuzz)
    ExternalProject_Add(fuzzers
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${QV_FUZZ_DIR}
        CMAKE_ARGS -DCMAKE_C_COMPILER=${QV_CLANG} -DCMAKE_CXX_COMPILER=${QV_CLANGXX} -DQV_FUZZ_BUILD=ON
                   -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_MINIZIP_DIR=${QV_MINIZIP_DIR}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
    )
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-corpus)
    add_test(NAME native.fuzz.archive_format
             COMMAND ${QV_FUZZ_DIR}/archive_format_fuzz -max_total_time=30 -seed=1 -max_len=600
                     ${CMAKE_BINARY_DIR}/fuzz-corpus)

    # The whole walk, seeded with the crafted archives.
    add_executable(write_seeds tests/fuzz/write_seeds.cpp tests/support/crafted_archives.cpp
        tests/support/zip_builder.cpp)
    target_link_libraries(write_seeds z)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-walk-corpus ${CMAKE_BINARY_DIR}/fuzz-walk-seeds)
    add_test(NAME native.fuzz.archive_walk
             COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}
                     sh -c "$<TARGET_FILE:write_seeds> fuzz-walk-seeds && ${QV_FUZZ_DIR}/archive_walk_fuzz -max_total_time=30 -seed=1 -max_len=20000 -timeout=10 fuzz-walk-corpus fuzz-walk-seeds")
endif()
