#include "platform/qt/DesktopOpener.h"

#include <QDesktopServices>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

namespace kalvoren {

namespace {

// On a freedesktop system QDesktopServices reports success as soon as xdg-open starts,
// even when no program handles the file's type. Ask for the default handler first, so a
// caller can fall back (for example to the program's own diagram) when there is none.
bool hasDefaultHandler(const QString& localFile) {
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return true;  // no way to ask: let the desktop try
    const QString type = QMimeDatabase().mimeTypeForFile(localFile).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        return true;
    }
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

bool QtDesktopOpener::open(const QUrl& url) {
    if (url.isLocalFile() && !hasDefaultHandler(url.toLocalFile())) return false;
    return QDesktopServices::openUrl(url);
}

}  // namespace kalvoren
