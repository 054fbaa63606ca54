#include "results/HelpGuide.h"

#include <QUrl>

#include "platform/qt/DesktopOpener.h"
#include "platform/qt/ProgramFolder.h"

namespace kalvoren {

QString helpGuidePath() {
    return programFile(QString::fromLatin1(kHelpGuideFile));
}

bool openHelpGuide(DesktopOpener& opener) {
    const QString path = helpGuidePath();
    if (path.isEmpty()) return false;
    return opener.open(QUrl::fromLocalFile(path));
}

}  // namespace kalvoren
