#pragma once
// A scanner's three profile files in the test's temporary home, loaded into a
// profile store, and helpers to answer the modal windows a dialog opens.
#include <QString>
#include <functional>
#include <string>

#include "app/settings/profile_store.h"

class QWidget;

namespace ostrel::testing {

std::string scannerFolder();
std::string buttonFile();
std::string scanFile();
std::string destinationFile();

// Scan profiles "Text" (section 0), "Photo" (1), "Receipt" (2); destinations
// "Storage" (no path), "Printer" (PRINT), "Viewer" (/bin/true, multi-page PDF
// and JPEG), "Docs" (GOOGLE), "eMail" (MAIL); buttons 1 to count, button n
// titled "Button n" with "Viewer" and "Text", except button 2 without title or
// destination and button 3 printing.
void writeProfiles(int count = 4);
void loadProfiles(ProfileStore& store, int count = 4);

// The value of key in section of an INI file on disk.
std::string iniValue(const std::string& file, const std::string& section, const std::string& key);

// Runs answer on the next modal window that is not `current` once it shows,
// from the event loop; the caller then opens the window that is to be answered.
void whenModalOpens(std::function<void(QWidget*)> answer, QWidget* current = nullptr);

// Types path into an open file dialog and accepts it.
void chooseInFileDialog(QWidget* dialog, const QString& path);

// The text of the next message box, closed with its default button; filled in
// once the box has been answered.
struct SeenMessage {
  QString text;
  bool seen = false;
};
void answerNextMessage(SeenMessage& seen, QWidget* current = nullptr);

}  // namespace ostrel::testing
