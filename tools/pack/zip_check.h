// Checks that the installer can extract an archive completely, with the
// extraction's own rules (payload/archive_rules.h), and that it has the
// shape the installer needs.
#pragma once

#include <string>
#include <vector>

#include "installer/product.h"
#include "tools/pack/zip_writer.h"

namespace qv::pack {

// Longest install root the installer uses.
inline constexpr const char* kLongestRoot = installer::kRoot64;

// Empty when the extraction would extract every entry of the archive below
// kLongestRoot; otherwise one message naming the archive or the first
// refused entry ("entry N \"NAME\": ...") with the words of the refusal.
std::string CheckExtractable(const std::string& bytes);

// CheckExtractable, then the names and the shape: every name well-formed
// code page 936 (the installer reads names so) and none marked UTF-8 unless
// plain ASCII; one top folder "Zentrel/" holding everything, with the files
// Zentrel.exe and Uninstall.exe directly in it.
std::string CheckArchive(const std::string& bytes);

// What an archive of these entries cannot hold: more than 65535 entries, or
// 4 GiB or more of data; empty when it can.
std::string CheckPackable(const std::vector<PackEntry>& entries);

}  // namespace qv::pack
