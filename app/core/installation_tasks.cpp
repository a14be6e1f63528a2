#include "app/core/installation_tasks.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>
#include <thread>

#include "app/core/product_version.h"
#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/manager_channel.h"
#include "platform/registry_store.h"
#include "platform/shell_execute.h"
#include "platform/staged_file.h"
#include "platform/text.h"
#include "app/core/manager_messages.h"
#include "scanners/protocol/imaging_devices.h"

namespace ostrel {

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegistryKey;

constexpr const char* kManagerEvent = "{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}";
constexpr const char* kConfigurationEvent = "Configuration";
constexpr const char* kDeviceTool = "ostrel-device";

std::string userDataFolder() { return platform::joinPath(platform::appDataFolder(), "Ostrel"); }

std::vector<ImagingDevice> makerDevices() {
  const ImagingDeviceList list = listImagingDevices();
  if (list.status == DeviceListStatus::StoreUnavailable) {
    Log("Ostrel cannot read the registry store in " + platform::registryFolder() + ".");
  }
  std::vector<ImagingDevice> devices;
  for (const ImagingDevice& device : list.devices) {
    if (platform::equalsNoCase(device.vendor, kMakerVendor)) devices.push_back(device);
  }
  return devices;
}

// A value of a desktop entry's Exec key: quoted when it holds anything the
// launcher would split or expand, '%' doubled for the field codes, then the
// backslashes doubled once more for the string escapes of the file.
std::string execArgument(const std::string& argument) {
  std::string quoted;
  bool needsQuotes = argument.empty();
  for (char c : argument) {
    if (std::strchr(" \t\n\"'\\><~|&;$*?#()`=", c)) needsQuotes = true;
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    quoted += c == '%' ? "%%" : std::string(1, c);
  }
  if (needsQuotes) quoted = '"' + quoted + '"';
  std::string escaped;
  for (char c : quoted) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return escaped;
}

std::string localTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

// Removes one entry found in a tree: a folder (never a link to one) with its
// content, anything else as itself. Counts what could not be removed.
void removeEntry(const fs::path& path, int& failures) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error) return;
  if (fs::is_directory(status)) {
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
      removeEntry(it->path(), failures);
    }
    if (error) {
      Log("Ostrel cannot list " + path.string() + ": " + error.message());
      ++failures;
    }
  }
  if (!fs::remove(path, error) && error) {
    Log("Ostrel cannot delete " + path.string() + ": " + error.message());
    ++failures;
  }
}

// "10 s", "0.6 s".
std::string secondsText(std::chrono::milliseconds duration) {
  const auto tenths = duration.count() / 100;
  return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " s";
}

}  // namespace

std::string autostartEntryPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string folder = config && *config ? config : platform::homeFolder() + "/.config";
  return folder + "/autostart/" + std::string(kLaunchName) + ".desktop";
}

std::string desktopEntry(std::string_view name, const std::string& program, const std::vector<std::string>& arguments) {
  std::string exec = execArgument(program);
  for (const std::string& argument : arguments) exec += " " + execArgument(argument);
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=" + std::string(name) + "\n"
         "Comment=Starts the button manager of every scanner\n"
         "Exec=" + exec + "\n"
         "Icon=ostrel\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string moveFolderAside(const std::string& folder) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(folder, error))) return {};
  const std::string base = folder + ".before-" + localTimeStamp();
  std::string aside = base;
  for (int n = 2; fs::exists(fs::symlink_status(aside, error)); ++n) aside = base + "-" + std::to_string(n);
  fs::rename(folder, aside, error);
  if (error) {
    Log("Ostrel cannot move " + folder + " aside to " + aside + ": " + error.message());
    return {};
  }
  return aside;
}

bool deleteFolderTree(const std::string& folder) {
  int failures = 0;
  removeEntry(folder, failures);
  return failures == 0;
}

void LinuxInstallationTasks::registerNewSaneScanners() {
  const std::string tool = platform::joinPath(parts_.programFolder, kDeviceTool);
  if (!platform::fileExists(tool)) {
    Log("Ostrel cannot look for new SANE scanners: " + tool + " is missing.");
    return;
  }
  const auto output = platform::captureOutput(tool, {"add-new-sane"}, parts_.saneDeadline);
  if (!output) {
    Log("Ostrel could not look for new SANE scanners: " + tool + " failed or took too long.");
    return;
  }
  std::istringstream lines(*output);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) Log(line);
  }
}

void LinuxInstallationTasks::startForEachScanner(std::string_view event) {
  int started = 0;
  for (const ImagingDevice& device : makerDevices()) {
    if (device.deviceId.empty()) continue;
    const std::string parameters = "/StiDevice:" + device.deviceId + " /StiEvent:" + std::string(event);
    const platform::Started copy = platform::startDetached(parts_.programPath, {parameters});
    if (copy) {
      Log("Ostrel starts " + parameters);
      ++started;
    } else {
      Log("Ostrel cannot start " + parts_.programPath + " for " + device.deviceId + ": " + copy.reason);
    }
  }
  if (started == 0) Log("Ostrel found no scanner of " + std::string(kMakerVendor) + ".");
}

void LinuxInstallationTasks::startAllManagers() {
  // A scanner plugged in since the last login gets its manager now.
  registerNewSaneScanners();
  startForEachScanner(kManagerEvent);
}

void LinuxInstallationTasks::startAllConfigurations() { startForEachScanner(kConfigurationEvent); }

void LinuxInstallationTasks::registerAfterInstall(std::string_view productCode) {
  const std::string entry = autostartEntryPath();
  if (platform::createFolderTree(platform::folderOf(entry)) &&
      platform::replaceFileAtomically(entry, desktopEntry("Ostrel", parts_.programPath, {}), 0644,
                                      platform::Flush::no)) {
    Log("Ostrel starts at login: " + entry);
  } else {
    Log("Ostrel cannot write its autostart entry " + entry + ": " + std::strerror(errno));
  }
  scanbdHook().install();

  if (!productCode.empty()) {
    if (productCode.find('\\') != std::string_view::npos) {
      Log("Ostrel does not record the product code \"" + std::string(productCode) + "\": it holds a backslash.");
    } else if (auto key = RegistryKey::create(Hive::LocalMachine,
                                              std::string(kUninstallKey) + "\\" + std::string(productCode))) {
      key->setExpandString("DisplayVersion", kProductVersion);
      key->setExpandString("Publisher", kMakerVendor);
      key->setExpandString("DisplayIcon", parts_.programPath + ",0");
    }
  }

  // The next start makes fresh profiles from the templates of this version;
  // the user's own stay in the folder moved aside. The registered scanners'
  // drivers are no one's work and stay where their keys point.
  const std::string folder = userDataFolder();
  Log("Ostrel moves the user's data folder aside: the next start begins with fresh profiles.");
  const std::string aside = moveFolderAside(folder);
  if (aside.empty()) return;
  std::error_code error;
  const fs::path devices = fs::path(aside) / "devices";
  if (fs::is_directory(fs::symlink_status(devices, error))) {
    fs::create_directories(folder, error);
    fs::rename(devices, fs::path(folder) / "devices", error);
    if (error) Log("Ostrel cannot move the registered scanners back from " + devices.string() + ": " + error.message());
  }
  Log("The user's data folder was moved aside to " + aside + ".");
}

void LinuxInstallationTasks::closeAllManagers() {
  const auto deadline = std::chrono::steady_clock::now() + parts_.closeDeadline;
  std::set<std::string> asked;
  std::vector<std::string> answering;
  for (;;) {
    answering.clear();
    for (const ImagingDevice& device : makerDevices()) {
      // The manager goes by the model name as start-up reads it.
      const std::string name = platform::truncateChars(device.description, kModelNameMax);
      if (name.empty() || !platform::findManager(name)) continue;
      answering.push_back(name);
      if (asked.insert(name).second) Log("Ostrel closes the manager of " + name + ".");
      platform::postToManager(name, {manager_message::kCommand, manager_message::kExitCommand, 0});
    }
    if (answering.empty() || std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(parts_.closePause);
  }
  leftRunning_ = answering;
}

void LinuxInstallationTasks::removeEventRegistrations() {
  const auto events = RegistryKey::open(Hive::LocalMachine, kStiProxyEventKey);
  if (!events) return;
  // Collected first: deleting while enumerating by index would skip the entry
  // behind each one deleted.
  std::vector<std::string> ours;
  for (std::size_t i = 0; i < 100; ++i) {
    const auto name = events->subkeyAt(i);
    if (!name) break;
    const auto event = RegistryKey::open(Hive::LocalMachine, std::string(kStiProxyEventKey) + "\\" + *name);
    if (event && platform::equalsNoCase(event->text("Name").value_or(""), "Ostrel")) ours.push_back(*name);
  }
  for (const std::string& name : ours) {
    platform::deleteRegistryTree(Hive::LocalMachine, std::string(kStiProxyEventKey) + "\\" + name);
    platform::deleteRegistryTree(Hive::LocalMachine, std::string(kClassIdKey) + "\\" + name);
  }
}

void LinuxInstallationTasks::cleanUpBeforeRemoval() {
  closeAllManagers();
  const std::string entry = autostartEntryPath();
  if (std::remove(entry.c_str()) == 0) Log("Ostrel no longer starts at login: " + entry + " is removed.");
  scanbdHook().remove();
  removeEventRegistrations();
  deleteFolderTree(userDataFolder());
  // Logged after the data folder is gone, so the line survives the clean-up.
  for (const std::string& name : leftRunning_) {
    Log("The manager of " + name + " did not close within " + secondsText(parts_.closeDeadline) +
        "; it is left running.");
  }
}

}  // namespace ostrel
