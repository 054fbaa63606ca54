#include "platform/qt/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include "platform/qt/CommandError.h"

namespace kalvoren {

namespace {
QClipboard& systemClipboard() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) throw CommandError(ErrorNumber::ClipboardUnavailable);
    return *clipboard;
}
}  // namespace

void QtClipboard::clear() {
    systemClipboard().clear();
}

void QtClipboard::setText(const std::string& utf8) {
    systemClipboard().setText(QString::fromStdString(utf8));
}

std::string QtClipboard::text() {
    return systemClipboard().text().toStdString();
}

}  // namespace kalvoren
