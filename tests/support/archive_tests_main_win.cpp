#include <gtest/gtest.h>

#include "runtime/runtime_win.h"

static const qv::ProgramDescription kThisProgram = {};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qv::StartRuntime(kThisProgram);
    return RUN_ALL_TESTS();
}
