// The results screen's Graph menu and toolbar button 13: a diagram template goes to the
// desktop when something there opens it; otherwise Kalvoren draws the diagram itself from
// the data files of the current directory, where the run wrote them.

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <string>

#include "diagrams/DiagramCatalogue.h"
#include "platform/qt/DesktopOpener.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/MessageBox.h"
#include "results/DiagramWindow.h"
#include "results/Form10.h"

namespace kalvoren {

namespace {
constexpr const char* kGrapherFilter = "Grapher files(*.grf) |*.grf";
}  // namespace

void Form10::openDiagram(int catalogueIndex) {
    if (catalogueIndex < 0 || catalogueIndex >= kDiagramCount) return;
    const DiagramEntry& entry = kDiagramCatalogue[static_cast<std::size_t>(catalogueIndex)];
    const QString name =
        QString::fromUtf8(entry.templateName.data(), qsizetype(entry.templateName.size()));
    // Templates and data files sit side by side in the current directory.
    const QDir here = QDir::current();
    if (QFileInfo(here.filePath(name)).isFile() &&
        s_.opener.open(QUrl::fromLocalFile(here.absoluteFilePath(name))))
        return;
    showDiagramWindow(*this, catalogueIndex, here.absolutePath(), s_.dialog, s_.messages);
}

void Form10::plotGraphFromTemplate() {
    const QString chosen = s_.dialog.chooseFileToOpen(this, QString::fromLatin1(kGrapherFilter));
    if (chosen.isEmpty()) return;  // cancelled: launch nothing
    const QFileInfo file(chosen);
    if (file.isFile() && s_.opener.open(QUrl::fromLocalFile(file.absoluteFilePath()))) return;
    // Nothing opened it: draw it ourselves when it is one of our diagrams.
    if (const auto index = diagramIndexOfTemplate(file.fileName().toStdString())) {
        showDiagramWindow(*this, *index, QDir::currentPath(), s_.dialog, s_.messages);
        return;
    }
    s_.messages.showMessage(
        this, QStringLiteral("%1 could not be opened.").arg(QDir::toNativeSeparators(chosen)),
        file.isFile() ? QStringLiteral("No program on this computer opens Grapher templates, and "
                                       "it is not one of the diagrams of the Graph menu, which "
                                       "Kalvoren can draw itself.")
                      : QStringLiteral("The file was not found."));
}

}  // namespace kalvoren
