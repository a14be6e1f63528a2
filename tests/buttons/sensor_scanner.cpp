#include "tests/buttons/sensor_scanner.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/settings/scanner_folder.h"
#include "imaging/format_codes.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/manager/child_process.h"
#include "tests/manager/log_reader.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {

SensorScanner::SensorScanner(const std::vector<std::string>& settings) : folder_(tempRoot() + "/sane") {
  std::string conf;
  for (const std::string& line : settings) conf += line + "\n";
  writeFile(folder_ + "/dll.conf", "ostreltest\n");
  writeFile(folder_ + "/ostreltest.conf", conf);
  writeFile(folder_ + "/ostreltest.sensors", "");
  ::setenv("SANE_CONFIG_DIR", folder_.c_str(), 1);
  const std::string backend = (std::filesystem::path(binDir()).parent_path() / "tools/sanetest").string();
  ::setenv("LD_LIBRARY_PATH", backend.c_str(), 1);
}

void SensorScanner::set(const std::string& sensor, int value) {
  auto found = std::find_if(sensors_.begin(), sensors_.end(), [&](const auto& entry) { return entry.first == sensor; });
  if (found == sensors_.end()) {
    sensors_.emplace_back(sensor, value);
  } else {
    found->second = value;
  }
  std::string text;
  for (const auto& [name, number] : sensors_) text += name + " " + std::to_string(number) + "\n";
  // Renamed into place: the backend never reads half a file.
  writeFile(folder_ + "/ostreltest.sensors.new", text);
  std::filesystem::rename(folder_ + "/ostreltest.sensors.new", folder_ + "/ostreltest.sensors");
}

std::vector<BackendEvent> SensorScanner::log() const {
  std::vector<BackendEvent> events;
  std::istringstream lines(readFile(folder_ + "/ostreltest.log"));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    BackendEvent event;
    words >> event.ms >> event.pid >> event.program >> event.event;
    std::getline(words >> std::ws, event.detail);
    events.push_back(event);
  }
  return events;
}

bool registerOffice() {
  return ChildProcess::run({binDir() + "/ostrel-device", "add-sane", kSensorDevice, "ostreltest:sensors", "--model",
                            kSensorModel}) == 0;
}

void storageButton(int number, const std::string& title) {
  const std::string folder = scannerFolder(kSensorModel);
  platform::createFolderTree(folder);
  const auto write = [&](const std::string& file, const std::string& section, const std::string& key,
                         const std::string& value) {
    platform::WritePrivateProfileString(section, key, value, folder + file);
  };
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"Valid", "1"}, {"Title", "Storage"}, {"Path", ""}, {"SingleEvent", "0"}}) {
    write("ApplicationSetting.ini", "0", key, value);
  }
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"Valid", "1"}, {"Title", "Grey"}, {"Automatic", "0"}, {"PaperSize", "4"}, {"Resolution", "100"},
           {"ScanMode", "1"}}) {
    write("ScanSetting.ini", "0", key, value);
  }
  const std::string section = std::to_string(number);
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"Title", title}, {"ScanSetting", "Grey"}, {"ApplicationSetting", "Storage"},
           {"ImageFolder", outFolder(title)}, {"FileFormat", std::to_string(format::kJpeg)}}) {
    write("ButtonSetting.ini", section, key, value);
  }
}

std::string outFolder(const std::string& title) { return tempRoot() + "/out/" + title; }

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

long jobsFinished(int button) {
  const std::string line = "Button " + std::to_string(button) + " finished its scan job";
  const auto log = logMessages();
  return std::count_if(log.begin(), log.end(), [&](const std::string& m) { return m.starts_with(line); });
}

}  // namespace ostrel::testing
