#pragma once
// What the fax dialogs remember between runs: the last good login and the
// receivers faxed to. Kept per user, in <AppData>/Ostrel/Fax.ini, section Fax:
// the texts file beside an installed program is read-only and shared by every
// user of the machine. A key the user's file lacks is read from the texts
// file's section Fax, so a login set up there still serves as the default.
#include <string>

namespace ostrel {

class FaxMemory {
 public:
  // userFile: the per-user file; textsFile: Template/ResourceSetting.ini.
  FaxMemory(std::string userFile, std::string textsFile);

  // <AppData>/Ostrel/Fax.ini.
  static std::string defaultUserFile();

  std::string userId() const;
  // Decoded from its stored form (the password codec).
  std::string password() const;
  // False when the file could not be written.
  bool rememberLogin(const std::string& userId, const std::string& password);

  // The MoblieNO history, comma-separated.
  std::string receiverHistory() const;
  // Appends the receiver unless the history already holds it; false when the
  // file could not be written.
  bool rememberReceiver(const std::string& receiver);

 private:
  std::string value(const char* key) const;

  std::string userFile_;
  std::string textsFile_;
};

}  // namespace ostrel
