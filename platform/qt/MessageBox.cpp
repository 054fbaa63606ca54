#include "platform/qt/MessageBox.h"

#include <QMessageBox>

namespace kalvoren {

void QtMessageBox::showMessage(QWidget* parent, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kProgramTitle), text, QMessageBox::Ok,
                    parent);
    if (!detail.isEmpty()) box.setInformativeText(detail);
    box.exec();
}

void QtMessageBox::showExclamation(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kProgramTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

SaveChoice QtMessageBox::askSaveChanges(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(kProgramTitle), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

}  // namespace kalvoren
