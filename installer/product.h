// The product's fixed facts, in one place for the installer, the payload
// validator, unpack.exe, the sample uninstaller, the end-to-end tests and the
// benchmarks (through `qvpack facts`). Pure: no system headers.
#pragma once

#include <cstdint>

// The short name: the product's folder below the install root and its program.
#define QV_SHORT_NAME "Zentrel"
#define QV_DISPLAY_NAME "Quorvane"
#define QV_COMPANY_FOLDER "Moranzo"
#define QV_MENU_FOLDER "Microsoft\\Windows\\Start Menu\\Programs\\" QV_DISPLAY_NAME

namespace qv::installer {

inline constexpr char kDisplayName[] = QV_DISPLAY_NAME;
inline constexpr char kPublisherDomain[] = "quorvane.com";
inline constexpr char kPublisherAddress[] = "https://www.quorvane.com/";
inline constexpr char kRoot64[] = "C:\\Program Files (x86)\\";
inline constexpr char kRoot32[] = "C:\\Program Files\\";

// Below the install root, and as the payload archive names them.
inline constexpr char kProductFolder[] = QV_SHORT_NAME;
inline constexpr char kProgram[] = QV_SHORT_NAME "\\" QV_SHORT_NAME ".exe";
inline constexpr char kUninstaller[] = QV_SHORT_NAME "\\Uninstall.exe";
inline constexpr char kArchiveTopFolder[] = QV_SHORT_NAME "/";
inline constexpr char kArchiveProgram[] = QV_SHORT_NAME "/" QV_SHORT_NAME ".exe";
inline constexpr char kArchiveUninstaller[] = QV_SHORT_NAME "/Uninstall.exe";

// The registry keys of the thirteen values, below HKEY_LOCAL_MACHINE.
#define QV_PRODUCT_KEY "SOFTWARE\\WOW6432Node\\Zentrel2.0"
#define QV_SETTINGS_KEY "SOFTWARE\\WOW6432Node\\Halvik\\Zentrel"
#define QV_UNINSTALL_KEY "SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentrel2.0"
inline constexpr char kProductKey[] = QV_PRODUCT_KEY;
inline constexpr char kSettingsKey[] = QV_SETTINGS_KEY;
inline constexpr char kUninstallKey[] = QV_UNINSTALL_KEY;

// Folder kinds of GetSpecialFolder that the installation uses.
inline constexpr int32_t kFolderDesktop = 3;
inline constexpr int32_t kFolderAppData = 8;

// Fixed paths below the application-data folder, and the launch link below
// the desktop folder.
inline constexpr char kCompanyFolder[] = QV_COMPANY_FOLDER;
inline constexpr char kStagingArchive[] = QV_COMPANY_FOLDER "\\" QV_DISPLAY_NAME ".zip";
inline constexpr char kMenuFolder[] = QV_MENU_FOLDER;
inline constexpr char kLaunchLink[] = QV_DISPLAY_NAME ".lnk";
inline constexpr char kUninstallLink[] = QV_DISPLAY_NAME "卸载.lnk";  // in the Start-menu folder

// The sample product's main window, which its uninstaller asks to close.
inline constexpr char kProductWindowClass[] = QV_SHORT_NAME "Main";

// Routine identifiers, as the error report names them.
inline constexpr uint32_t kInstallerSequenceId = 0x04010003;
inline constexpr uint32_t kRedirectionFirstId = 0x04010023;
inline constexpr uint32_t kRedirectionSecondId = 0x04010024;

// The host window and its archive component.
inline constexpr uint32_t kHostWindowId = 0x52010001;
inline constexpr uint32_t kArchiveComponentId = 0x16010043;

}  // namespace qv::installer
