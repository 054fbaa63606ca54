#pragma once
// Message boxes of both screens: a small interface so tests can answer them.

#include <QString>

class QWidget;

namespace kalvoren {

// The caption of the program's message boxes.
inline const char* const kProgramTitle = "Kalvoren";

enum class SaveChoice { Save, Discard, Cancel };

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // A message with a single OK button; `detail` (may be empty) says more below it.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& detail) = 0;
    // A message with an exclamation icon and an OK button.
    virtual void showExclamation(QWidget* parent, const QString& text) = 0;
    // Save / Discard / Cancel.
    virtual SaveChoice askSaveChanges(QWidget* parent, const QString& text) = 0;
};

class QtMessageBox final : public MessageBox {
  public:
    void showMessage(QWidget* parent, const QString& text, const QString& detail) override;
    void showExclamation(QWidget* parent, const QString& text) override;
    SaveChoice askSaveChanges(QWidget* parent, const QString& text) override;
};

}  // namespace kalvoren
