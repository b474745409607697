#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The text and icon the common error box shows for a negative result code. Communication
// failures name the USB hint only when the current monitor is not already reached over USB.
struct ErrorText {
    int string_id;
    QString text;
    QMessageBox::Icon icon;
};
ErrorText error_text(int code, bool current_monitor_is_usb);

// The common error box: the message for `code`, the application name as title, one OK button;
// with `auto_close` it closes itself after 60 seconds.
void show_error(QWidget* parent, int code, bool auto_close = false, bool placement = false);
void show_message(QWidget* parent, const QString& text, QMessageBox::Icon icon,
                  bool auto_close = false, bool placement = false);
