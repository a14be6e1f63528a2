#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include "app/ui/led_display.h"
#include "app/ui/png_button.h"
#include "app/ui/shade_button.h"

namespace ostrel {
namespace {

const QRgb kBackground = qRgb(0, 0, 0);
const QRgb kLit = qRgb(10, 230, 255);
const QRgb kUnlit = qRgb(30, 40, 30);

// Where the middle of each segment of a 30-pixel display falls: thickness 2,
// length 10, cells 18 pixels apart.
struct Probe {
  char name;
  QPoint at;
};
const Probe kSegments[] = {{'a', {9, 2}},  {'b', {16, 9}}, {'c', {16, 22}}, {'d', {9, 28}},
                           {'e', {2, 22}}, {'f', {2, 9}},  {'g', {9, 16}}};

QImage render(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A wide pen covers the pixel on or just before its line.
QRgb segmentColour(const QImage& image, QPoint at) {
  for (const QPoint p : {at, at - QPoint(1, 0), at - QPoint(0, 1)}) {
    const QRgb colour = image.pixel(p) & 0xFFFFFF;
    if (colour != (kBackground & 0xFFFFFF)) return image.pixel(p);
  }
  return image.pixel(at);
}

std::string litSegments(const QImage& image, int cell) {
  std::string lit;
  for (const Probe& probe : kSegments) {
    const QRgb colour = segmentColour(image, probe.at + QPoint(18 * cell, 0));
    if (colour == kLit) {
      lit += probe.name;
    } else {
      EXPECT_EQ(colour, kUnlit) << "segment " << probe.name << " of cell " << cell;
    }
  }
  return lit;
}

TEST(CLED, SegmentsOfTwelveOnAThirtyPixelDisplay) {
  CLED led;
  led.resize(40, 30);
  led.setText(QStringLiteral("12"));
  const QImage image = render(led);
  EXPECT_EQ(litSegments(image, 0), "bc");
  EXPECT_EQ(litSegments(image, 1), "abdeg");
  // Between the segments is background.
  EXPECT_EQ(image.pixel(9, 9), kBackground);
}

TEST(CLED, EveryDigitLightsItsMask) {
  const std::pair<QChar, std::string> digits[] = {
      {u'0', "abcdef"}, {u'3', "abcdg"},   {u'4', "bcfg"},   {u'5', "acdfg"}, {u'6', "acdefg"},
      {u'7', "abc"},    {u'8', "abcdefg"}, {u'9', "abcdfg"}, {u':', "c"},     {u'x', ""}};
  for (const auto& [digit, expected] : digits) {
    CLED led;
    led.resize(20, 30);
    led.setText(QString(digit));
    EXPECT_EQ(litSegments(render(led), 0), expected) << digit.toLatin1();
  }
}

TEST(CLED, EmptyTextDrawsOnlyTheBackground) {
  CLED led;
  led.resize(25, 40);
  led.setText(QString());
  const QImage image = render(led);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      ASSERT_EQ(image.pixel(x, y), kBackground) << x << "," << y;
  }
}

TEST(CLED, WithoutUnlitSegmentsOnlyLitOnesShow) {
  CLED led;
  led.resize(20, 30);
  led.setText(QStringLiteral("1"));
  led.setShowUnlit(false);
  const QImage image = render(led);
  EXPECT_EQ(segmentColour(image, {16, 9}), kLit);
  EXPECT_EQ(segmentColour(image, {9, 2}), kBackground);
}

class ShadeButtons : public ::testing::Test {
 protected:
  ShadeButtons() {
    host.resize(300, 60);
    for (int i = 0; i < 3; ++i) {
      buttons[i] = new CxShadeButton(&host);
      buttons[i]->setGeometry(i * 100, 0, 90, 40);
      buttons[i]->setText(QStringLiteral("B%1").arg(i));
    }
    host.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
  }

  QWidget host;
  CxShadeButton* buttons[3] = {};
};

TEST_F(ShadeButtons, ACheckBoxTogglesOnEachClick) {
  CxShadeButton& box = *buttons[0];
  box.setKind(CxShadeButton::Kind::Check);
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_TRUE(box.isChecked());
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_FALSE(box.isChecked());
  box.setFocus();
  QTest::keyClick(&box, Qt::Key_Space);
  EXPECT_TRUE(box.isChecked());
}

TEST_F(ShadeButtons, ReleasingOffTheButtonChangesNothing) {
  CxShadeButton& box = *buttons[0];
  box.setKind(CxShadeButton::Kind::Check);
  box.setChecked(true);
  QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_TRUE(box.isDown());
  QTest::mouseMove(&box, QPoint(150, 50));
  EXPECT_FALSE(box.isDown());
  QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(150, 50));
  EXPECT_TRUE(box.isChecked());
}

TEST_F(ShadeButtons, CheckingARadioButtonClearsTheOthersOfItsGroup) {
  for (CxShadeButton* b : buttons) b->setKind(CxShadeButton::Kind::Radio);
  QTest::mouseClick(buttons[0], Qt::LeftButton);
  QTest::mouseClick(buttons[2], Qt::LeftButton);
  EXPECT_FALSE(buttons[0]->isChecked());
  EXPECT_TRUE(buttons[2]->isChecked());
  // A checked radio button stays checked when clicked again.
  QTest::mouseClick(buttons[2], Qt::LeftButton);
  EXPECT_TRUE(buttons[2]->isChecked());
}

TEST_F(ShadeButtons, APushButtonNeverStaysChecked) {
  CxShadeButton& push = *buttons[1];
  int clicks = 0;
  QObject::connect(&push, &QAbstractButton::clicked, [&] { ++clicks; });
  QTest::mouseClick(&push, Qt::LeftButton, {}, QPoint(10, 10));
  // The second click of a double click arrives as a double-click event.
  QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(10, 10),
                          push.mapToGlobal(QPointF(10, 10)), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
  QApplication::sendEvent(&push, &doubleClick);
  QTest::mouseRelease(&push, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_FALSE(push.isChecked());
  EXPECT_EQ(clicks, 2);
}

TEST_F(ShadeButtons, TheTooltipFollowsTheCheckState) {
  CxShadeButton& box = *buttons[0];
  box.setKind(CxShadeButton::Kind::Check);
  box.setToolTipTexts(QStringLiteral("off"), QStringLiteral("on"));
  EXPECT_EQ(box.toolTip(), QStringLiteral("off"));
  QTest::mouseClick(&box, Qt::LeftButton);
  EXPECT_EQ(box.toolTip(), QStringLiteral("on"));
  box.setToolTipTexts(QStringLiteral("always"));
  EXPECT_EQ(box.toolTip(), QStringLiteral("always"));
}

TEST(PngButton, PremultipliesWithIntegerDivision) {
  QImage straight(3, 1, QImage::Format_ARGB32);
  straight.setPixel(0, 0, qRgba(255, 255, 255, 0));
  straight.setPixel(1, 0, qRgba(201, 10, 255, 128));
  straight.setPixel(2, 0, qRgba(12, 34, 56, 255));
  const QImage stored = premultipliedByAlpha(straight);
  ASSERT_EQ(stored.format(), QImage::Format_ARGB32_Premultiplied);
  const auto* pixels = reinterpret_cast<const QRgb*>(stored.constScanLine(0));
  EXPECT_EQ(pixels[0], qRgba(0, 0, 0, 0));
  // 201 x 128 / 255 = 100.9: truncated, where rounding would give 101.
  EXPECT_EQ(pixels[1], qRgba(100, 5, 128, 128));
  EXPECT_EQ(pixels[2], qRgba(12, 34, 56, 255));
}

}  // namespace
}  // namespace ostrel
