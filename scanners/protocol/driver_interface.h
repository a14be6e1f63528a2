#pragma once
// The scanner driver library's C interface: four exports and the ability record
// GetScannerAbilityEx fills, and two optional ones for the button sensors. Shared by the program and the virtual driver.
#include <cstddef>
#include <cstdint>

namespace ostrel {

// Byte layout of the ability record. Sizes are in 1/300 inch, little-endian.
struct ScannerAbilityRecord {
  std::uint8_t flags;       // bit 2 duplex feeder, bits 4-6 a feeder, bit 7 a flatbed
  std::uint8_t ultrasonic;  // non-zero: ultrasonic double-feed detection
  std::uint16_t flatbedWidth;
  std::uint16_t flatbedLength;
  std::uint16_t feederWidth;
  std::uint16_t feederLength;
  std::uint8_t reserved[54];
};
// Driver libraries are built apart from the program: the byte places are the contract.
static_assert(sizeof(ScannerAbilityRecord) == 64);
static_assert(offsetof(ScannerAbilityRecord, ultrasonic) == 1);
static_assert(offsetof(ScannerAbilityRecord, flatbedWidth) == 2);
static_assert(offsetof(ScannerAbilityRecord, flatbedLength) == 4);
static_assert(offsetof(ScannerAbilityRecord, feederWidth) == 6);
static_assert(offsetof(ScannerAbilityRecord, feederLength) == 8);

// One button sensor as ReadButtonSensors reports it.
struct ButtonSensorRecord {
  char name[64];      // the sensor's name, NUL-terminated, cut short if longer
  std::int32_t kind;  // 0 a switch (value 0 or 1), 1 a number
  std::int32_t value;
};
static_assert(sizeof(ButtonSensorRecord) == 72);
inline constexpr std::int32_t kSensorSwitch = 0;
inline constexpr std::int32_t kSensorNumber = 1;

namespace ability {
inline constexpr std::uint8_t kDuplexFeeder = 1u << 2;
inline constexpr std::uint8_t kFeederMask = 0x70;  // bits 4 to 6
inline constexpr std::uint8_t kFeeder = 1u << 4;
inline constexpr std::uint8_t kFlatbed = 1u << 7;
}  // namespace ability

extern "C" {
// Non-zero on success.
using InitializeDriverFunction = int();
using InitializeScannerFunction = int();
// The caller passes the same record twice.
using GetScannerAbilityExFunction = int(ScannerAbilityRecord* ability, ScannerAbilityRecord* abilityEx);
using TerminateDriverFunction = void();

// Optional: a driver without them reads no buttons. ReadButtonSensors opens
// the scanner at its first call and keeps it until ReleaseButtonSensors; it
// answers the number of sensors (records beyond capacity stay unfilled), or -1
// when the scanner cannot be reached, which lets it go again.
using ReadButtonSensorsFunction = int(ButtonSensorRecord* records, int capacity);
using ReleaseButtonSensorsFunction = void();
}

}  // namespace ostrel
