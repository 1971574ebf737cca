// Shell tests run inside a started runtime, which initialises COM.
#include <gtest/gtest.h>

#include "runtime/runtime_win.h"
#include "shell/shell_win.h"

namespace {
const qv::SupportLibrary* const kLibraries[] = {&qv::shell::kShellLibrary};
}
static const qv::ProgramDescription kThisProgram = {nullptr, 0, kLibraries, 1, nullptr, 0};

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qv::StartRuntime(kThisProgram);
    return RUN_ALL_TESTS();
}
