#include "app/ui/fax/qt_fax_dialogs.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "app/ui/fax/fax_login_dialog.h"
#include "app/ui/window_thread.h"
#include "faxsvc/spool_base.h"
#include "platform/activity_log.h"
#include "platform/shell_execute.h"

namespace ostrel {

QtFaxDialogs::QtFaxDialogs(ZeltFaxService& service, std::string programFolder, std::stop_token stop)
    : service_(service), programFolder_(std::move(programFolder)), stop_(std::move(stop)) {}

void QtFaxDialogs::run(const std::vector<std::string>& files) {
  callOnWindowThread<bool>(
      stop_,
      [&service = service_, texts = resourceSettingPath(programFolder_), files] {
        FaxMemory memory(FaxMemory::defaultUserFile(), texts);
        CFaxLoginDlg dialog({service, memory, LocalizedText(texts), fax::spoolBaseFolder(),
                             [] { return std::chrono::system_clock::now(); }, openMemberPage},
                            files);
        dialog.exec();
        return true;
      },
      false);
}

void openMemberPage(const std::string& pagePath) {
  const platform::Started opened = platform::shellExecute(pagePath, "");
  if (!opened) Log("The fax member page cannot be opened: " + opened.reason);
  QTimer::singleShot(std::chrono::minutes(1), QCoreApplication::instance(),
                     [pagePath] { std::remove(pagePath.c_str()); });
}

}  // namespace ostrel
