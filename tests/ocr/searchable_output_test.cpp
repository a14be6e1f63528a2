// Recognised text in the outputs, checked with outside readers on pages whose
// text the test drew itself: pdftotext for words, order and places, qpdf for the
// file's structure, unrtf for rich text.
#include <gmock/gmock.h>

#include <dirent.h>

#include <cctype>
#include <cmath>
#include <map>
#include <optional>
#include <regex>

#include "imaging/cleanup/rotation.h"
#include "imaging/ocr/recognition_engine.h"
#include "imaging/ocr/recognition_pool.h"
#include "imaging/pdf/pdf_writer.h"
#include "imaging/writers/text_document.h"
#include "platform/environment.h"
#include "tests/ocr/text_pages.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

constexpr double kPointsPerPixel = 72.0 / 300.0;

std::string dataFolder() { return ocr::defaultDataFolder("/nowhere/OBX"); }

struct Recognised {
  TextPage drawn;
  ocr::PageText text;
};

// Three pages recognised once for the whole suite: small and large English
// type and a French page.
class RecognisedPages : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pages_ = new std::vector<Recognised>;
    ocr::RecognitionEngine english, french;
    ASSERT_EQ(english.loadFrom(dataFolder(), "eng"), ocr::EngineLoad::loaded);
    ASSERT_EQ(french.loadFrom(dataFolder(), ocr::engineLanguage("French")), ocr::EngineLoad::loaded);
    const std::pair<std::string, double> samples[] = {
        {englishProse(2), 10}, {englishProse(3).substr(0, 600), 16}, {frenchProse(2), 12}};
    for (int i = 0; i < 3; ++i) {
      TextPage drawn = renderTextPage(samples[i].first, samples[i].second);
      std::optional<ocr::PageText> text = (i == 2 ? french : english).recognize(drawn.page);
      ASSERT_TRUE(text);
      pages_->push_back({std::move(drawn), std::move(*text)});
    }
  }
  static void TearDownTestSuite() {
    delete pages_;
    pages_ = nullptr;
  }
  static const std::vector<Recognised>& pages() { return *pages_; }

  std::string writePdf(pdf::TextLayer layer, const std::string& name) {
    const std::string path = tempRoot() + "/" + name;
    pdf::PdfWriter writer(path);
    for (const Recognised& page : pages()) EXPECT_TRUE(writer.addPage(page.drawn.page, &page.text, layer));
    EXPECT_TRUE(writer.finish());
    return path;
  }

 private:
  static std::vector<Recognised>* pages_;
};

std::vector<Recognised>* RecognisedPages::pages_ = nullptr;

std::string pdfText(const std::string& path, int page) {
  return runCommand("pdftotext -q -enc UTF-8 -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                    quoted(path) + " -").output;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A small RTF reader, enough for what a word processor would show of our
// files: text, \uN with its one fallback character skipped, paragraph and page
// breaks; the font table and control words show nothing.
std::string readRtf(const std::string& rtf) {
  std::string out;
  char16_t highSurrogate = 0;
  int skipGroupDepth = 0, depth = 0, skipFallback = 0;
  const auto emit = [&](char32_t c) {
    if (skipGroupDepth) return;
    if (skipFallback > 0) {
      --skipFallback;
      return;
    }
    appendUtf8(out, c);
  };
  for (std::size_t i = 0; i < rtf.size(); ++i) {
    const char c = rtf[i];
    if (c == '{') {
      ++depth;
      if (!skipGroupDepth && (rtf.compare(i, 9, "{\\fonttbl") == 0 || rtf.compare(i, 3, "{\\*") == 0)) {
        skipGroupDepth = depth;
      }
    } else if (c == '}') {
      if (skipGroupDepth == depth) skipGroupDepth = 0;
      --depth;
    } else if (c == '\r' || c == '\n') {
    } else if (c != '\\') {
      emit(static_cast<unsigned char>(c));
    } else if (std::string("\\{}").find(rtf[i + 1]) != std::string::npos) {
      emit(static_cast<unsigned char>(rtf[++i]));
    } else if (rtf[i + 1] == '\'') {
      emit(static_cast<char32_t>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16)));
      i += 3;
    } else {
      std::size_t end = i + 1;
      while (end < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[end]))) ++end;
      const std::string word = rtf.substr(i + 1, end - i - 1);
      std::size_t numberEnd = end;
      if (numberEnd < rtf.size() && rtf[numberEnd] == '-') ++numberEnd;
      while (numberEnd < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[numberEnd]))) ++numberEnd;
      const std::string number = rtf.substr(end, numberEnd - end);
      i = numberEnd < rtf.size() && rtf[numberEnd] == ' ' ? numberEnd : numberEnd - 1;
      if (skipGroupDepth) continue;
      if (word == "par") out += "\n";
      if (word == "page") out += "\f";
      if (word == "u") {
        const auto unit = static_cast<char16_t>(std::stoi(number) & 0xFFFF);
        if (unit >= 0xD800 && unit < 0xDC00) {
          highSurrogate = unit;
        } else if (unit >= 0xDC00 && unit < 0xE000) {
          appendUtf8(out, 0x10000 + ((static_cast<char32_t>(highSurrogate) - 0xD800) << 10) + (unit - 0xDC00));
        } else {
          appendUtf8(out, unit);
        }
        skipFallback = 1;
      }
    }
  }
  return out;
}

struct FoundWord {
  std::string text;
  double xMin, yMin, xMax, yMax;
};

std::vector<FoundWord> pdfWordBoxes(const std::string& path, int page) {
  const std::string html = runCommand("pdftotext -q -bbox -enc UTF-8 -f " + std::to_string(page) + " -l " +
                                      std::to_string(page) + " " + quoted(path) + " -").output;
  static const std::regex word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<FoundWord> words;
  for (std::sregex_iterator it(html.begin(), html.end(), word), end; it != end; ++it) {
    words.push_back({(*it)[5], std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4])});
  }
  return words;
}

// The drawn words whose text pdftotext found with its box over the drawn one
// (its centre inside the drawn box, widened by two points), in order.
double wordsFoundInPlace(const TextPage& drawn, const std::vector<FoundWord>& found) {
  std::size_t next = 0, inPlace = 0;
  for (const DrawnWord& word : drawn.words) {
    for (std::size_t i = next; i < found.size() && i < next + 5; ++i) {
      if (found[i].text != word.text) continue;
      const double cx = (found[i].xMin + found[i].xMax) / 2, cy = (found[i].yMin + found[i].yMax) / 2;
      if (cx > word.box.left * kPointsPerPixel - 2 && cx < word.box.right * kPointsPerPixel + 2 &&
          cy > word.box.top * kPointsPerPixel - 2 && cy < word.box.bottom * kPointsPerPixel + 2) {
        ++inPlace;
      }
      next = i + 1;
      break;
    }
  }
  return static_cast<double>(inPlace) / static_cast<double>(drawn.words.size());
}

TEST_F(RecognisedPages, ASearchablePdfGivesTheWordsInReadingOrderWhereTheImageShowsThem) {
  const std::string path = writePdf(pdf::TextLayer::invisible, "searchable.pdf");
  for (int page = 1; page <= 3; ++page) {
    const TextPage& drawn = pages()[static_cast<std::size_t>(page - 1)].drawn;
    const std::vector<std::string> got = splitWords(pdfText(path, page));
    EXPECT_GE(wordsRightInOrder(drawn.wordTexts(), got), 0.98) << "page " << page << ":\n" << pdfText(path, page);
    EXPECT_LE(got.size(), drawn.words.size() + drawn.words.size() / 50 + 2) << "page " << page;
    EXPECT_GE(wordsFoundInPlace(drawn, pdfWordBoxes(path, page)), 0.95) << "page " << page;
  }
  // Accents come out as the characters they are, through the font's Unicode map.
  EXPECT_THAT(pdfText(path, 3), ::testing::HasSubstr("reçu votre demande"));

  const CommandResult check = runCommand("qpdf --check " + quoted(path));
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_THAT(check.output, ::testing::Not(::testing::HasSubstr("WARNING")));
  // One embedded glyph-less font serves every page; the images stay.
  const std::string fonts = runCommand("pdffonts " + quoted(path)).output;
  EXPECT_EQ(std::count(fonts.begin(), fonts.end(), '\n'), 3) << fonts;  // two heading lines and one font
  EXPECT_THAT(fonts, ::testing::ContainsRegex("GlyphLessFont +CID TrueType +Identity-H +yes +no +yes"));
  const std::string images = runCommand("pdfimages -list " + quoted(path)).output;
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2 + 3) << images;
}

TEST_F(RecognisedPages, TextReplacementDrawsTheWordsOnWhitePagesAndKeepsTheImageOfAPageWithoutText) {
  const std::string path = tempRoot() + "/replaced.pdf";
  pdf::PdfWriter writer(path);
  const Recognised& first = pages()[0];
  ASSERT_TRUE(writer.addPage(first.drawn.page, &first.text, pdf::TextLayer::replacesImage));
  const ocr::PageText nothing;
  ASSERT_TRUE(writer.addPage(first.drawn.page, &nothing, pdf::TextLayer::replacesImage));
  ASSERT_TRUE(writer.finish());

  EXPECT_GE(wordsRightInOrder(first.drawn.wordTexts(), splitWords(pdfText(path, 1))), 0.98);
  const std::string images = runCommand("pdfimages -list " + quoted(path)).output;
  EXPECT_THAT(images, ::testing::ContainsRegex("\n +2 +0 +image"));  // the second page only
  EXPECT_EQ(std::count(images.begin(), images.end(), '\n'), 2 + 1) << images;
  EXPECT_EQ(runCommand("qpdf --check " + quoted(path)).status, 0);
}

TEST_F(RecognisedPages, TextFilesHoldTheWordsAndRichTextReadsBackWithItsAccents) {
  const std::string base = tempRoot() + "/letters";
  for (const auto& [extension, format] : {std::pair{".txt", writers::TextFormat::plain},
                                          std::pair{".rtf", writers::TextFormat::rich},
                                          std::pair{".doc", writers::TextFormat::rich}}) {
    writers::TextDocument document(base + extension, format);
    for (const Recognised& page : pages()) ASSERT_TRUE(document.addPage(page.text));
    ASSERT_TRUE(document.finish());
  }
  std::vector<std::string> expected;
  for (const Recognised& page : pages()) {
    for (const std::string& word : page.drawn.wordTexts()) expected.push_back(word);
  }
  const std::string plain = readFile(base + ".txt");
  EXPECT_GE(wordsRightInOrder(expected, splitWords(plain)), 0.98);
  EXPECT_EQ(std::count(plain.begin(), plain.end(), '\f'), 2);  // between the three pages
  EXPECT_THAT(plain, ::testing::HasSubstr("reçu votre demande"));

  for (const char* extension : {".rtf", ".doc"}) {
    const std::string body = readRtf(readFile(base + extension));
    EXPECT_GE(wordsRightInOrder(expected, splitWords(body)), 0.98) << extension << "\n" << body;
    EXPECT_THAT(body, ::testing::HasSubstr("reçu votre demande"));
    EXPECT_EQ(std::count(body.begin(), body.end(), '\f'), 2);
  }
  // unrtf reads the same (it shows accents as HTML entities).
  const CommandResult read = runCommand("unrtf --html " + quoted(base + ".rtf"));
  ASSERT_EQ(read.status, 0) << read.output;
  EXPECT_THAT(read.output, ::testing::HasSubstr("re&ccedil;u votre demande"));
  // A paragraph is one RTF paragraph, its lines joined for the word processor to reflow.
  const std::string rich = readFile(base + ".rtf");
  EXPECT_THAT(rich, ::testing::StartsWith("{\\rtf1"));
  EXPECT_EQ(std::count(rich.begin(), rich.end(), '\f'), 0);
  EXPECT_THAT(rich, ::testing::HasSubstr("\\page"));
}

TEST(RichText, EscapesBracesBackslashesAndEveryCharacterBeyondAscii) {
  EXPECT_EQ(writers::rtfEscaped("a{b}\\c"), "a\\{b\\}\\\\c");
  EXPECT_EQ(writers::rtfEscaped("été"), "\\u233\\'e9t\\u233\\'e9");
  EXPECT_EQ(writers::rtfEscaped("€"), "\\u8364\\'80");
  EXPECT_EQ(writers::rtfEscaped("\xEF\xAC\x81"), "\\u-1279?");  // U+FB01 is above 32767: signed
  EXPECT_EQ(writers::rtfEscaped("\xF0\x9F\x98\x80"), "\\u-10179?\\u-8704?");  // a surrogate pair
  EXPECT_EQ(writers::rtfEscaped("\xC3"), "\\u-3?");  // a torn sequence becomes U+FFFD
  EXPECT_EQ(readRtf("{\\rtf1\\uc1 " + writers::rtfEscaped("ça {coûte} 5 € \xF0\x9F\x98\x80") + "\\par}"),
            "ça {coûte} 5 € \xF0\x9F\x98\x80\n");
}

TEST(TextDocument, ADocumentWithoutPagesLeavesNoFile) {
  const std::string path = tempRoot() + "/empty.txt";
  writers::TextDocument document(path, writers::TextFormat::plain);
  EXPECT_FALSE(document.finish());
  EXPECT_FALSE(platform::fileExists(path));
}

// A page with its text turned a quarter to the left, and one with a single word.
TEST(Orientation, ATurnedPageComesBackUprightAndAPageWithTooLittleTextStaysAsItIs) {
  const TextPage drawn = renderTextPage(englishProse(1), 14);
  ocr::RecognitionPool pool(dataFolder(), 2);
  pool.submit({*RotateLeft(drawn.page), true, true, "eng", 1});
  pool.submit({renderTextPage("Invoice", 12).page, true, false, "eng", 2});

  std::optional<ocr::PageDone> turned = pool.takeNext();
  ASSERT_TRUE(turned);
  EXPECT_EQ(turned->tag, 1);
  EXPECT_EQ(turned->clockwiseTurn, 90);
  EXPECT_EQ(turned->page.width(), drawn.page.width());
  ASSERT_TRUE(turned->text);
  std::vector<std::string> words;
  for (const ocr::Word& word : turned->text->words) words.push_back(word.text);
  EXPECT_GE(wordsRightInOrder(drawn.wordTexts(), words), 0.98);

  std::optional<ocr::PageDone> sparse = pool.takeNext();
  ASSERT_TRUE(sparse);
  EXPECT_EQ(sparse->clockwiseTurn, 0);
  EXPECT_FALSE(sparse->text);
  EXPECT_FALSE(pool.takeNext());
}

int threadsOfThisProcess() {
  int count = 0;
  if (DIR* tasks = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(tasks)) count += entry->d_name[0] != '.';
    ::closedir(tasks);
  }
  return count;
}

// Pages come back in the order they went in even when a later one is done
// first, and recognition adds no threads beyond the workers.
TEST(RecognitionPool, PagesComeBackInScanOrderAndTheEngineStartsNoThreadsOfItsOwn) {
  const int before = threadsOfThisProcess();
  ocr::RecognitionPool pool(dataFolder(), 2);
  pool.submit({renderTextPage(englishProse(2), 10).page, false, true, "eng", 0});
  pool.submit({*Dib::create(200, 100, 8), false, true, "eng", 1});
  pool.submit({*Dib::create(300, 100, 8), false, true, "eng", 2});
  EXPECT_EQ(pool.inFlight(), 3);
  int busiest = 0;
  std::vector<int> tags;
  while (std::optional<ocr::PageDone> done = pool.takeNext()) {
    busiest = std::max(busiest, threadsOfThisProcess());
    tags.push_back(done->tag);
  }
  EXPECT_THAT(tags, ::testing::ElementsAre(0, 1, 2));
  EXPECT_EQ(pool.inFlight(), 0);
  EXPECT_LE(busiest, before + 2);
  EXPECT_LE(threadsOfThisProcess(), before + 2);
}

TEST(OcrLanguage, TheListsNamesMapToTheEngineLanguages) {
  EXPECT_EQ(ocr::engineLanguage("English"), "eng");
  EXPECT_EQ(ocr::engineLanguage("French"), "fra");
  EXPECT_EQ(ocr::engineLanguage("german"), "deu");
  EXPECT_EQ(ocr::engineLanguage("Italian"), "ita");
  EXPECT_EQ(ocr::engineLanguage("Spanish"), "spa");
  EXPECT_EQ(ocr::engineLanguage("Klingon"), "eng");
  for (const char* language : {"eng", "fra", "deu", "ita", "spa"}) {
    ocr::RecognitionEngine engine;
    EXPECT_EQ(engine.loadFrom(dataFolder(), language), ocr::EngineLoad::loaded) << language;
  }
}

}  // namespace
}  // namespace ostrel
