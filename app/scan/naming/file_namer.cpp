#include "app/scan/naming/file_namer.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <utility>

#include "app/scan/naming/dated_subfolder.h"
#include "app/scan/naming/file_extensions.h"
#include "app/scan/naming/naming_pattern.h"
#include "app/scan/naming/system_names.h"
#include "app/settings/localized_text.h"
#include "platform/text.h"

namespace ostrel {

namespace {

NamingTime namingTime(const std::optional<std::tm>& local) {
  if (!local) return {};
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
          local->tm_hour, local->tm_min, local->tm_sec};
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::size_t utf16Units(std::string_view text) { return platform::utf8ToUtf16(text).size(); }

// Cuts the base name so folder + base + extension stays within kMaxPathUnits.
std::string fittedBase(const std::string& folder, std::string base, const std::string& extension) {
  const std::size_t fixed = utf16Units(folder) + utf16Units(extension);
  if (fixed < kMaxPathUnits) {
    std::u16string units = platform::utf8ToUtf16(base);
    if (units.size() > kMaxPathUnits - fixed) {
      units.resize(kMaxPathUnits - fixed);
      // Never leave half of a surrogate pair.
      if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
      base = platform::utf16ToUtf8(units);
    }
  }
  return base;
}

// A barcode is read off the paper: a separator or control character in it
// must not lead the file out of its folder or cut its name short.
std::string asNamePart(std::string text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7f) c = '_';
  }
  return text;
}

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

// The tokens' view of one NextFileName call. The barcode is taken from the
// state once, on the first "B", so every probe of a numbered name carries it;
// within one expansion only the first "B" gets it. The system names are read
// once, so a failure is reported once.
class FileNamer::Source : public NamingSource {
 public:
  explicit Source(FileNamer& namer) : namer_(namer) {}

  void beginExpansion() { barcodeUsed_ = false; }

  int counter() const override { return namer_.state_.counter; }
  NamingTime now() override { return namingTime(namer_.environment_.localTime()); }

  std::string barcode() override {
    if (!barcode_) barcode_ = asNamePart(std::exchange(namer_.state_.barcodeText, {}));
    if (barcodeUsed_) return {};
    barcodeUsed_ = true;
    return *barcode_;
  }

  std::string userName() override {
    if (!user_) user_ = namer_.environment_.userName();
    if (!user_) reportOnce(userFailureShown_, "Message6", "Get User Name Error.");
    return user_.value_or("");
  }

  std::string computerName() override {
    if (!computer_) computer_ = namer_.environment_.computerName();
    if (!computer_) reportOnce(computerFailureShown_, "Message7", "Get Computer Name Error.");
    return computer_.value_or("");
  }

 private:
  void reportOnce(bool& shown, const char* key, const char* englishDefault) {
    if (shown) return;
    shown = true;
    namer_.ui_.showMessage(LocalizedText(namer_.resourceFile_)("Else", key, englishDefault), MessageKind::Error);
  }

  FileNamer& namer_;
  std::optional<std::string> barcode_;
  bool barcodeUsed_ = false;
  std::optional<std::string> user_, computer_;
  bool userFailureShown_ = false, computerFailureShown_ = false;
};

NamingEnvironment NamingEnvironment::system() {
  NamingEnvironment environment;
  environment.localTime = []() -> std::optional<std::tm> {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!::localtime_r(&now, &local)) return std::nullopt;
    return local;
  };
  environment.userName = systemUserName;
  environment.computerName = systemComputerName;
  return environment;
}

FileNamer::FileNamer(NamingState& state, UserInterface& ui, std::string resourceFile,
                     NamingEnvironment environment)
    : state_(state), ui_(ui), resourceFile_(std::move(resourceFile)), environment_(std::move(environment)) {}

std::string FileNamer::NextFileName(const CButtonSetting& button, bool checkExisting) {
  const bool print = button.applicationSetting && button.applicationSetting->path == destination::kPrint;
  Source source(*this);
  std::string base, extension, path, probed;
  for (;;) {
    bool numbered = true;
    extension = ".bmp";
    if (print) {
      char number[16];
      std::snprintf(number, sizeof number, "%06d", state_.counter);
      base = number;
    } else {
      source.beginExpansion();
      ExpandedName name = expandPattern(button.imageName, source);
      base = std::move(name.baseName);
      numbered = name.numbered;
      extension = extensionForFormat(button.fileFormat);
    }
    base = fittedBase(state_.outputFolder, std::move(base), extension);
    path = state_.outputFolder + base + extension;
    if (!numbered || !checkExisting || !pathExists(path)) break;
    // A name the counter no longer changes (cut to fit, or at the counter's
    // end) would be probed for ever: the writer overwrites it instead.
    if (path == probed || state_.counter == INT_MAX) break;
    probed = path;
    ++state_.counter;
  }

  if (button.selectName == 1) {
    SaveNameRequest request;
    request.proposedName = base;
    request.startFolder = state_.outputFolder;
    request.filterText = "Image Files (*" + extension + ")";
    request.defaultExtension = extension.substr(1);
    if (const auto chosen = ui_.askSaveName(request)) {
      path = state_.outputFolder + fittedBase(state_.outputFolder, baseNameOf(*chosen), extension) + extension;
    }
  }
  return path;
}

std::string FileNamer::WithSubfolder(const std::string& folder, int subfolderName) {
  std::string user;
  if (subfolderName == 5) {
    Source source(*this);
    user = source.userName();
  }
  return datedSubfolder(folder, subfolderName, environment_.localTime(), user);
}

}  // namespace ostrel
