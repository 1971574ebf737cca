# The Windows build (cmake/windows.cmake) as a sub-build in build/win32, with
# the i686 cross compilers, after the host tools it packs the payload with.
include(ExternalProject)

set(PAYLOAD_ARCHIVE "" CACHE FILEPATH "ZIP archive embedded as the product (default: the sample product)")
set(QV_WIN32_DIR ${CMAKE_BINARY_DIR}/win32)

ExternalProject_Add(win32
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${QV_WIN32_DIR}
    CMAKE_ARGS
        -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/i686-w64-mingw32.cmake
        -DCMAKE_BUILD_TYPE=Release
        -DQV_HOST_DIR=${CMAKE_BINARY_DIR}
        -DPAYLOAD_ARCHIVE=${PAYLOAD_ARCHIVE}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD ON
)
if(TARGET qvpack)
    ExternalProject_Add_StepDependencies(win32 configure qvpack)
endif()

