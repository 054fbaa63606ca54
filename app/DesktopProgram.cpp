#include "app/DesktopProgram.h"

#include <QString>

#include "entry/screen/kkj.h"
#include "platform/qt/CommandError.h"
#include "results/Form10.h"
#include "results/Form8.h"
#include "results/HelpGuide.h"

// The pictures and the icon are compiled into the program's static library, whose
// resources must be registered by hand.
static void registerProgramResources() {
    Q_INIT_RESOURCE(kalvoren);
}

namespace kalvoren {

// The results screen as the calculation run writes to it; every call loads the screen
// first if it was closed in between.
class DesktopProgram::ResultsScreenSink final : public ResultSink {
  public:
    explicit ResultsScreenSink(DesktopProgram& program) : program_(program) {}

    void setStatusPanel(int panel, std::string_view text) override {
        program_.loadResultsScreen().setStatusPanel(
            panel, QString::fromUtf8(text.data(), qsizetype(text.size())));
    }
    void show() override { program_.loadResultsScreen().showScreen(); }
    void appendResultRow(std::string_view rowText, const RowResult&) override {
        program_.loadResultsScreen().appendResultRow(rowText);
    }

  private:
    DesktopProgram& program_;
};

namespace {
void openHelpOrSay(DesktopOpener& opener) {
    if (!openHelpGuide(opener))
        throw CommandError(ErrorNumber::FileNotFound, "The help guide (" +
                                                          std::string(kHelpGuideFile) +
                                                          ") could not be opened in a browser.");
}
}  // namespace

DesktopProgram::DesktopProgram(DesktopSurroundings surroundings)
    : s_(std::move(surroundings)), sink_(std::make_unique<ResultsScreenSink>(*this)) {
    registerProgramResources();
    entry_ = std::make_unique<kkj>(EntryScreenSurroundings{
        s_.dialog,
        s_.messages,
        s_.clipboard,
        *this,
        [this] { showAboutBox(entry_.get(), s_.opener); },
        [this] { openHelpOrSay(s_.opener); },
        [this] {
            if (s_.endProgram) s_.endProgram();
        },
        &s_.opener,
    });
}

DesktopProgram::~DesktopProgram() {
    delete results_.data();
    entry_.reset();
}

Form10* DesktopProgram::resultsScreen() const {
    return results_.data();
}

Form10& DesktopProgram::loadResultsScreen() {
    if (results_.isNull()) {
        auto* screen = new Form10(ResultsScreenSurroundings{
            s_.messages,
            s_.clipboard,
            s_.opener,
            s_.dialog,
            [this] {
                entry_->show();
                entry_->raise();
                entry_->activateWindow();
            },
            [this] { entry_->runCommand(&kkj::mnuExit_Click); },
        });
        // Closing the window unloads the screen with its rows; the next use loads it anew.
        screen->setAttribute(Qt::WA_DeleteOnClose);
        results_ = screen;
    }
    return *results_;
}

void DesktopProgram::start(const QString& analysisFile) {
    entry_->show();
    if (!analysisFile.isEmpty()) entry_->openAnalysisFile(analysisFile);
}

ResultSink& DesktopProgram::resultSink() {
    loadResultsScreen();
    return *sink_;
}

void DesktopProgram::showResultsScreen() {
    loadResultsScreen().showScreen();
}

void DesktopProgram::unloadResultsScreen() {
    // The command that asks may be running inside the results screen itself (its Exit), so
    // the screen goes once that command has returned; from now on it counts as unloaded.
    Form10* screen = results_.data();
    results_ = nullptr;
    if (screen == nullptr) return;
    screen->hide();
    screen->deleteLater();
}

}  // namespace kalvoren
