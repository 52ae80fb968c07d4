// The program's dialogs: the hints with "Don't show it again!", plain messages, input prompts
// and the results report "results output" placed at the mouse pointer.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

namespace mv::ui {

// A hint with an OK button and the box "Don't show it again!"; true when the box was checked
// on OK.
bool show_hint_dialog(const QString& text);
void show_message_dialog(const QString& text);
// nullopt when cancelled.
std::optional<QString> prompt_dialog(const QString& caption, const QString& text,
                                     const QString& default_value);

// Top-left corner of a window of `frame` size whose horizontal centre is on the pointer and
// whose bottom edge is 30 pixels below it, pushed inside `screen` (left and top win when the
// window is larger than the screen).
QPoint report_dialog_position(QPoint pointer, QSize frame, QRect screen);
// The modal "results output" dialog at the mouse pointer.
void show_report_dialog(const QString& text);

}  // namespace mv::ui
