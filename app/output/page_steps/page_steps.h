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
#include "app/core/user_interface.h"
#include "app/output/barcode/barcode_reader.h"
#include "app/output/cleanup/blank_page.h"
#include "app/output/dib.h"
#include "app/settings/profile_records.h"

namespace ostrel {

enum class PageSide { Front, Back };

// RotationFront or RotationRear by side, only when AutoText is 0: 1 a quarter
// turn left, 2 right, 3 a half turn; other values leave the page as it is.
Dib rotateByProfile(Dib page, PageSide side, const CScanSetting& profile);

// CleanEdges when EdgeCleanUp is 1.
Dib cleanEdgesByProfile(Dib page, const CScanSetting& profile);

// ReadBarcodes with the profile's Threshold.
BarcodeReading readBarcodesByProfile(const Dib& page, const CScanSetting& profile, UserInterface& ui);

}  // namespace ostrel
