#include "app/ui/config/naming_menu.h"

#include <QLineEdit>
#include <QMenu>

#include "app/core/configuration/naming_tokens.h"

namespace ostrel {

std::unique_ptr<QMenu> makeNamingMenu(QLineEdit& field, const LocalizedText& texts) {
  auto menu = std::make_unique<QMenu>();
  menu->setObjectName(QStringLiteral("namingMenu"));
  for (const NamingToken& token : namingTokens()) {
    // "&" in the tokens' texts is a plain character, not a mnemonic.
    QString label = QString::fromStdString(texts("Menu", token.key, token.english));
    QAction* item = menu->addAction(label.replace(QLatin1Char('&'), QStringLiteral("&&")));
    const std::string inserted = token.token;
    QObject::connect(item, &QAction::triggered, &field, [&field, inserted] {
      field.setText(QString::fromStdString(insertNamingToken(field.text().toStdString(), inserted)));
    });
  }
  return menu;
}

void showNamingMenu(QWidget& anchor, QLineEdit& field, const LocalizedText& texts) {
  const std::unique_ptr<QMenu> menu = makeNamingMenu(field, texts);
  menu->exec(anchor.mapToGlobal(QPoint(0, anchor.height())));
}

}  // namespace ostrel
