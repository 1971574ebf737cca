// The pure-logic tests, run as a Windows program on the runtime's heap.
#include <gtest/gtest.h>

#include "runtime/runtime_win.h"

const qv::ProgramDescription qv::kProgram = {};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
