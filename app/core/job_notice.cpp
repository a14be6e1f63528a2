#include "app/core/job_notice.h"

#include "platform/text.h"

namespace ostrel {

JobNotice jobNotice(const std::vector<std::string>& files, const LocalizedText& text) {
  if (files.empty()) return {text("Else", "NoFileSaved", "The scan job wrote no file."), {}};
  const std::string& last = files.back();
  JobNotice notice;
  notice.folder = platform::folderOf(last);
  notice.text = files.size() == 1
                    ? text("Else", "FileSaved", "Saved:") + " " + last.substr(last.rfind('/') + 1)
                    : formatWithNumber(text("Else", "FilesSaved", "%d files saved"), static_cast<int>(files.size()));
  notice.text += "\n" + notice.folder + "\n" + text("Else", "OpenFolder", "Click here to open the folder.");
  return notice;
}

}  // namespace ostrel
