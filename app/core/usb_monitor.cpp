#include "app/core/usb_monitor.h"

#include <libudev.h>

#include <cstring>

namespace ostrel {

struct UsbMonitor::Handles {
  struct UdevUnref {
    void operator()(udev* handle) const { udev_unref(handle); }
  };
  struct MonitorUnref {
    void operator()(udev_monitor* handle) const { udev_monitor_unref(handle); }
  };
  std::unique_ptr<udev, UdevUnref> context;
  std::unique_ptr<udev_monitor, MonitorUnref> monitor;
};

UsbMonitor::UsbMonitor() : handles_(std::make_unique<Handles>()) {
  handles_->context.reset(udev_new());
  if (!handles_->context) {
    error_ = "udev is not available";
    return;
  }
  handles_->monitor.reset(udev_monitor_new_from_netlink(handles_->context.get(), "udev"));
  if (!handles_->monitor) {
    error_ = "no udev event source";
    return;
  }
  // Whole devices only: the interfaces of one scanner would repeat each event.
  udev_monitor_filter_add_match_subsystem_devtype(handles_->monitor.get(), "usb", "usb_device");
  if (const int result = udev_monitor_enable_receiving(handles_->monitor.get()); result < 0) {
    error_ = std::string("udev monitor: ") + std::strerror(-result);
    return;
  }
  fd_ = udev_monitor_get_fd(handles_->monitor.get());
  if (fd_ < 0) error_ = "udev monitor has no socket";
}

UsbMonitor::~UsbMonitor() = default;

bool UsbMonitor::takeChanges() {
  if (fd_ < 0) return false;
  bool changed = false;
  // The monitor's socket is non-blocking: this returns null once it is drained.
  while (udev_device* device = udev_monitor_receive_device(handles_->monitor.get())) {
    const char* action = udev_device_get_action(device);
    if (action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0)) {
      changed = true;
    }
    udev_device_unref(device);
  }
  return changed;
}

}  // namespace ostrel
