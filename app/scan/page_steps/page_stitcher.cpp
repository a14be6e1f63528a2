#include "app/scan/page_steps/page_stitcher.h"

#include <algorithm>
#include <utility>

#include "app/scan/page_steps/page_steps.h"

namespace ostrel {

namespace {

// The words of both sides on the joined page, placed as StitchPages places the
// sides: each centred across (front above) or down (side by side).
std::optional<ocr::PageText> joinedText(const SidePage& front, const SidePage& back, const Dib& joined,
                                        const CScanSetting& profile) {
  if (!front.text && !back.text) return std::nullopt;
  const bool above = profile.stitch == 2;
  ocr::PageText text;
  text.width = joined.width();
  text.height = joined.height();
  const auto place = [&](const SidePage& side, int dx, int dy) {
    if (side.text) text.append(*side.text, dx, dy);
  };
  if (above) {
    place(front, (joined.width() - front.page.width()) / 2, 0);
    place(back, (joined.width() - back.page.width()) / 2, front.page.height());
  } else {
    place(front, 0, (joined.height() - front.page.height()) / 2);
    place(back, front.page.width(), (joined.height() - back.page.height()) / 2);
  }
  return text;
}

}  // namespace

std::vector<SidePage> PageStitcher::add(SidePage page, PageSide side, bool duplex, const CScanSetting& profile) {
  std::vector<SidePage> pages;
  if (!duplex || profile.stitch == 0) {
    pages.push_back(std::move(page));
    return pages;
  }
  if (side == PageSide::Front) {
    if (heldFront_) pages.push_back(*takeHeldSide());
    heldFront_ = std::move(page);
    return pages;
  }
  if (!heldFront_) {
    pages.push_back(std::move(page));
    return pages;
  }
  SidePage front = *takeHeldSide();
  if (auto joined = StitchPages(front.page, page.page, profile)) {
    std::optional<ocr::PageText> text = joinedText(front, page, *joined, profile);
    pages.push_back({std::move(*joined), std::move(text)});
  } else {
    pages.push_back(std::move(front));
    pages.push_back(std::move(page));
  }
  return pages;
}

std::vector<Dib> PageStitcher::add(Dib page, PageSide side, bool duplex, const CScanSetting& profile) {
  std::vector<Dib> pages;
  for (SidePage& next : add(SidePage{std::move(page), std::nullopt}, side, duplex, profile)) {
    pages.push_back(std::move(next.page));
  }
  return pages;
}

std::optional<SidePage> PageStitcher::takeHeldSide() {
  std::optional<SidePage> front = std::move(heldFront_);
  heldFront_.reset();
  return front;
}

std::optional<Dib> PageStitcher::takeHeldFront() {
  std::optional<SidePage> front = takeHeldSide();
  if (!front) return std::nullopt;
  return std::move(front->page);
}

}  // namespace ostrel
