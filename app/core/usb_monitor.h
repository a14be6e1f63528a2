#pragma once
// Notice of USB devices coming and going, from udev. The owner watches fd() for
// reading and calls takeChanges() when it is readable. On a system without udev
// (a container, a chroot) the monitor is simply not available.
#include <memory>
#include <string>

namespace ostrel {

class UsbMonitor {
 public:
  UsbMonitor();
  ~UsbMonitor();
  UsbMonitor(const UsbMonitor&) = delete;
  UsbMonitor& operator=(const UsbMonitor&) = delete;

  bool available() const { return fd_ >= 0; }
  // Why the monitor is not available, for the log.
  const std::string& error() const { return error_; }
  int fd() const { return fd_; }

  // Reads every waiting event; true when a device was added or removed.
  bool takeChanges();

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  int fd_ = -1;
  std::string error_;
};

}  // namespace ostrel
