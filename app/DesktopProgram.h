#pragma once
// The desktop program: the entry screen kkj (the start-up window) and the results screen
// Form10, created when first used, wired to each other and to the dialogs, message
// boxes, clipboard and desktop they share.

#include <QPointer>
#include <functional>
#include <memory>

#include "entry/screen/ResultsScreenLink.h"

class QString;

namespace kalvoren {

class Clipboard;
class DesktopOpener;
class FileDialog;
class Form10;
class MessageBox;
class kkj;

struct DesktopSurroundings {
    FileDialog& dialog;
    MessageBox& messages;
    Clipboard& clipboard;
    DesktopOpener& opener;
    std::function<void()> endProgram;
};

class DesktopProgram final : public ResultsScreenLink {
  public:
    explicit DesktopProgram(DesktopSurroundings surroundings);
    ~DesktopProgram() override;
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    kkj& entryScreen() { return *entry_; }
    // The results screen while it is loaded, else nullptr.
    Form10* resultsScreen() const;
    // The results screen, loaded first if needed (with its two heading rows).
    Form10& loadResultsScreen();

    // Shows the entry screen; with a file, opens it as Open File does.
    void start(const QString& analysisFile);

    // ResultsScreenLink
    ResultSink& resultSink() override;
    void showResultsScreen() override;
    void unloadResultsScreen() override;

  private:
    class ResultsScreenSink;

    DesktopSurroundings s_;
    std::unique_ptr<kkj> entry_;
    QPointer<Form10> results_;
    std::unique_ptr<ResultsScreenSink> sink_;
};

}  // namespace kalvoren
