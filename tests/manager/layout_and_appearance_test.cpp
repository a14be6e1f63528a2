#include <gtest/gtest.h>

#include "app/core/button_appearance.h"
#include "app/core/panel_layout.h"

namespace ostrel {
namespace {

TEST(PanelLayout, NineButtonsScrollFourRowsDownAndBackUp) {
  PanelLayout layout(9);
  EXPECT_FALSE(layout.scrollUp());
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(layout.scrollDown()) << i;
  EXPECT_FALSE(layout.scrollDown());
  EXPECT_EQ(layout.offset(), 4);
  EXPECT_EQ(layout.rowOf(3), -1);
  EXPECT_EQ(layout.rowOf(4), 0);
  EXPECT_EQ(layout.rowOf(8), 4);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(layout.scrollUp());
  EXPECT_FALSE(layout.scrollUp());
  EXPECT_EQ(layout.rowOf(0), 0);
  EXPECT_EQ(layout.rowOf(5), -1);
}

TEST(PanelLayout, FewButtonsDoNotScroll) {
  PanelLayout five(5);
  EXPECT_FALSE(five.scrollDown());
  PanelLayout six(6);
  EXPECT_TRUE(six.scrollDown());
  EXPECT_FALSE(six.scrollDown());
  EXPECT_EQ(six.rowOf(9), -1);
  EXPECT_EQ(six.rowOf(-1), -1);
}

TEST(ButtonAppearance, OnlyTheLargeFileSenderHasATooltip) {
  CButtonSetting button;
  EXPECT_EQ(buttonTooltip(button), "");
  CApplicationSetting destination;
  destination.path = "/opt/send/YouSendIt.exe";
  EXPECT_EQ(buttonTooltip(button), "");
  button.applicationSetting = &destination;
  EXPECT_TRUE(buttonTooltip(button).starts_with("YouSendIt makes sending large files"));
  destination.path = "/opt/send/yousendit.exe";
  EXPECT_EQ(buttonTooltip(button), "");
}

}  // namespace
}  // namespace ostrel
