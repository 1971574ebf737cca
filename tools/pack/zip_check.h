// Checks that the installer can extract an archive completely.
#pragma once

#include <string>

namespace qv::pack {

// Longest install root the installer uses.
inline constexpr char kLongestRoot[] = "C:\\Program Files (x86)\\";

// Empty when the archive is fit; otherwise one message naming the entry (or
// the archive) and the reason: not a single-disk ZIP without ZIP64, a first
// entry without a name, a method other than 0 or 8, encryption, a local
// header that disagrees with its central record, data that does not inflate
// or match its CRC-32, an absolute name or one with a ".." segment, or a name
// that with the install root would not fit 260 bytes.
std::string CheckArchive(const std::string& bytes);

}  // namespace qv::pack
