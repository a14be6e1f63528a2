#include "app/ui/qt_user_interface.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "app/ui/artwork.h"
#include "app/ui/window_thread.h"

namespace ostrel {

namespace {

QString qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtUserInterface::showMessage(std::string_view text, MessageKind kind) {
  const QMessageBox::Icon icon = kind == MessageKind::Error     ? QMessageBox::Critical
                                 : kind == MessageKind::Warning ? QMessageBox::Warning
                                                                : QMessageBox::Information;
  callOnWindowThread<bool>(
      stop_,
      [icon, message = qt(text)] {
        QMessageBox box(icon, QStringLiteral("Ostrel"), message, QMessageBox::Ok);
        box.setWindowIcon(artwork::programIcon());
        box.exec();
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
