#include "app/output/page_steps/page_steps.h"

#include <utility>

#include "app/output/cleanup/edge_cleanup.h"
#include "app/output/cleanup/rotation.h"

namespace ostrel {

namespace {

// The result, or the page as it was when the operation could not be made.
Dib orUnchanged(std::optional<Dib>&& result, Dib& page) { return result ? std::move(*result) : std::move(page); }

}  // namespace

Dib rotateByProfile(Dib page, PageSide side, const CScanSetting& profile) {
  if (profile.autoText != 0) return page;
  switch (side == PageSide::Back ? profile.rotationRear : profile.rotationFront) {
    case 1: return orUnchanged(RotateLeft(page), page);
    case 2: return orUnchanged(RotateRight(page), page);
    case 3: return orUnchanged(Rotate180(page), page);
    default: return page;
  }
}

Dib cleanEdgesByProfile(Dib page, const CScanSetting& profile) {
  if (profile.edgeCleanUp == 1) CleanEdgesInPlace(page, profile);
  return page;
}

BarcodeReading readBarcodesByProfile(const Dib& page, const CScanSetting& profile, UserInterface& ui) {
  return ReadBarcodes(page, profile.threshold, ui);
}

}  // namespace ostrel
