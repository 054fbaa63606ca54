// The exported Output.xlsx as a spreadsheet program reads it: converted to CSV by
// LibreOffice when it is installed (skipped otherwise) and compared with the grid.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/qt/Fakes.h"
#include "results/Form10.h"

namespace kalvoren {
namespace {

QApplication& widgetApplication() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kalvoren_results_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// The rows of a CSV text: fields split at commas, double quotes around a field that holds
// commas or quotes.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quoted) {
            if (ch == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (ch == '\n' || ch == '\r') {
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
        } else {
            field += ch;
        }
    }
    if (!field.empty() || !rows.back().empty()) rows.back().push_back(field);
    if (rows.back().empty()) rows.pop_back();
    return rows;
}

TEST(ResultsExport, LibreOfficeReadsTheExportedGridWithNumbersAsNumbers) {
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    widgetApplication();

    // A scratch folder is the current folder while the test runs, however it ends.
    struct ScratchCurrentFolder {
        std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("kalvoren-export-" + std::to_string(::getpid()));
        ScratchCurrentFolder() {
            std::filesystem::remove_all(path);
            std::filesystem::create_directories(path);
            std::filesystem::current_path(path);
        }
        ~ScratchCurrentFolder() {
            std::filesystem::current_path(previous);
            std::filesystem::remove_all(path);
        }
    } scratch;
    const std::filesystem::path& folder = scratch.path;

    FakeMessageBox messages;
    FakeClipboard clipboard;
    FakeDesktopOpener opener;
    FakeFileDialog dialog;
    auto screen = std::make_unique<Form10>(
        ResultsScreenSurroundings{messages, clipboard, opener, dialog, [] {}, [] {}});
    screen->appendResultRow("Di 1\t51.2000\t1,234.5000\t2269\t-3.20\tAugite, sodian\t007");
    screen->appendResultRow("En \"2\"\t0.0500\t\t5E-05");
    screen->menuItem("mnuSEF")->trigger();
    ASSERT_TRUE(messages.shown.empty());
    ASSERT_TRUE(std::filesystem::exists(folder / "Output.xlsx"));

    QProcess convert;
    convert.setWorkingDirectory(QString::fromStdString(folder.string()));
    convert.start(office, {QStringLiteral("-env:UserInstallation=file://") +
                               QString::fromStdString((folder / "profile").string()),
                           QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                           QStringLiteral("csv"), QStringLiteral("--outdir"),
                           QString::fromStdString((folder / "csv").string()),
                           QString::fromStdString((folder / "Output.xlsx").string())});
    const bool finished = convert.waitForFinished(180000);
    if (!finished) convert.kill();
    ASSERT_TRUE(finished) << "LibreOffice did not finish the conversion";
    std::ifstream in(folder / "csv" / "Output.csv", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(text.empty()) << convert.readAllStandardError().toStdString();

    const auto rows = csvRows(text);
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) EXPECT_EQ(row.size(), 211u);
    EXPECT_EQ(rows[0][0], "");
    EXPECT_EQ(rows[0][1], "1");
    EXPECT_EQ(rows[0][210], "210");
    EXPECT_EQ(rows[1][0], "Sample       ");
    EXPECT_EQ(rows[1][210], "Chk for Opx");
    // Numbers are shown in the general format: stored as numbers, not as the grid's text.
    const std::vector<std::string> first = {"Di 1", "51.2",           "1234.5", "2269",
                                            "-3.2", "Augite, sodian", "007"};
    const std::vector<std::string> second = {"En \"2\"", "0.05", "", "0.00005"};
    for (std::size_t c = 0; c < first.size(); ++c) EXPECT_EQ(rows[2][c], first[c]) << c;
    for (std::size_t c = 0; c < second.size(); ++c) EXPECT_EQ(rows[3][c], second[c]) << c;

    screen.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace kalvoren
