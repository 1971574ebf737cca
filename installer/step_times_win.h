// Time stamps of the installation's steps, for the benchmark build only
// (QV_STEP_TIMES); in the installer every call is empty and no clock is read.
#pragma once

namespace qv::installer {

#ifdef QV_STEP_TIMES
// Records that the step named name ended now (system time).
void StampStep(const char* name);
// Writes the stamps, one "name seconds-since-1970" line each, to steps.txt in
// the program folder.
void WriteStepTimes();
#else
inline void StampStep(const char*) {}
inline void WriteStepTimes() {}
#endif

}  // namespace qv::installer
