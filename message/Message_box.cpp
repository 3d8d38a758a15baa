#include "message/Message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QVariant>

#include <utility>

namespace velqoris::dialogs {

namespace {

BoxHandler& Handler() {
  static BoxHandler handler;
  return handler;
}

QMessageBox::ButtonRole RoleOf(const BoxRequest& request, std::size_t index) {
  if (request.icon == Icon::Question) {
    return index == 0 ? QMessageBox::YesRole : QMessageBox::NoRole;
  }
  return QMessageBox::AcceptRole;
}

constexpr const char* kIndexProperty = "velqorisButtonIndex";

int ShowRealBox(const BoxRequest& request) {
  const std::unique_ptr<QMessageBox> box = MakeBox(request);
  box->exec();
  // The box orders its buttons by role, so each one carries its request index.
  const QAbstractButton* clicked = box->clickedButton();
  if (clicked == nullptr) return -1;
  bool ok = false;
  const int index = clicked->property(kIndexProperty).toInt(&ok);
  return ok ? index : -1;
}

}  // namespace

void SetBoxHandler(BoxHandler handler) { Handler() = std::move(handler); }

int ShowBox(const BoxRequest& request) {
  const BoxHandler& handler = Handler();
  return handler ? handler(request) : ShowRealBox(request);
}

void ShowError(const std::string& text, const std::string& caption) {
  ShowBox({text, caption, Icon::Error, {"OK"}});
}

bool AskYesNo(const std::string& text, const std::string& caption) {
  return ShowBox({text, caption, Icon::Question, {"はい(&Y)", "いいえ(&N)"}}) == 0;
}

std::unique_ptr<QMessageBox> MakeBox(const BoxRequest& request) {
  auto box = std::make_unique<QMessageBox>();
  box->setWindowTitle(QString::fromStdString(request.caption));
  box->setTextFormat(Qt::PlainText);
  box->setText(QString::fromStdString(request.text));
  box->setIcon(request.icon == Icon::Question ? QMessageBox::Question : QMessageBox::Critical);
  for (std::size_t i = 0; i < request.buttons.size(); ++i) {
    QPushButton* button =
        box->addButton(QString::fromStdString(request.buttons[i]), RoleOf(request, i));
    button->setProperty(kIndexProperty, static_cast<int>(i));
  }
  return box;
}

}  // namespace velqoris::dialogs
