#pragma once
// SANE itself, behind owners of our own: the library stays initialised while
// anything of this module holds a SaneRuntime, and each open device is a
// SaneDevice that closes it when the last holder lets go. No SANE type
// appears outside this module's .cpp files.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanners/sane/frame_supplier.h"
#include "scanners/sane/scanner_setup.h"

namespace ostrel::sane {

class SaneRuntime {
 public:
  // The first holder initialises SANE, the last one's release ends it. nullptr,
  // with the reason, when SANE does not initialise.
  static std::shared_ptr<SaneRuntime> acquire(std::string* error);
  ~SaneRuntime();
  SaneRuntime(const SaneRuntime&) = delete;
  SaneRuntime& operator=(const SaneRuntime&) = delete;

 private:
  SaneRuntime() = default;
};

struct DeviceEntry {
  std::string name;  // what SaneDevice::open takes, "test:0", "fujitsu:libusb:002:004"
  std::string vendor;
  std::string model;
  std::string type;
};

// The devices SANE finds, local and on the network; nullopt with the reason
// when it cannot look.
std::optional<std::vector<DeviceEntry>> listDevices(std::string* error);

class SaneDevice : public FrameSupplier, public OptionAccess {
 public:
  // nullptr with the reason when SANE cannot open the device.
  static std::shared_ptr<SaneDevice> open(const std::string& name, std::string* error);
  ~SaneDevice() override;
  SaneDevice(const SaneDevice&) = delete;
  SaneDevice& operator=(const SaneDevice&) = delete;

  const std::string& name() const { return name_; }

  std::vector<OptionDescription> options() const override;
  bool set(std::string_view name, const OptionValue& value, std::string* error) override;
  std::optional<OptionValue> value(std::string_view name) const override;

  DeviceStatus start() override;
  DeviceStatus parameters(FrameParameters& parameters) override;
  DeviceStatus read(std::span<std::uint8_t> into, std::size_t& length) override;
  void cancel() override;

 private:
  SaneDevice(std::shared_ptr<SaneRuntime> runtime, void* handle, std::string name);
  // The option's number, or -1.
  int optionIndex(std::string_view name) const;

  std::shared_ptr<SaneRuntime> runtime_;  // outlives the handle
  void* handle_;
  std::string name_;
};

}  // namespace ostrel::sane
