#pragma once
// CDirectoryDlg: the modal tree of the account's folders. It is filled depth
// first from the root through the client library's folder walk, with a budget
// of folder listings: every folder costs the server one request, so past the
// budget a folder shows an expander and is listed when the user opens it. A
// store with thousands of folders opens at once that way.
#include <QDialog>

#include <string>
#include <vector>

#include "chooser/folder_selection.h"
#include "cloud/mirelle.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace ostrel::chooser {

// The client library's folder walk, as resolved from libMirelle.so.
struct FolderWalk {
  const NvFolderNode* (*root)(const NvFolderNode**) = nullptr;
  const NvFolderNode* (*firstChild)(const NvFolderNode*) = nullptr;
  const NvFolderNode* (*nextFolder)(const NvFolderNode*) = nullptr;
};

class CDirectoryDlg : public QDialog {
  Q_OBJECT

 public:
  // Listings made before the dialog shows; the rest wait for the user.
  static constexpr int kListingBudget = 200;

  CDirectoryDlg(const FolderWalk& walk, std::u16string wanted, QWidget* parent = nullptr);

  // Fills the tree and selects the wanted folder; false when the library has
  // no root (not logged in): the dialog then has nothing to offer.
  bool fill();

  // The choice, once accepted.
  std::u16string chosenPath() const { return chosenPath_; }
  std::u16string chosenIdentifier() const { return chosenIdentifier_; }

  QTreeWidget* tree() const { return tree_; }

 private:
  QTreeWidgetItem* addItem(QTreeWidgetItem* parent, const NvFolderNode* node);
  // Lists node's sub-folders under item, depth first, while the budget lasts.
  void addChildren(QTreeWidgetItem* item, const NvFolderNode* node, int& budget, bool eager);
  void expandLazily(QTreeWidgetItem* item);
  void takeChoice();

  FolderWalk walk_;
  WantedFolder wanted_;
  std::vector<QTreeWidgetItem*> candidates_;
  QTreeWidgetItem* remembered_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  std::u16string chosenPath_;
  std::u16string chosenIdentifier_;
};

}  // namespace ostrel::chooser
