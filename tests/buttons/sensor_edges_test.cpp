// From sensor readings to button presses, and the map that says which sensor
// stands for which button.
#include <gmock/gmock.h>

#include "app/core/button_poller.h"
#include "platform/ini_file.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<SensorState> switches(int scan, int email, int function = 0) {
  return {{"scan", false, scan}, {"email", false, email}, {"function", true, function}};
}

TEST(SensorEdges, ASwitchThatTurnsOnIsOnePressAndTheFirstReadingOnlySetsWhereTheyStand) {
  SensorEdges edges(ButtonMap::defaults());
  EXPECT_THAT(edges.update(switches(1, 0)), IsEmpty());  // held as the poll starts
  EXPECT_THAT(edges.update(switches(1, 0)), IsEmpty());
  EXPECT_THAT(edges.update(switches(0, 0)), IsEmpty());
  EXPECT_THAT(edges.update(switches(1, 1)), ElementsAre(SensorPress{"scan", 1}, SensorPress{"email", 2}));
  EXPECT_THAT(edges.update(switches(1, 1)), IsEmpty());
  // After a pause, what is held stays unpressed.
  edges.reset();
  EXPECT_THAT(edges.update(switches(0, 1)), IsEmpty());
  EXPECT_THAT(edges.update(switches(1, 1)), ElementsAre(SensorPress{"scan", 1}));
}

TEST(SensorEdges, ANumberSensorPressesTheButtonOfEachNewValue) {
  SensorEdges edges(ButtonMap::defaults());
  const auto knob = [&](int value) { return edges.update(switches(0, 0, value)); };
  EXPECT_THAT(knob(0), IsEmpty());
  EXPECT_THAT(knob(3), ElementsAre(SensorPress{"function", 3}));
  EXPECT_THAT(knob(3), IsEmpty());
  EXPECT_THAT(knob(5), ElementsAre(SensorPress{"function", 5}));
  EXPECT_THAT(knob(0), IsEmpty());
  EXPECT_THAT(knob(5), ElementsAre(SensorPress{"function", 5}));
  EXPECT_THAT(knob(12), IsEmpty());  // no such button
}

TEST(SensorEdges, NumberedNamesMapOverridesAndUnknownSensors) {
  ButtonMap map = ButtonMap::defaults();
  map.entries["email"] = 0;
  map.entries["lamp"] = 7;
  SensorEdges edges(map);
  const auto read = [&](int value) {
    return edges.update({{"Button-4", false, value}, {"button_6", false, value}, {"email", false, value},
                         {"lamp", false, value}, {"paper-loaded", false, value}});
  };
  read(0);
  EXPECT_THAT(read(1), ElementsAre(SensorPress{"Button-4", 4}, SensorPress{"button_6", 6}, SensorPress{"lamp", 7}));
  EXPECT_EQ(describeSensors({{"scan", false, 0}, {"email", false, 0}, {"function", true, 0}}, map),
            "scan (button 1), email (no button), function (its value)");
}

TEST(ButtonMapFile, EntriesStandOverTheDefaultsAndWhatDoesNotReadIsSaid) {
  const std::string ini = testing::tempRoot() + "/scanner.ini";
  EXPECT_EQ(ButtonMap::load(ini).source, ButtonSource::Poll);  // no file: the defaults
  ASSERT_TRUE(saveButtonSource(ini, ButtonSource::Scanbd));
  ASSERT_TRUE(saveSensorButton(ini, "EMail", 6));
  ASSERT_TRUE(saveSensorButton(ini, "dial", kButtonFromValue));
  ASSERT_TRUE(platform::WritePrivateProfileString("ButtonSensors", "copy", "eleven", ini));
  std::string problems;
  const ButtonMap map = ButtonMap::load(ini, &problems);
  EXPECT_EQ(map.source, ButtonSource::Scanbd);
  EXPECT_EQ(map.buttonFor("email"), 6);
  EXPECT_EQ(map.buttonFor("DIAL"), kButtonFromValue);
  EXPECT_EQ(map.buttonFor("copy"), 3);  // the default stays
  EXPECT_EQ(map.buttonFor("scan"), 1);
  EXPECT_THAT(problems, HasSubstr("the sensor copy maps to \"eleven\", which is no button"));

  ASSERT_TRUE(platform::WritePrivateProfileString("Buttons", "Source", "usb", ini));
  problems.clear();
  EXPECT_EQ(ButtonMap::load(ini, &problems).source, ButtonSource::Poll);
  EXPECT_THAT(problems, HasSubstr("the button source \"usb\" is none of poll, scanbd, none"));
}

}  // namespace
}  // namespace ostrel
