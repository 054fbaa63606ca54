#include "platform/qt/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace kalvoren {

namespace {

// Where a shipped file lives in the source tree, for a program run from its build tree:
// the help guide is kept under docs/, the examples and templates at the top.
QString sourceTreePath(const QString& relativePath) {
#ifdef KALVOREN_SOURCE_DIR
    const QDir source(QStringLiteral(KALVOREN_SOURCE_DIR));
    if (relativePath.startsWith(QLatin1String("help/")))
        return source.filePath(QStringLiteral("docs/") + relativePath);
    if (relativePath.startsWith(QLatin1String("examples/")) ||
        relativePath.startsWith(QLatin1String("templates/")))
        return source.filePath(relativePath);
#else
    (void)relativePath;
#endif
    return {};
}

// Only plain relative paths inside the data folder are looked up: an absolute path or a
// ".." step would reach files the program does not ship.
bool isInsideDataFolder(const QString& relativePath) {
    if (relativePath.isEmpty() || QDir::isAbsolutePath(relativePath)) return false;
    const QStringList steps = QDir::fromNativeSeparators(relativePath).split(QLatin1Char('/'));
    return !steps.contains(QStringLiteral(".."));
}

}  // namespace

QString programFolder() {
    if (QCoreApplication::instance() != nullptr) return QCoreApplication::applicationDirPath();
    // Before the application object exists (tools, early start-up) ask the system.
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    const QString target = self.canonicalFilePath();
    return target.isEmpty() ? QString() : QFileInfo(target).absolutePath();
}

QString programFile(const QString& relativePath) {
    if (!isInsideDataFolder(relativePath)) return {};
    QStringList candidates;
    const QString folder = programFolder();
    if (!folder.isEmpty()) {
        const QDir exeDir(folder);
        candidates << exeDir.filePath(relativePath)
                   << exeDir.filePath(QStringLiteral("../share/kalvoren/") + relativePath);
    }
    candidates << sourceTreePath(relativePath);
    for (const QString& candidate : candidates) {
        if (candidate.isEmpty()) continue;
        const QFileInfo info(candidate);
        if (info.isFile()) return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

}  // namespace kalvoren
