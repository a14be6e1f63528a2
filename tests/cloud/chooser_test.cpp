// The cloud folder chooser: its rules, and its dialog driven through the
// library's exports against a real WebDAV server on loopback.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>

#include "chooser/directory_dialog.h"
#include "chooser/folder_selection.h"
#include "cloud/webdav.h"
#include "platform/dynamic_library.h"
#include "platform/text.h"
#include "tests/cloud/webdav_server.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using chooser::CDirectoryDlg;
using platform::utf16ToUtf8;
using platform::utf8ToUtf16;

extern "C" {
typedef int LoginFunction(const char16_t*, const char16_t*, int, const char16_t*, const char16_t*);
typedef int LogoffFunction();
typedef int SelectFunction(char16_t*, int, char16_t*, int);
}

// Runs `act` on the chooser's dialog once it is shown modally.
void whenDialogShows(std::function<void(QDialog&, QTreeWidget&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    auto* tree = dialog ? dialog->findChild<QTreeWidget*>("folderTree") : nullptr;
    if (!tree) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog, *tree);
  });
  timer->start();
}

void pressOk(QDialog& dialog) { dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); }

QString currentPath(QTreeWidget& tree) {
  QString path;
  for (QTreeWidgetItem* item = tree.currentItem(); item; item = item->parent()) path = "/" + item->text(0) + path;
  return path;
}

class FolderChooser : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::tempRoot() + "/store";
    for (const char* folder : {"A/Sub", "B/Sub/Deep", "Work", "back\\slash", "..."}) {
      fs::create_directories(root_ + "/" + folder);
    }
    const std::string reason = server_.start(root_);
    if (!reason.empty()) GTEST_SKIP() << reason;
    std::string error;
    auto library = platform::DynamicLibrary::open(testing::binDir() + "/libDrovel.so", &error);
    ASSERT_TRUE(library) << error;
    library_.emplace(std::move(*library));
    login_ = library_->function<LoginFunction>("Nv_ClientLogin");
    logoff_ = library_->function<LogoffFunction>("Nv_ClientLogoff");
    select_ = library_->function<SelectFunction>("Nv_Select");
    ASSERT_TRUE(login_ && logoff_ && select_);
    const std::u16string server = utf8ToUtf16(server_.url()), password = utf8ToUtf16(testing::kDavPassword);
    ASSERT_EQ(login_(server.c_str(), server.c_str(), 0, u"u", password.c_str()), 0);
  }
  void TearDown() override {
    if (logoff_) logoff_();
  }

  struct Buffers {
    std::vector<char16_t> path = std::vector<char16_t>(1024, u'\0');
    std::vector<char16_t> folderId = std::vector<char16_t>(1024, u'\0');
    Buffers(std::u16string_view pathText, std::u16string_view idText) {
      std::copy(pathText.begin(), pathText.end(), path.begin());
      std::copy(idText.begin(), idText.end(), folderId.begin());
    }
    std::string pathText() const { return utf16ToUtf8(path.data()); }
    std::string idText() const { return utf16ToUtf8(folderId.data()); }
  };

  int select(Buffers& buffers) {
    return select_(buffers.path.data(), static_cast<int>(buffers.path.size()), buffers.folderId.data(),
                   static_cast<int>(buffers.folderId.size()));
  }

  std::string root_;
  testing::WebDavServer server_;
  std::optional<platform::DynamicLibrary> library_;
  LoginFunction* login_ = nullptr;
  LogoffFunction* logoff_ = nullptr;
  SelectFunction* select_ = nullptr;
};

TEST_F(FolderChooser, TheParentNameTellsTwoFoldersOfTheSameNameApart) {
  for (const char* parent : {"B", "A", "b"}) {
    Buffers buffers(utf8ToUtf16(std::string("\\") + parent + "\\Sub\\"), u"");
    QString shown;
    whenDialogShows([&](QDialog& dialog, QTreeWidget& tree) {
      shown = currentPath(tree);
      pressOk(dialog);
    });
    ASSERT_EQ(select(buffers), 0);
    const std::string expected = std::string("/") + (parent[0] == 'A' ? "A" : "B") + "/Sub/";
    EXPECT_EQ(buffers.pathText(), expected);
    EXPECT_EQ(shown.toStdString(), "/127.0.0.1:" + std::to_string(server_.port()) + expected.substr(0, expected.size() - 1));
    EXPECT_EQ(buffers.idText().rfind("FolderID::", 0), 0u);
    EXPECT_EQ(cloud::canonicalPath(buffers.idText().substr(10)), expected.substr(0, expected.size() - 1));
  }
}

TEST_F(FolderChooser, AWantedIdentifierIsFoundAndAnIdentifierOfSixteenCharactersIsIgnored) {
  Buffers wanted(u"/Work/", u"FolderID::/B/Sub/Deep/");
  whenDialogShows([](QDialog& dialog, QTreeWidget& tree) {
    EXPECT_EQ(tree.currentItem()->text(0), "Deep");
    pressOk(dialog);
  });
  ASSERT_EQ(select(wanted), 0);
  EXPECT_EQ(wanted.pathText(), "/B/Sub/Deep/");
  EXPECT_EQ(wanted.idText(), "FolderID::/B/Sub/Deep/");

  Buffers sixteen(u"/Work/", u"FolderID::/B/Sub");
  ASSERT_EQ(std::u16string_view(sixteen.folderId.data()).size(), 16u);
  whenDialogShows([](QDialog& dialog, QTreeWidget& tree) {
    EXPECT_EQ(tree.currentItem()->text(0), "Work");
    pressOk(dialog);
  });
  ASSERT_EQ(select(sixteen), 0);
  EXPECT_EQ(sixteen.pathText(), "/Work/");
}

TEST_F(FolderChooser, ACancelledDialogReturnsMinusFiveAndLeavesBothBuffersAsTheyWere) {
  Buffers buffers(u"/A/Sub/", u"FolderID::/A/Sub/");
  std::fill(buffers.path.begin() + 8, buffers.path.end(), u'#');
  const Buffers before = buffers;
  whenDialogShows([](QDialog& dialog, QTreeWidget&) { dialog.reject(); });
  EXPECT_EQ(select(buffers), -5);
  EXPECT_EQ(buffers.path, before.path);
  EXPECT_EQ(buffers.folderId, before.folderId);
}

TEST_F(FolderChooser, TinyBuffersGetNothingPastTheirCapacity) {
  std::vector<char16_t> path(4, u'#'), folderId(4, u'#');
  path[0] = u'\0';
  whenDialogShows([](QDialog& dialog, QTreeWidget& tree) {
    tree.setCurrentItem(tree.topLevelItem(0)->child(0));
    pressOk(dialog);
  });
  ASSERT_EQ(select_(path.data(), 1, folderId.data(), 0), 0);
  EXPECT_EQ(path, (std::vector<char16_t>{u'\0', u'#', u'#', u'#'}));
  EXPECT_EQ(folderId, (std::vector<char16_t>{u'#', u'#', u'#', u'#'}));

  whenDialogShows([](QDialog& dialog, QTreeWidget&) { pressOk(dialog); });
  ASSERT_EQ(select_(path.data(), 3, folderId.data(), 2), 0);  // the root: "/"
  EXPECT_EQ(path, (std::vector<char16_t>{u'/', u'\0', u'#', u'#'}));
  EXPECT_EQ(folderId, (std::vector<char16_t>{u'F', u'\0', u'#', u'#'}));
}

TEST_F(FolderChooser, ServerTitlesAreShownAsTextNeverAsPaths) {
  std::vector<std::string> titles;
  whenDialogShows([&](QDialog& dialog, QTreeWidget& tree) {
    for (int i = 0; i < tree.topLevelItem(0)->childCount(); ++i) {
      titles.push_back(tree.topLevelItem(0)->child(i)->text(0).toStdString());
    }
    dialog.reject();
  });
  Buffers buffers(u"", u"");
  EXPECT_EQ(select(buffers), -5);
  EXPECT_NE(std::find(titles.begin(), titles.end(), "back\\slash"), titles.end());
  EXPECT_NE(std::find(titles.begin(), titles.end(), "..."), titles.end());
}

TEST_F(FolderChooser, ManyFoldersOpenWithinTheListingBudgetAndTheRestOnExpanding) {
  for (int i = 0; i < CDirectoryDlg::kListingBudget + 50; ++i) fs::create_directories(root_ + "/Many/F" + std::to_string(i) + "/Inner");
  whenDialogShows([](QDialog& dialog, QTreeWidget& tree) {
    QTreeWidgetItem* many = nullptr;
    for (int i = 0; i < tree.topLevelItem(0)->childCount(); ++i) {
      if (tree.topLevelItem(0)->child(i)->text(0) == "Many") many = tree.topLevelItem(0)->child(i);
    }
    ASSERT_NE(many, nullptr);
    ASSERT_EQ(many->childCount(), CDirectoryDlg::kListingBudget + 50);
    int unlisted = 0;
    QTreeWidgetItem* waiting = nullptr;
    for (int i = 0; i < many->childCount(); ++i) {
      if (many->child(i)->childCount() == 0) {
        ++unlisted;
        waiting = many->child(i);
        EXPECT_EQ(waiting->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
      }
    }
    EXPECT_GT(unlisted, 0);
    waiting->setExpanded(true);
    ASSERT_EQ(waiting->childCount(), 1);
    EXPECT_EQ(waiting->child(0)->text(0), "Inner");
    dialog.reject();
  });
  Buffers buffers(u"", u"");
  EXPECT_EQ(select(buffers), -5);
}

// rclone itself replaces control characters in names, so the tree's own
// replacement is shown here.
TEST(FolderSelection, WantedPathsAndIdentifiers) {
  EXPECT_EQ(chooser::displayTitle(u"tab\tname\x7f"), u"tab\uFFFDname\uFFFD");
  const chooser::WantedFolder id = chooser::parseWanted(u"FolderID::/x/");
  EXPECT_EQ(id.identifier, u"/x/");
  const chooser::WantedFolder path = chooser::parseWanted(u"\\A\\B\\");
  EXPECT_EQ(path.name, u"B");
  EXPECT_EQ(path.parentName, u"A");
  EXPECT_EQ(chooser::parseWanted(u"/B").parentName, u"");
  EXPECT_EQ(chooser::parseWanted(u"B").name, u"B");
  EXPECT_EQ(chooser::parseWanted(u"").name, u"");
  EXPECT_EQ(chooser::wantedText(u"/p/", u"FolderID::123456"), u"/p/");
  EXPECT_EQ(chooser::wantedText(u"/p/", u"FolderID::1234567"), u"FolderID::1234567");
  EXPECT_TRUE(chooser::sameNameNoCase(u"Écoles", u"éCOLES"));
  EXPECT_FALSE(chooser::sameNameNoCase(u"Work", u"Works"));
  EXPECT_EQ(chooser::folderPath({}), u"/");
  EXPECT_EQ(chooser::folderPath({u"A", u"line\nbreak"}), u"/A/line\uFFFDbreak/");
  EXPECT_EQ(chooser::bufferText(nullptr, 5), u"");
  const char16_t unterminated[3] = {u'a', u'b', u'c'};
  EXPECT_EQ(chooser::bufferText(unterminated, 3), u"abc");
  char16_t one[1] = {u'#'};
  chooser::copyBounded(one, 1, u"text");
  EXPECT_EQ(one[0], u'\0');
  chooser::copyBounded(nullptr, 10, u"text");
}

}  // namespace
}  // namespace ostrel
