#pragma once
// The screens' file dialog (CommonDialog1): a filter, shown for opening or saving, the
// chosen full path or "" when nothing was chosen. An interface so tests can answer it.

#include <QString>

class QWidget;

namespace kalvoren {

class FileDialog {
  public:
    virtual ~FileDialog() = default;
    // `filter` in the program's form "Description|*.ext" (pairs joined by "|").
    virtual QString chooseFileToOpen(QWidget* parent, const QString& filter) = 0;
    virtual QString chooseFileToSave(QWidget* parent, const QString& filter) = 0;
};

// "Pyroxene files(*.pyx) |*.pyx" -> "Pyroxene files(*.pyx)" (Qt reads the pattern from the
// parentheses); a description without them gets " (*.pyx)" appended. Pairs become
// ";;"-separated Qt filters.
QString qtFileFilter(const QString& filter);

class QtFileDialog final : public FileDialog {
  public:
    QString chooseFileToOpen(QWidget* parent, const QString& filter) override;
    QString chooseFileToSave(QWidget* parent, const QString& filter) override;
};

}  // namespace kalvoren
