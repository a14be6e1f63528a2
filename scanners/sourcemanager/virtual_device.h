#pragma once
// A virtual scanner's settings: its model, abilities and stack of pages, kept in
// "virtualscanner.ini" in the device's folder. The folder also holds the driver
// library registered as the device's DRIVERPATH, so the driver library and the
// source manager both find the INI beside DRIVERPATH.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace ostrel::virtualscanner {

inline constexpr const char* kDeviceIniName = "virtualscanner.ini";
// Where the data source records every triplet of its last session.
inline constexpr const char* kSessionRecordName = "session.log";

struct VirtualDevice {
  std::string model;
  std::string vendor = "Norvane";
  bool feeder = true;
  bool flatbed = false;
  bool duplex = false;
  bool ultrasonic = false;
  int feederWidth = 2592;  // 1/300 inch
  int feederLength = 4200;
  int flatbedWidth = 0;
  int flatbedLength = 0;

  // The stack: the image files of a folder in file-name order, or, without a
  // folder, generated Letter pages: text-like pages, blank sides with scanner
  // noise and dust, and pages carrying a Code 128 barcode. On a duplex scanner
  // these are sides, front and back in turn.
  std::string pagesFolder;
  int generatedPages = 0;
  std::set<int> blankPages;                 // 1-based page numbers
  std::map<int, std::string> barcodePages;  // 1-based page number -> barcode text
  std::uint64_t seed = 1;

  // Rewrites the whole file; false when it cannot be written.
  bool save(const std::string& iniPath) const;
  // nullopt when the file does not exist.
  static std::optional<VirtualDevice> load(const std::string& iniPath);
};

// The device INI beside a driver library path.
std::string deviceIniBeside(const std::string& driverPath);

}  // namespace ostrel::virtualscanner
