#include "tests/ocr/text_pages.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace ostrel::testing {

namespace {

constexpr int kDpi = 300;
constexpr int kWidth = 2550;   // 8.5 inches
constexpr int kHeight = 3300;  // 11 inches
constexpr int kMargin = 300;   // one inch

// Fonts need a GUI application; the test programs have none of their own. It
// is made once and never destroyed: destroyed among the program's statics at
// exit it would reach into Qt's thread data after that is gone.
QString dejaVuFamily() {
  static int argc = 1;
  static char name[] = "ocr-tests";
  static char* argv[] = {name, nullptr};
  static const QString family = [] {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::make_unique<QGuiApplication>(argc, argv).release();
    const int id = QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    return id >= 0 ? QFontDatabase::applicationFontFamilies(id).value(0) : QStringLiteral("DejaVu Sans");
  }();
  return family;
}

}  // namespace

std::vector<std::string> TextPage::wordTexts() const {
  std::vector<std::string> texts;
  for (const DrawnWord& word : words) texts.push_back(word.text);
  return texts;
}

std::string englishProse(int paragraphs) {
  static const char* kParagraphs[] = {
      "The quarterly report shows that shipments to the northern warehouse rose by twelve percent, while returns "
      "fell to their lowest level since the new packing line was installed in March. Customers in three regions "
      "asked for faster delivery, and the transport team has proposed a second evening route.",
      "Please review the attached invoice before Friday. The amount includes the spare parts ordered for the "
      "scanner in the front office, the annual maintenance visit, and a credit for the damaged toner cartridge "
      "that was returned last month.",
      "Minutes of the meeting held on Tuesday: the committee agreed to move the archive to the basement, to "
      "digitise the contracts signed before 2015, and to keep paper copies only where the law requires them. "
      "The next meeting will discuss the budget for new shelving.",
      "Dear Mrs Holloway, thank you for your letter of the fourth. We have checked your account and found that "
      "the payment was received on time; the reminder you received was sent in error. We apologise for the "
      "trouble and have removed the late fee from your statement.",
      "Safety notice: visitors must sign in at the reception desk, wear the badge they are given, and stay with "
      "their host at all times. In case of fire, leave the building by the nearest exit and gather in the car "
      "park beside the main gate.",
  };
  std::string text;
  for (int i = 0; i < paragraphs; ++i) {
    if (!text.empty()) text += "\n\n";
    text += kParagraphs[i % 5];
  }
  return text;
}

std::string frenchProse(int paragraphs) {
  static const char* kParagraphs[] = {
      "Madame, Monsieur, nous avons bien reçu votre demande du douze février et nous vous en remercions. "
      "Le dossier complet sera transmis à notre service juridique, qui vous répondra dans les meilleurs délais.",
      "Le comité a décidé de déplacer les archives au sous-sol et de numériser les contrats signés avant 2015. "
      "Les copies papier ne seront conservées que lorsque la loi l'exige, conformément à la procédure habituelle.",
      "Veuillez trouver ci-joint la facture correspondant à la dernière livraison. Le montant tient compte de la "
      "remise accordée pour le retard, ainsi que des frais de transport réglés par votre société.",
  };
  std::string text;
  for (int i = 0; i < paragraphs; ++i) {
    if (!text.empty()) text += "\n\n";
    text += kParagraphs[i % 3];
  }
  return text;
}

std::vector<std::string> splitWords(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

double wordsRightInOrder(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
  if (expected.empty()) return 1.0;
  std::vector<int> previous(got.size() + 1, 0), current(got.size() + 1, 0);
  for (std::size_t i = 1; i <= expected.size(); ++i) {
    for (std::size_t j = 1; j <= got.size(); ++j) {
      current[j] = expected[i - 1] == got[j - 1] ? previous[j - 1] + 1 : std::max(previous[j], current[j - 1]);
    }
    std::swap(previous, current);
  }
  return static_cast<double>(previous[got.size()]) / static_cast<double>(expected.size());
}

TextPage renderTextPage(const std::string& paragraphs, double pointSize) {
  QFont font(dejaVuFamily());
  font.setPixelSize(static_cast<int>(pointSize * kDpi / 72.0 + 0.5));
  font.setHintingPreference(QFont::PreferNoHinting);
  const QFontMetricsF metrics(font);
  QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
  image.fill(255);
  std::vector<DrawnWord> drawn;
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double space = metrics.horizontalAdvance(QLatin1Char(' '));
    const double lineHeight = metrics.lineSpacing() * 1.15;
    double baseline = kMargin + metrics.ascent();
    std::size_t start = 0;
    bool full = false;
    while (start <= paragraphs.size() && !full) {
      std::size_t end = paragraphs.find("\n\n", start);
      if (end == std::string::npos) end = paragraphs.size();
      double x = kMargin;
      for (const std::string& word : splitWords(paragraphs.substr(start, end - start))) {
        const QString text = QString::fromStdString(word);
        const double width = metrics.horizontalAdvance(text);
        if (x > kMargin && x + width > kWidth - kMargin) {
          x = kMargin;
          baseline += lineHeight;
        }
        if (baseline + metrics.descent() > kHeight - kMargin) {
          full = true;
          break;
        }
        painter.drawText(QPointF(x, baseline), text);
        const QRectF ink = metrics.tightBoundingRect(text).translated(x, baseline);
        drawn.push_back({word, ocr::Box{static_cast<int>(ink.left()), static_cast<int>(ink.top()),
                                        static_cast<int>(ink.right()) + 1, static_cast<int>(ink.bottom()) + 1}});
        x += width + space;
      }
      baseline += lineHeight * 2;
      start = end + 2;
    }
  }
  Dib page = *Dib::create(kWidth, kHeight, 8);
  for (int y = 0; y < kHeight; ++y) std::memcpy(page.row(y), image.constScanLine(y), kWidth);
  return TextPage{std::move(page), std::move(drawn)};
}

}  // namespace ostrel::testing
