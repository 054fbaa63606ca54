#include "platform/qt/FileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace kalvoren {

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        if (description.endsWith(QStringLiteral("(") + pattern + QStringLiteral(")")))
            filters << description;
        else
            filters << description + QStringLiteral(" (") + pattern + QStringLiteral(")");
    }
    if (filters.isEmpty()) filters << filter.trimmed();
    return filters.join(QStringLiteral(";;"));
}

namespace {
// The first pattern's extension ("*.pyx" -> "pyx"), added to a saved name without one.
QString defaultSuffix(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return {};
    const QString pattern = parts[1].trimmed();
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return {};
    const QString suffix = pattern.mid(dot + 1);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}
}  // namespace

QString QtFileDialog::chooseFileToOpen(QWidget* parent, const QString& filter) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), qtFileFilter(filter));
}

QString QtFileDialog::chooseFileToSave(QWidget* parent, const QString& filter) {
    QFileDialog dialog(parent, QString(), QString(), qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace kalvoren
