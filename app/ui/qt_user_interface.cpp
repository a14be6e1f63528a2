#include "app/ui/qt_user_interface.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <memory>

#include "app/ui/artwork.h"
#include "app/ui/window_thread.h"

namespace ostrel {

namespace {

QString qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QMessageBox* newMessageBox(std::string_view text, MessageKind kind, QWidget* parent) {
  const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                 : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Information;
  auto* box = new QMessageBox(icon, QStringLiteral("Ostrel"), qt(text), QMessageBox::Ok, parent);
  box->setWindowIcon(artwork::programIcon());
  return box;
}

void QtUserInterface::showMessage(std::string_view text, MessageKind kind) {
  callOnWindowThread<bool>(
      stop_,
      [message = std::string(text), kind] {
        const std::unique_ptr<QMessageBox> box(newMessageBox(message, kind));
        box->exec();
        return true;
      },
      false);
}

std::optional<std::string> QtUserInterface::browseForFolder(std::string_view title,
                                                            std::string_view startFolder) {
  return callOnWindowThread<std::optional<std::string>>(
      stop_,
      [title = qt(title), start = qt(startFolder)]() -> std::optional<std::string> {
        const QString folder = QFileDialog::getExistingDirectory(nullptr, title, start);
        if (folder.isEmpty()) return std::nullopt;
        return folder.toStdString();
      },
      std::nullopt);
}

std::optional<std::string> QtUserInterface::askSaveName(const SaveNameRequest& request) {
  return callOnWindowThread<std::optional<std::string>>(
      stop_,
      [request]() -> std::optional<std::string> {
        QFileDialog dialog(nullptr, QString(), qt(request.startFolder), qt(request.filterText));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(qt(request.defaultExtension));
        dialog.selectFile(qt(request.proposedName));
        dialog.setWindowIcon(artwork::programIcon());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().constFirst().toStdString();
      },
      std::nullopt);
}

}  // namespace ostrel
