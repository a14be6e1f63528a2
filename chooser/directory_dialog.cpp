#include "chooser/directory_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ostrel::chooser {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kListedRole = Qt::UserRole + 1;

QString qText(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

const NvFolderNode* nodeOf(const QTreeWidgetItem* item) {
  return item ? reinterpret_cast<const NvFolderNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

std::u16string_view textOf(const char16_t* text) { return text ? std::u16string_view(text) : std::u16string_view(); }

}  // namespace

CDirectoryDlg::CDirectoryDlg(const FolderWalk& walk, std::u16string wanted, QWidget* parent)
    : QDialog(parent), walk_(walk), wanted_(parseWanted(wanted)) {
  setWindowTitle(tr("Choose a cloud folder"));
  tree_ = new QTreeWidget(this);
  tree_->setObjectName("folderTree");
  tree_->setHeaderHidden(true);
  tree_->setIconSize(QSize(16, 16));
  tree_->setUniformRowHeights(true);
  tree_->header()->setStretchLastSection(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tree_);
  layout->addWidget(buttons);
  resize(360, 420);

  QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
  ok->setEnabled(false);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [ok](QTreeWidgetItem* current) { ok->setEnabled(current != nullptr); });
  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { expandLazily(item); });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { takeChoice(); });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { takeChoice(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QTreeWidgetItem* CDirectoryDlg::addItem(QTreeWidgetItem* parent, const NvFolderNode* node) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
  const std::u16string_view title = textOf(node->title);
  item->setText(0, qText(displayTitle(title)));
  item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
  item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
  item->setData(0, kListedRole, false);
  if (!wanted_.identifier.empty()) {
    if (!remembered_ && textOf(node->identifier) == wanted_.identifier) remembered_ = item;
  } else if (!wanted_.name.empty() && title == wanted_.name && candidates_.size() < kMaxCandidates) {
    candidates_.push_back(item);
  }
  return item;
}

void CDirectoryDlg::addChildren(QTreeWidgetItem* item, const NvFolderNode* node, int& budget, bool eager) {
  if (budget <= 0) {
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return;
  }
  --budget;
  item->setData(0, kListedRole, true);
  std::vector<std::pair<QTreeWidgetItem*, const NvFolderNode*>> added;
  for (const NvFolderNode* child = walk_.firstChild(node); child; child = walk_.nextFolder(child)) {
    added.emplace_back(addItem(item, child), child);
  }
  item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  if (!eager) return;
  for (const auto& [childItem, child] : added) addChildren(childItem, child, budget, true);
}

void CDirectoryDlg::expandLazily(QTreeWidgetItem* item) {
  if (item->data(0, kListedRole).toBool()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  int budget = 1;
  addChildren(item, nodeOf(item), budget, false);
  QApplication::restoreOverrideCursor();
}

bool CDirectoryDlg::fill() {
  tree_->clear();
  candidates_.clear();
  remembered_ = nullptr;
  const NvFolderNode* slot = nullptr;
  const NvFolderNode* root = walk_.root ? walk_.root(&slot) : nullptr;
  if (!root) return false;
  QTreeWidgetItem* rootItem = addItem(nullptr, root);
  int budget = kListingBudget;
  addChildren(rootItem, root, budget, true);
  rootItem->setExpanded(true);

  QTreeWidgetItem* selected = remembered_;
  if (wanted_.identifier.empty()) {
    const std::u16string parentName = wanted_.parentName.empty() ? std::u16string(textOf(root->title)) : wanted_.parentName;
    for (QTreeWidgetItem* candidate : candidates_) {
      const NvFolderNode* parent = nodeOf(candidate->parent());
      if (parent && sameNameNoCase(textOf(parent->title), parentName)) {
        selected = candidate;
        break;
      }
    }
  }
  if (selected) {
    tree_->setCurrentItem(selected);
    tree_->scrollToItem(selected);
  }
  return true;
}

void CDirectoryDlg::takeChoice() {
  const QTreeWidgetItem* item = tree_->currentItem();
  const NvFolderNode* node = nodeOf(item);
  if (!node) return;
  std::vector<std::u16string> titles;
  for (const NvFolderNode* at = node; at && at->parent; at = at->parent) titles.emplace_back(textOf(at->title));
  std::reverse(titles.begin(), titles.end());
  chosenPath_ = folderPath(titles);
  chosenIdentifier_ = textOf(node->identifier);
  accept();
}

}  // namespace ostrel::chooser
