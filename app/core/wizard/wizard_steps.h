#pragma once
// How the advanced wizard moves between its four pages, and the preview file it
// leaves behind: Next moves on, Back moves back (from the first page out to the
// configuration window), the close box ends the whole configuration, Finish on
// the last page ends it done. Whenever the wizard ends the preview file goes.
#include <optional>
#include <string>

namespace ostrel::wizard {

inline constexpr int kPageCount = 4;

enum class PageExit { Next, Back, Closed };
enum class WizardEnd { Finished, BackToConfiguration, Closed };

class WizardSteps {
 public:
  // The page shown now, 0 to 3.
  int page() const { return page_; }
  // The page's answer: the wizard's end, or nullopt with page() the next to show.
  std::optional<WizardEnd> leave(PageExit exit);

 private:
  int page_ = 0;
};

// "%AppData%/Ostrel/preview.bmp".
std::string previewFilePath();
// Removes the preview file, logging a failure other than its absence.
void deletePreviewFile();

}  // namespace ostrel::wizard
