#pragma once
// Stand-ins for the dialogs, message boxes, clipboard and desktop that tests script and
// inspect. Header-only; the program itself never uses them.

#include <deque>
#include <string>
#include <vector>

#include "platform/qt/Clipboard.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/DesktopOpener.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/MessageBox.h"

namespace kalvoren {

// Answers each dialog with the next scripted name ("" = cancelled; none left = cancelled).
class FakeFileDialog final : public FileDialog {
  public:
    std::deque<QString> answers;
    std::vector<QString> filtersShown;
    std::vector<bool> shownForSaving;

    QString chooseFileToOpen(QWidget*, const QString& filter) override {
        return answer(filter, false);
    }
    QString chooseFileToSave(QWidget*, const QString& filter) override {
        return answer(filter, true);
    }

  private:
    QString answer(const QString& filter, bool saving) {
        filtersShown.push_back(filter);
        shownForSaving.push_back(saving);
        if (answers.empty()) return {};
        QString name = answers.front();
        answers.pop_front();
        return name;
    }
};

class FakeMessageBox final : public MessageBox {
  public:
    struct Shown {
        QString text;
        QString detail;
        bool exclamation = false;
        bool question = false;
    };
    std::vector<Shown> shown;
    std::deque<SaveChoice> saveAnswers;  // none left: Cancel

    void showMessage(QWidget*, const QString& text, const QString& detail) override {
        shown.push_back({text, detail, false, false});
    }
    void showExclamation(QWidget*, const QString& text) override {
        shown.push_back({text, {}, true, false});
    }
    SaveChoice askSaveChanges(QWidget*, const QString& text) override {
        shown.push_back({text, {}, false, true});
        if (saveAnswers.empty()) return SaveChoice::Cancel;
        const SaveChoice c = saveAnswers.front();
        saveAnswers.pop_front();
        return c;
    }
    QStringList texts() const {
        QStringList list;
        for (const Shown& s : shown) list << s.text;
        return list;
    }
};

// A clipboard in memory; `unavailable` makes every operation fail like a clipboard that
// another program holds open.
class FakeClipboard final : public Clipboard {
  public:
    std::string content;
    bool unavailable = false;

    void clear() override {
        check();
        content.clear();
    }
    void setText(const std::string& utf8) override {
        check();
        content = utf8;
    }
    std::string text() override {
        check();
        return content;
    }

  private:
    void check() const {
        if (unavailable) throw CommandError(ErrorNumber::ClipboardUnavailable);
    }
};

class FakeDesktopOpener final : public DesktopOpener {
  public:
    std::vector<QUrl> opened;
    bool succeeds = true;
    bool open(const QUrl& url) override {
        opened.push_back(url);
        return succeeds;
    }
};

}  // namespace kalvoren
