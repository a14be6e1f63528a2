#pragma once
// Tells when the list of devices may have changed: a USB device came or went
// (udev), or the imaging-device list in the registry store was rewritten
// (virtual scanners are added and removed there). Bursts of notices arrive as
// one change.
#include <QFileSystemWatcher>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "app/core/usb_monitor.h"

namespace ostrel {

class DeviceWatcher : public QObject {
  Q_OBJECT

 public:
  explicit DeviceWatcher(QObject* parent = nullptr);

 signals:
  void deviceListChanged();

 private:
  void registryTouched();
  QString registryIdentity() const;

  QString registryFile_;
  QString lastIdentity_;
  QFileSystemWatcher files_;
  UsbMonitor usb_;
  std::unique_ptr<QSocketNotifier> usbNotifier_;
  QTimer settle_;
};

}  // namespace ostrel
