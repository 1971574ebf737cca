// Fixed texts of the product.
#pragma once

#include <cstdint>

namespace qv::installer {

inline constexpr char kDisplayName[] = "Quorvane";
inline constexpr char kPublisherDomain[] = "quorvane.com";
inline constexpr char kPublisherAddress[] = "https://www.quorvane.com/";
inline constexpr char kRoot64[] = "C:\\Program Files (x86)\\";
inline constexpr char kRoot32[] = "C:\\Program Files\\";

// Folder kinds of GetSpecialFolder that the installation uses.
inline constexpr int32_t kFolderDesktop = 3;
inline constexpr int32_t kFolderAppData = 8;

// Fixed paths below the application-data folder, and the launch link below
// the desktop folder.
#define QV_MENU_FOLDER "Microsoft\\Windows\\Start Menu\\Programs\\Quorvane"
inline constexpr char kCompanyFolder[] = "Moranzo";
inline constexpr char kStagingArchive[] = "Moranzo\\Quorvane.zip";
inline constexpr char kMenuFolder[] = QV_MENU_FOLDER;
inline constexpr char kLaunchLink[] = "Quorvane.lnk";

// Routine identifiers, as the error report names them.
inline constexpr uint32_t kInstallerSequenceId = 0x04010003;
inline constexpr uint32_t kRedirectionFirstId = 0x04010023;
inline constexpr uint32_t kRedirectionSecondId = 0x04010024;

// The host window and its archive component.
inline constexpr uint32_t kHostWindowId = 0x52010001;
inline constexpr uint32_t kArchiveComponentId = 0x16010043;

}  // namespace qv::installer
