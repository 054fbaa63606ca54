#pragma once
// The desktop program with its dialogs, message boxes, clipboard and desktop replaced,
// started in a scratch folder that becomes the current directory (the run's data files
// and the scratch files go there).

#include <gtest/gtest.h>

// Before any Qt header: the classification records have a member named `slots`.
#include "classification/RunCalculation.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "app/DesktopProgram.h"
#include "entry/screen/kkj.h"
#include "platform/qt/Fakes.h"
#include "platform/qt/GridControl.h"
#include "results/Form10.h"

namespace kalvoren::testing {

// One application object for every widget test of the binary.
inline QApplication& application() {
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return *app;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kalvoren_app_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own objects are torn down by the exit handlers in an order a
    // static application object would not survive.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

inline std::filesystem::path exampleFile() {
    return std::filesystem::path(KALVOREN_SOURCE_DIR) / "examples" / "example.pyx";
}

class DesktopFixture : public ::testing::Test {
  protected:
    FakeFileDialog dialog;
    FakeMessageBox messages;
    FakeClipboard clipboard;
    FakeDesktopOpener opener;
    int endProgramCalls = 0;
    std::unique_ptr<DesktopProgram> program;
    std::filesystem::path folder;

    void SetUp() override {
        application();
        previousFolder_ = std::filesystem::current_path();
        folder = std::filesystem::temp_directory_path() /
                 ("kalvoren-app-test-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        std::filesystem::current_path(folder);
        program = std::make_unique<DesktopProgram>(DesktopSurroundings{
            dialog, messages, clipboard, opener, [this] { ++endProgramCalls; }});
        entry().show();
    }

    void TearDown() override {
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        std::filesystem::current_path(previousFolder_);
        std::filesystem::remove_all(folder);
    }

    kkj& entry() { return program->entryScreen(); }
    CellGrid& table() { return entry().table(); }
    GridControl& grid() { return entry().grid(); }

    QAction* item(const char* name) {
        QAction* a = entry().menuItem(name);
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    void choose(const char* name) {
        if (QAction* a = item(name)) a->trigger();
    }
    void pressToolButton(int number) {
        QAction* button = entry().toolButton(number);
        ASSERT_NE(button, nullptr);
        button->trigger();
    }
    // Keys typed on the grid as the user types them.
    void type(const QString& text) { QTest::keyClicks(&grid(), text); }
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(&grid(), k, m);
    }
    // A shortcut pressed while the entry screen is the active window.
    bool activate(QWidget& window) {
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window, 2000);
    }

    std::string cell(int row, int col) { return table().text(row, col); }

  private:
    std::filesystem::path previousFolder_;
};

}  // namespace kalvoren::testing
