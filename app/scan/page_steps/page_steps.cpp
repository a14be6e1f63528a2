#include "app/scan/page_steps/page_steps.h"

#include <utility>

#include "imaging/cleanup/rotation.h"

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
  BarcodeReading reading = ReadBarcodes(page, profile.threshold);
  if (reading.count < 0) ui.showMessage(reading.error, MessageKind::Error);
  return reading;
}

bool IsBlankPage(const Dib& page, const CScanSetting& profile) {
  return IsBlankPage(page, BlankTest{profile.pageSensitivity, profile.backgroundColor <= 0, profile.resolution});
}

std::optional<Dib> CleanEdges(const Dib& page, const CScanSetting& profile) {
  return CleanEdges(page, EdgeFill{profile.edgeCleanUpSize, profile.edgeCleanUpColor == 0});
}

void CleanEdgesInPlace(Dib& page, const CScanSetting& profile) {
  CleanEdgesInPlace(page, EdgeFill{profile.edgeCleanUpSize, profile.edgeCleanUpColor == 0});
}

std::optional<Dib> StitchPages(const Dib& front, const Dib& back, const CScanSetting& profile) {
  return StitchPages(front, back, profile.stitch == 2 ? StitchLayout::Above : StitchLayout::SideBySide);
}

}  // namespace ostrel
