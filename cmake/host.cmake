# Native build: pure logic under sanitizers, host tools, and the driver of
# the Windows builds and their Wine tests.
enable_testing()
find_package(GTest REQUIRED)

set(QV_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_library(qv_pure STATIC ${QV_PURE_SOURCES} runtime/memory_host.cpp)
target_compile_options(qv_pure PUBLIC ${QV_SANITIZE})
target_link_options(qv_pure PUBLIC ${QV_SANITIZE})

add_executable(native_tests ${QV_NATIVE_TEST_SOURCES})
target_link_libraries(native_tests qv_pure GTest::gtest GTest::gtest_main)
add_test(NAME native.unit COMMAND native_tests)

include(cmake/tools.cmake OPTIONAL)
include(cmake/windows_build.cmake)
include(cmake/wine.cmake)

# The tree is as clang-format writes it.
add_test(NAME native.format COMMAND ${CMAKE_SOURCE_DIR}/tests/tools/format.sh ${CMAKE_SOURCE_DIR})
