// kalvoren: the desktop program. `kalvoren [FILE.pyx]` starts on the entry screen and,
// given a file, opens it as Open File does.

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "app/DesktopProgram.h"
#include "platform/qt/Clipboard.h"
#include "platform/qt/DesktopOpener.h"
#include "platform/qt/FileDialog.h"
#include "platform/qt/MessageBox.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvoren"));
    QApplication::setApplicationVersion(QStringLiteral("1.07"));
    QApplication::setDesktopFileName(QStringLiteral("kalvoren"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Pyroxene structural formulae, IMA classification and thermobarometry."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("An analysis file (.pyx) to open."),
                                 QStringLiteral("[file]"));
    parser.process(application);

    kalvoren::QtFileDialog dialog;
    kalvoren::QtMessageBox messages;
    kalvoren::QtClipboard clipboard;
    kalvoren::QtDesktopOpener opener;
    kalvoren::DesktopProgram program(kalvoren::DesktopSurroundings{
        dialog, messages, clipboard, opener, [] { QCoreApplication::quit(); }});
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/kalvoren/icon.svg")));

    const QStringList files = parser.positionalArguments();
    program.start(files.isEmpty() ? QString() : files.constFirst());
    return QApplication::exec();
}
