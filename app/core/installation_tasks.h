#pragma once
// The four one-shot tasks of a start without "/StiDevice:", on Linux. They walk
// the imaging devices in the registry store and act on the maker's scanners:
// start a manager (or its configuration) for each, register the program for the
// user's logins, or clean up before removal.
//
// What stands for the still-image service's launch registration is an XDG
// autostart entry in the user's configuration that runs plain OBX at login
// (which starts a manager per scanner), plus the scanbd hook where scanbd is
// configured. The per-button event registrations are never made here, only
// removed.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/manager_interfaces.h"
#include "app/core/scanbd_hook.h"

namespace ostrel {

// A device belongs to the maker when its Vendor is this, ignoring case.
inline constexpr std::string_view kMakerVendor = "Norvane";
// The name of the launch registration: the autostart entry's file is
// "<name>.desktop", the same name the package's system-wide entry has, so the
// user's entry stands in for that one.
inline constexpr std::string_view kLaunchName = "ostrel";

// Where the still-image service kept the per-button event registrations, and
// where the class key of each lives (HKEY_CLASSES_ROOT is the machine's
// "SOFTWARE\Classes").
inline constexpr std::string_view kStiProxyEventKey =
    "SYSTEM\\CurrentControlSet\\Control\\StillImage\\Events\\STIProxyEvent";
inline constexpr std::string_view kClassIdKey = "SOFTWARE\\Classes\\CLSID";
inline constexpr std::string_view kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct InstallationParts {
  std::string programPath;    // OBX, started again for each scanner
  std::string programFolder;  // holds ostrel-device and the shipped scanbd files
  std::string scanbdFolder;   // scanbd's configuration
  // How long the clean-up keeps asking managers to close.
  std::chrono::milliseconds closeDeadline{std::chrono::seconds(10)};
  std::chrono::milliseconds closePause{std::chrono::milliseconds(100)};
  // How long the registration of new SANE scanners may take (network backends
  // are slow to answer).
  std::chrono::milliseconds saneDeadline{std::chrono::seconds(60)};
};

// $XDG_CONFIG_HOME/autostart/ostrel.desktop, else under ~/.config.
std::string autostartEntryPath();

// The text of a desktop entry that runs the program with the arguments.
std::string desktopEntry(std::string_view name, const std::string& program, const std::vector<std::string>& arguments);

// Moves a folder aside to "<folder>.before-YYYYMMDD-HHMMSS" (a "-2", "-3", ...
// behind when that name is taken); the new path, or empty when it could not be
// moved (the reason logged). A folder that does not exist is not moved.
std::string moveFolderAside(const std::string& folder);

// Deletes a folder with everything in it. A symbolic link inside is removed as
// a link: nothing it points to is touched, in the tree or outside it. False
// when something stayed (logged).
bool deleteFolderTree(const std::string& folder);

class LinuxInstallationTasks : public InstallationTasks {
 public:
  explicit LinuxInstallationTasks(InstallationParts parts) : parts_(std::move(parts)) {}

  void startAllManagers() override;
  void startAllConfigurations() override;
  void registerAfterInstall(std::string_view productCode) override;
  void cleanUpBeforeRemoval() override;

  // The scanner names (DriverDesc) of the managers that still answered when
  // the clean-up gave up; empty when all closed.
  const std::vector<std::string>& managersLeftRunning() const { return leftRunning_; }

 private:
  void registerNewSaneScanners();
  void startForEachScanner(std::string_view event);
  void closeAllManagers();
  void removeEventRegistrations();
  ScanbdHook scanbdHook() const { return {parts_.scanbdFolder, parts_.programFolder}; }

  InstallationParts parts_;
  std::vector<std::string> leftRunning_;
};

}  // namespace ostrel
