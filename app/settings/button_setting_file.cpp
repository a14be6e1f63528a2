#include "app/settings/button_setting_file.h"

#include "app/settings/password_codec.h"
#include "app/settings/profile_keys.h"
#include "app/settings/profile_path.h"

namespace ostrel {

ButtonReferences ReadButtonSettingSection(CButtonSetting& button, const std::string& path) {
  using platform::GetPrivateProfileInt;
  using platform::GetPrivateProfileString;
  const std::string& section = button.section;
  button.title = GetPrivateProfileString(section, "Title", "", path);
  ButtonReferences references;
  references.scanSetting = GetPrivateProfileString(section, "ScanSetting", "", path);
  references.applicationSetting = GetPrivateProfileString(section, "ApplicationSetting", "", path);
  button.selectFolder = GetPrivateProfileInt(section, "SelectFolder", 0, path);
  button.selectName = GetPrivateProfileInt(section, "SelectName", 0, path);
  button.imageFolder = ExpandProfilePath(GetPrivateProfileString(section, "ImageFolder", "", path));
  button.imageName = GetPrivateProfileString(section, "ImageName", "Scan<####>", path);
  button.fileFormat = GetPrivateProfileInt(section, "FileFormat", format::kBmp, path);
  button.fileFormatProperty = GetPrivateProfileInt(section, "FileFormatProperty", 0, path);
  button.scanSide = GetPrivateProfileInt(section, "ScanSide", 0, path);
  button.paperSize = GetPrivateProfileInt(section, "PaperSize", 0, path);
  button.morePages = GetPrivateProfileInt(section, "MorePages", 0, path);
  button.rememberLastFolder = GetPrivateProfileInt(section, "RememberLastFolder", 0, path);
  button.account = GetPrivateProfileString(section, "Account", "", path);
  // The stored hex is cut like any value, so only the first 128 characters of a
  // longer password come back.
  button.password = DecodePassword(GetPrivateProfileString(section, "Password", "", path));
  button.server = GetPrivateProfileString(section, "Server", "", path);
  button.id = GetPrivateProfileString(section, "ID", "", path);
  button.subfolderName = GetPrivateProfileInt(section, "SubfolderName", 2, path);
  button.ftpPort = GetPrivateProfileInt(section, "FtpPort", 0, path);
  button.ftpAnonymous = GetPrivateProfileInt(section, "FtpAnonymous", 0, path);
  button.ftpProtocol = GetPrivateProfileString(section, "FtpProtocol", "FTP", path);
  return references;
}

bool WriteButtonSettingFields(const CButtonSetting& button, const std::string& path) {
  using platform::WritePrivateProfileString;
  using profile_keys::writeInt;
  const std::string& section = button.section;
  const auto titleOf = [](const auto* record) { return record ? record->title : std::string(); };
  bool written = WritePrivateProfileString(section, "ScanSetting", titleOf(button.scanSetting), path);
  written &=
      WritePrivateProfileString(section, "ApplicationSetting", titleOf(button.applicationSetting), path);
  written &= WritePrivateProfileString(section, "ImageFolder", PortableProfilePath(button.imageFolder), path);
  written &= writeInt(section, "SelectFolder", button.selectFolder, path);
  written &= writeInt(section, "SelectName", button.selectName, path);
  written &= WritePrivateProfileString(section, "ImageName", button.imageName, path);
  written &= writeInt(section, "FileFormat", button.fileFormat, path);
  written &= writeInt(section, "FileFormatProperty", button.fileFormatProperty, path);
  written &= writeInt(section, "ScanSide", button.scanSide, path);
  written &= writeInt(section, "PaperSize", button.paperSize, path);
  written &= writeInt(section, "MorePages", button.morePages, path);
  written &= writeInt(section, "RememberLastFolder", button.rememberLastFolder, path);
  written &= WritePrivateProfileString(section, "Account", button.account, path);
  written &= WritePrivateProfileString(section, "Password", EncodePassword(button.password), path);
  written &= WritePrivateProfileString(section, "Server", button.server, path);
  written &= WritePrivateProfileString(section, "ID", button.id, path);
  written &= writeInt(section, "SubfolderName", button.subfolderName, path);
  written &= writeInt(section, "FtpPort", button.ftpPort, path);
  written &= writeInt(section, "FtpAnonymous", button.ftpAnonymous, path);
  written &= WritePrivateProfileString(section, "FtpProtocol", button.ftpProtocol, path);
  return written;
}

}  // namespace ostrel
