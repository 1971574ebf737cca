#include <gtest/gtest.h>

#include "runtime/runtime_win.h"

const qv::ProgramDescription qv::kProgram = {};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qv::StartRuntime();
    return RUN_ALL_TESTS();
}
