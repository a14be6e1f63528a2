#pragma once
// What the notification says when a job that scanned pages has ended: the file
// it wrote, or how many, and the folder they are in, which the notification
// opens when it is clicked.
#include <string>
#include <vector>

#include "app/settings/localized_text.h"

namespace ostrel {

struct JobNotice {
  std::string text;
  std::string folder;  // of the last file; empty when no file was written
};

JobNotice jobNotice(const std::vector<std::string>& files, const LocalizedText& text);

}  // namespace ostrel
