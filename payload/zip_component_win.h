// The archive component: a component type of the compression library whose
// one command is ExtractArchive, reporting progress as its event 1.
#pragma once

#include "payload/file_system.h"
#include "runtime/runtime_win.h"
#include "runtime/value.h"

namespace qv::payload {

extern const ComponentType kZipComponentType;
extern const SupportLibrary kCompressionLibrary;

// 1: component reference (window id low, component id high), 2: archive
// path, 3: target folder. result.i32: 1, 0 or -1 (see RunExtraction); -1
// without any event for a null path. A reference to no live component is
// the fatal error of LookupComponent.
void ExtractArchive(TypedValue* result, int argc, const TypedValue* args);

// ExtractArchive on another file system (the archive path is fs's name for it).
void ExtractArchiveFrom(const FileSystem& fs, TypedValue* result, int argc, const TypedValue* args);

// Builds a component reference.
TypedValue MakeComponentRef(uint32_t windowId, uint32_t componentId);

}  // namespace qv::payload
