#include "ui/dialogs.h"

#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <algorithm>

namespace mv::ui {

namespace {

// Places itself at the pointer once its size is known (a message box sizes itself on show).
class ReportBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    const QPoint pointer = QCursor::pos();
    QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const QSize frame_size(std::max(frame.width(), inner.width()),
                           std::max(frame.height(), inner.height()));
    move(report_dialog_position(pointer, frame_size, screen->geometry()));
  }
};

}  // namespace

// A message box without icon, with one OK button.
void make_plain(QMessageBox& box, const QString& title, const QString& text) {
  box.setIcon(QMessageBox::NoIcon);
  box.setWindowTitle(title);
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
}

bool show_hint_dialog(const QString& text) {
  QMessageBox box;
  make_plain(box, QGuiApplication::applicationName(), text);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* again = new QCheckBox(QStringLiteral("Don't show it again!"));
  again->setObjectName(QStringLiteral("dont_show_again"));
  box.setCheckBox(again);
  const int answer = box.exec();
  return answer == QMessageBox::Ok && again->isChecked();
}

void show_message_dialog(const QString& text) {
  QMessageBox box;
  make_plain(box, QGuiApplication::applicationName(), text);
  box.exec();
}

std::optional<QString> prompt_dialog(const QString& caption, const QString& text,
                                     const QString& default_value) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(nullptr, caption, text, QLineEdit::Normal, default_value, &ok);
  if (!ok) return std::nullopt;
  return answer;
}

QPoint report_dialog_position(QPoint pointer, QSize frame, QRect screen) {
  int x = pointer.x() - frame.width() / 2;
  int y = pointer.y() + 30 - frame.height();
  x = std::max(std::min(x, screen.right() + 1 - frame.width()), screen.left());
  y = std::max(std::min(y, screen.bottom() + 1 - frame.height()), screen.top());
  return {x, y};
}

void show_report_dialog(const QString& text) {
  ReportBox box;
  box.setObjectName(QStringLiteral("results_output"));
  make_plain(box, QStringLiteral("results output"), text);
  box.exec();
}

}  // namespace mv::ui
