// The plain logic behind the configuration dialogs.
#include <gtest/gtest.h>

#include "app/core/configuration/destination_properties.h"
#include "app/core/configuration/folder_field.h"
#include "app/core/configuration/naming_tokens.h"
#include "app/settings/profile_path.h"
#include "platform/environment.h"
#include "tests/config/config_fixture.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

TEST(NamingTokens, MergeIntoTheLastBracketGroupElseOpenOne) {
  EXPECT_EQ(insertNamingToken("", "YYYY"), "<YYYY>");
  EXPECT_EQ(insertNamingToken("Scan<####>", "YYYY"), "Scan<####YYYY>");
  EXPECT_EQ(insertNamingToken("Scan", "YYYY"), "Scan<YYYY>");
  EXPECT_EQ(insertNamingToken(">", "B"), "B>");
  EXPECT_EQ(insertNamingToken("A<B>x", "#"), "A<B>x<#>");
  ASSERT_EQ(namingTokens().size(), 13u);
  EXPECT_STREQ(namingTokens().front().key, "Menu4");
  EXPECT_STREQ(namingTokens().back().token, "C");
}

TEST(DestinationFormats, DefaultFormatIsTheFirstAcceptedInPreferenceOrder) {
  EXPECT_EQ(defaultFormatFor(format::kText | format::kJpeg, 1), format::kJpeg);
  EXPECT_EQ(defaultFormatFor(format::kText | format::kJpeg | format::kMultiPdf, 1), format::kMultiPdf);
  EXPECT_EQ(defaultFormatFor(format::kGif | format::kBmp, 0), format::kBmp);
  EXPECT_EQ(defaultFormatFor(format::kText | format::kWordDocument, 0), format::kWordDocument);
  EXPECT_EQ(defaultFormatFor(0, format::kTiff), format::kTiff);  // none checked: kept
  EXPECT_EQ(programNameOf("/opt/viewer/viewer.exe"), "viewer");
  EXPECT_EQ(programNameOf("/usr/bin/gimp-2.10"), "gimp-2");
  EXPECT_EQ(programNameOf("/usr/bin/eog"), "eog");
  EXPECT_EQ(programNameOf("/home/u/.hidden"), ".hidden");
}

TEST(DestinationProperties, NewDestinationsAreCheckedBeforeAnythingIsAdded) {
  ProfileStore store;
  loadProfiles(store);
  const std::size_t before = store.ApplicationSettingList().size();
  DestinationFields fields;
  fields.path = "/bin/true";
  EXPECT_EQ(acceptDestinationProperties(store, "", fields).problem, DestinationProblem::nameEmpty);
  fields.title = "Viewer";
  EXPECT_EQ(acceptDestinationProperties(store, "", fields).problem, DestinationProblem::nameTaken);
  fields.title = "Scanner Tool";
  fields.path.clear();
  EXPECT_EQ(acceptDestinationProperties(store, "", fields).problem, DestinationProblem::pathEmpty);
  EXPECT_EQ(store.ApplicationSettingList().size(), before);

  fields.path = "/bin/true";
  fields.formatMask = format::kText | format::kJpeg;
  const DestinationOutcome added = acceptDestinationProperties(store, "", fields);
  EXPECT_TRUE(added.created && added.saved);
  EXPECT_EQ(added.defaultFormat, format::kJpeg);
  EXPECT_EQ(store.ApplicationSettingList().size(), before + 1);
  EXPECT_EQ(iniValue(destinationFile(), "5", "Title"), "Scanner Tool");
  EXPECT_EQ(iniValue(destinationFile(), "5", "DefaultFormat"), "2");
  EXPECT_EQ(iniValue(destinationFile(), "5", "ImageFormatCheck"), "130");
}

TEST(DestinationProperties, ExistingDestinationsKeepTheirKindAndMayTakeAnyName) {
  ProfileStore store;
  loadProfiles(store);
  DestinationFields fields;
  fields.title = "Viewer 2";
  EXPECT_EQ(acceptDestinationProperties(store, "Viewer", fields).problem, DestinationProblem::pathEmpty);
  fields.path = "/bin/false";
  const DestinationOutcome changed = acceptDestinationProperties(store, "Viewer", fields);
  EXPECT_EQ(changed.defaultFormat, format::kMultiPdf);  // no box checked: the default stays
  EXPECT_EQ(iniValue(destinationFile(), "2", "Path"), "/bin/false");

  fields.title = "Viewer 2";  // another destination's name: not checked for an existing one
  fields.path = "/ignored";
  fields.formatMask = format::kBmp;
  EXPECT_EQ(acceptDestinationProperties(store, "Printer", fields).problem, DestinationProblem::none);
  EXPECT_EQ(iniValue(destinationFile(), "1", "Path"), "PRINT");
  EXPECT_EQ(iniValue(destinationFile(), "1", "Title"), "Viewer 2");
}

TEST(FolderField, DocumentsFolderIsStoredWithTheMarkerAndReadBackExpanded) {
  const std::string documents = platform::documentsFolder();
  EXPECT_EQ(PortableProfilePath(documents + "/Scans/"), "%MYDOCUMENTS%/Scans/");
  EXPECT_EQ(PortableProfilePath(documents), "%MYDOCUMENTS%");
  EXPECT_EQ(PortableProfilePath(documents + "2/Scans/"), documents + "2/Scans/");
  EXPECT_EQ(PortableProfilePath("/srv/scans/"), "/srv/scans/");
  EXPECT_EQ(chosenFolderText("/srv/scans"), "/srv/scans/");
  EXPECT_EQ(chosenFolderText("/srv/scans/"), "/srv/scans/");
  EXPECT_EQ(chosenFolderText("/"), "/");
  EXPECT_EQ(browseStartFolder("%MYDOCUMENTS%/Ostrel/"), documents + "/Ostrel/");

  ProfileStore store;
  loadProfiles(store);
  store.Button(1)->imageFolder = documents + "/Scans/Bills/";
  ASSERT_TRUE(store.SaveButtonSetting(*store.Button(1)));
  EXPECT_EQ(iniValue(buttonFile(), "1", "ImageFolder"), "%MYDOCUMENTS%/Scans/Bills/");
  EXPECT_EQ(store.Button(1)->imageFolder, documents + "/Scans/Bills/");  // memory keeps the real path
  store.LoadButtonSettings(buttonFile(), 4);
  EXPECT_EQ(store.Button(1)->imageFolder, documents + "/Scans/Bills/");
}

}  // namespace
}  // namespace ostrel
