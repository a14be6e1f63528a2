#pragma once
// The clean-up steps of the page step, each by the scan profile, so the scan
// job's page handling reads as a list:
//
//   page = rotateByProfile(std::move(page), side, profile);        // step 2
//   page = cleanEdgesByProfile(std::move(page), profile);          // step 3
//   for (Dib& joined : stitcher.add(std::move(page), side, duplex, profile)) {  // step 4
//     if (profile.blankPageRemove == 1 && IsBlankPage(joined, profile)) continue;  // step 5
//     const BarcodeReading barcodes = readBarcodesByProfile(joined, profile, ui);  // step 6
//     ...
//   }
//
// Every step hands back a page: when an operation cannot be made (a result
// larger than a page image may be), the page goes on as it was.
#include <optional>

#include "app/scan/user_interface.h"
#include "app/settings/profile_records.h"
#include "imaging/barcode/barcode_reader.h"
#include "imaging/cleanup/blank_page.h"
#include "imaging/cleanup/edge_cleanup.h"
#include "imaging/cleanup/stitching.h"
#include "imaging/dib.h"

namespace ostrel {

enum class PageSide { Front, Back };

// RotationFront or RotationRear by side, only when AutoText is 0: 1 a quarter
// turn left, 2 right, 3 a half turn; other values leave the page as it is.
Dib rotateByProfile(Dib page, PageSide side, const CScanSetting& profile);

// CleanEdges when EdgeCleanUp is 1.
Dib cleanEdgesByProfile(Dib page, const CScanSetting& profile);

// ReadBarcodes with the profile's Threshold; a failure of the reader is shown
// through ui.
BarcodeReading readBarcodesByProfile(const Dib& page, const CScanSetting& profile, UserInterface& ui);

// The clean-up operations with their parameters taken from a scan profile:
// PageSensitivity, BackgroundColor (0 or less: white) and Resolution for the
// blank test; EdgeCleanUpSize and EdgeCleanUpColor (0: white) for the edges;
// Stitch 2 puts the front above the back, any other value side by side.
bool IsBlankPage(const Dib& page, const CScanSetting& profile);
std::optional<Dib> CleanEdges(const Dib& page, const CScanSetting& profile);
void CleanEdgesInPlace(Dib& page, const CScanSetting& profile);
std::optional<Dib> StitchPages(const Dib& front, const Dib& back, const CScanSetting& profile);

}  // namespace ostrel
