#pragma once
// The three record types that mirror the profile files: a scan profile
// (ScanSetting.ini), a destination (ApplicationSetting.ini) and a button
// (ButtonSetting.ini). Member initialisers are the values of a record made in
// memory before anything is read; the loaders supply the read defaults.
#include <string>

#include "imaging/format_codes.h"

namespace ostrel {

// Destination keywords held in CApplicationSetting::path.
namespace destination {
inline constexpr const char* kPrint = "PRINT";
inline constexpr const char* kMail = "MAIL";
inline constexpr const char* kGoogle = "GOOGLE";
inline constexpr const char* kFax = "FAX";
inline constexpr const char* kFtp = "FTP";
}  // namespace destination

struct CScanSetting {
  std::string section;  // decimal number as text
  std::string title;
  int resolution = 200;        // dots per inch
  int threshold = 128;
  int scanMode = 0;            // 0 black and white, 1 grey, 2 colour, 3 automatic colour
  int automatic = 1;           // not 0: automatic page size and deskew
  int xOffset = 0;             // 1/300 inch
  int yOffset = 0;
  int width = 2550;
  int height = 3300;
  int brightness = 0;
  int contrast = 0;
  int gamma = 220;             // gamma x 100
  int scanSide = 0;            // for the driver settings; TWAIN duplex uses the button's
  int autoText = 0;
  int rotationFront = 0;       // 1 left, 2 right, 3 half turn
  int rotationRear = 0;
  int stitch = 0;
  int edgeCleanUp = 0;
  int edgeCleanUpColor = 0;
  int edgeCleanUpSize = 0;     // pixels
  int backgroundColor = 0;
  int blankPageRemove = 0;
  int pageSensitivity = 50;
  int colorMatch = 0;
  int checkDespeckle = 0;
  int despeckleNum = 0;
  int despeckleRange = 0;
  int batchMode = 0;           // 0 none, 1 every N images, 2 blank page, 3 barcode
  int batchPageNum = 1;
  int dropout = 0;
  int dropRed = 128;
  int dropBlue = 128;
  int dropGreen = 128;
  int lengthCheck = 0;
  int continueScan = 1;        // a new record differs from a section without the key (0)
  int audio = 0;               // a new record differs from a section without the key (1)
  int paperSize = 0;           // index into the paper size table
  int paperSizeUnit = 0;       // 0 inch, 1 pixel, 2 millimetre
  int filterValue = 18;        // read, never written
  std::string ocrLanguage = "English";  // OcrLanguage
  int createSubfolder = 0;
};

struct CApplicationSetting {
  std::string section;
  std::string title;
  std::string path;           // program, "@" marker (resolved on load), keyword, or empty
  std::string defaultFolder;
  std::string beforeFix;
  std::string afterFix;
  int folderOnly = 0;
  int imageFormatCheck = 0;   // bit mask of accepted format codes (-1 all)
  int defaultFormat = 0;
  int singleEvent = 0;
};

struct CButtonSetting {
  std::string section = "0";  // "1" to "9" once loaded
  std::string title;
  CScanSetting* scanSetting = nullptr;                // not owned
  CApplicationSetting* applicationSetting = nullptr;  // not owned; nullptr: no destination
  int selectFolder = 0;
  int selectName = 0;
  int morePages = 0;
  int fileFormat = format::kBmp;
  int fileFormatProperty = 0;  // JPEG quality setting or PDF kind
  int scanSide = 0;            // 0 front, 2 both sides
  int paperSize = 0;
  std::string account;
  std::string password;        // plain in memory, encoded in the file
  int subfolderName = 2;
  int rememberLastFolder = 0;
  std::string server;
  std::string id;              // cloud folder identifier
  // FTP destinations: 0 is the protocol's own port; the protocol is the text of
  // the FTP dialog's list ("FTP", "FTPS", "FFTP" for SFTP).
  int ftpPort = 0;
  int ftpAnonymous = 0;
  std::string ftpProtocol = "FTP";
  std::string imageName = "Scan<####>";
  std::string imageFolder;     // expanded when read
};

}  // namespace ostrel
