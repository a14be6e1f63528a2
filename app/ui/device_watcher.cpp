#include "app/ui/device_watcher.h"

#include <QFileInfo>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/registry_store.h"

namespace ostrel {

namespace {

constexpr int kSettleMilliseconds = 250;

}  // namespace

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMilliseconds);
  connect(&settle_, &QTimer::timeout, this, &DeviceWatcher::deviceListChanged);

  // The store replaces its files by renaming new ones into place, which ends a
  // watch on the file itself; the folder's watch sees every replacement.
  const std::string folder = platform::registryFolder();
  platform::createFolderTree(folder);
  registryFile_ = QString::fromStdString(folder) + QStringLiteral("/HKEY_LOCAL_MACHINE.reg");
  lastIdentity_ = registryIdentity();
  files_.addPath(QString::fromStdString(folder));
  connect(&files_, &QFileSystemWatcher::directoryChanged, this, &DeviceWatcher::registryTouched);

  if (usb_.available()) {
    usbNotifier_ = std::make_unique<QSocketNotifier>(usb_.fd(), QSocketNotifier::Read);
    connect(usbNotifier_.get(), &QSocketNotifier::activated, this, [this] {
      if (usb_.takeChanges()) settle_.start();
    });
  } else {
    Log("USB devices are not watched: " + usb_.error());
  }
}

// Other files of the store change the folder too; only the machine hive holds
// the device list.
void DeviceWatcher::registryTouched() {
  const QString identity = registryIdentity();
  if (identity == lastIdentity_) return;
  lastIdentity_ = identity;
  settle_.start();
}

QString DeviceWatcher::registryIdentity() const {
  const QFileInfo info(registryFile_);
  if (!info.exists()) return {};
  return QString::number(info.size()) + QLatin1Char(':') +
         QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') +
         QString::number(info.fileTime(QFileDevice::FileMetadataChangeTime).toMSecsSinceEpoch());
}

}  // namespace ostrel
