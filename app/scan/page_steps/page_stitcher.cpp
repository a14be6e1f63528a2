#include "app/scan/page_steps/page_stitcher.h"

#include <utility>

#include "app/scan/page_steps/page_steps.h"

namespace ostrel {

std::vector<Dib> PageStitcher::add(Dib page, PageSide side, bool duplex, const CScanSetting& profile) {
  std::vector<Dib> pages;
  if (!duplex || profile.stitch == 0) {
    pages.push_back(std::move(page));
    return pages;
  }
  if (side == PageSide::Front) {
    if (heldFront_) pages.push_back(*takeHeldFront());
    heldFront_ = std::move(page);
    return pages;
  }
  if (!heldFront_) {
    pages.push_back(std::move(page));
    return pages;
  }
  Dib front = *takeHeldFront();
  if (auto joined = StitchPages(front, page, profile)) {
    pages.push_back(std::move(*joined));
  } else {
    pages.push_back(std::move(front));
    pages.push_back(std::move(page));
  }
  return pages;
}

std::optional<Dib> PageStitcher::takeHeldFront() {
  std::optional<Dib> front = std::move(heldFront_);
  heldFront_.reset();
  return front;
}

}  // namespace ostrel
