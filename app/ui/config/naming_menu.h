#pragma once
// The naming token menu of the easy dialog and the wizard's first page: one item
// per token, texts from section "Menu"; choosing one edits the name field.
#include <memory>

#include "app/settings/localized_text.h"

class QLineEdit;
class QMenu;
class QWidget;

namespace ostrel {

// The menu, owned by the caller; its items edit field.
std::unique_ptr<QMenu> makeNamingMenu(QLineEdit& field, const LocalizedText& texts);

// Shows the menu under anchor (the button that asks for it, so it works from
// the keyboard as well) and applies the choice to field.
void showNamingMenu(QWidget& anchor, QLineEdit& field, const LocalizedText& texts);

}  // namespace ostrel
