#include "results/Form10.h"

#include <QAction>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <new>

#include "diagrams/DiagramCatalogue.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/ErrorMessageTable.h"
#include "platform/qt/GridClipboard.h"
#include "platform/qt/GridControl.h"
#include "platform/qt/MessageBox.h"
#include "results/Form8.h"
#include "results/HelpGuide.h"
#include "results/ResultHeadingRow.h"
#include "results/ResultsGridEditing.h"

namespace kalvoren {

namespace {

constexpr const char* kSubtitle =
    "A Desktop Program for Pyroxene Calculation Classification  (IMA-1988) and Thermobarometry";

// 255 twips at 96 dots per inch.
constexpr int kMinimumRowHeight = 17;

struct ToolButtonTip {
    int number;
    const char* tip;
    QStyle::StandardPixmap icon;
};

// Sixteen buttons numbered from 1; 6, 8, 11 and 15 are separators.
constexpr std::array<ToolButtonTip, 12> kToolButtons{{
    {1, "Cut", QStyle::SP_DialogDiscardButton},
    {2, "Copy", QStyle::SP_FileDialogContentsView},
    {3, "Paste", QStyle::SP_FileDialogDetailedView},
    {4, "Delete", QStyle::SP_TrashIcon},
    {5, "Select All", QStyle::SP_FileDialogListView},
    {7, "Exit program", QStyle::SP_TitleBarCloseButton},
    {9, "Send results to Excel File (Output.xlsx)", QStyle::SP_DialogSaveButton},
    {10, "Open and Edit Excel file (Output.xlsx)", QStyle::SP_DialogOpenButton},
    {12, "About", QStyle::SP_MessageBoxInformation},
    {13, "Plot graph by using Grapher", QStyle::SP_ComputerIcon},
    {14, "Help", QStyle::SP_DialogHelpButton},
    {16, "Display Previous Screen", QStyle::SP_ArrowBack},
}};

QString qText(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

Form10::Form10(ResultsScreenSurroundings surroundings, QWidget* parent)
    : QMainWindow(parent), s_(std::move(surroundings)) {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("K a l v o r e n"));
    buildWidgets();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    resize(1260, 720);
    Form_Load();
}

Form10::~Form10() {
    // The grid's view reads the table, which is a member: it goes before the table does.
    delete MSFlexGrid1;
}

// ---------------------------------------------------------------- building the screen

void Form10::buildWidgets() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* banner = new QFrame(central);
    banner->setObjectName(QStringLiteral("Frame2"));
    banner->setFrameShape(QFrame::StyledPanel);
    auto* titles = new QVBoxLayout(banner);
    Label3 = new QLabel(QStringLiteral("Calculation Screen"), banner);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont titleFont = Label3->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label3->setFont(titleFont);
    Label3->setAlignment(Qt::AlignCenter);
    Label2 = new QLabel(QString::fromUtf8(kSubtitle), banner);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    titles->addWidget(Label3);
    titles->addWidget(Label2);
    layout->addWidget(banner);

    ProgressBar1 = new QProgressBar(central);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    layout->addWidget(ProgressBar1);

    MSFlexGrid1 = new GridControl(grid_, central);
    MSFlexGrid1->verticalHeader()->setMinimumSectionSize(kMinimumRowHeight);
    layout->addWidget(MSFlexGrid1, 1);
    connect(MSFlexGrid1, &GridControl::keyPressed, this, &Form10::MSFlexGrid1_KeyPress);
    connect(MSFlexGrid1, &GridControl::mouseDown, this, &Form10::MSFlexGrid1_MouseDown);

    setCentralWidget(central);
}

QAction* Form10::addItem(QMenu* menu, const char* name, const char* caption,
                         const QKeySequence& key, void (Form10::*handler)()) {
    auto* item = new QAction(QString::fromUtf8(caption), this);
    item->setObjectName(QString::fromUtf8(name));
    if (!key.isEmpty()) item->setShortcut(key);
    if (handler != nullptr)
        connect(item, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    menu->addAction(item);
    return item;
}

void Form10::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto ctrl = [](int key) { return QKeySequence(Qt::CTRL | key); };

    mnuEdit = bar->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEdit->setSeparatorsCollapsible(false);
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnusep23"));
    addItem(mnuEdit, "mnuEditCut", "Cut", ctrl(Qt::Key_C), &Form10::mnuEditCut_Click);
    addItem(mnuEdit, "mnuEditCopy", "Copy", ctrl(Qt::Key_Y), &Form10::mnuEditCopy_Click);
    addItem(mnuEdit, "mnuEditPaste", "Paste", ctrl(Qt::Key_P), &Form10::mnuEditPaste_Click);
    addItem(mnuEdit, "mnuEditDelete", "Delete", ctrl(Qt::Key_D), &Form10::mnuEditDelete_Click);
    addItem(mnuEdit, "mnuEditSelectAll", "Select All", ctrl(Qt::Key_S),
            &Form10::mnuEditSelectAll_Click);
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnusep"));
    addItem(mnuEdit, "mnuExit", "Exit", ctrl(Qt::Key_E), &Form10::mnuExit_Click);

    QMenu* excel = bar->addMenu(QStringLiteral("Excel"));
    excel->setObjectName(QStringLiteral("mnuOEF1"));
    excel->setSeparatorsCollapsible(false);
    excel->addSeparator()->setObjectName(QStringLiteral("mnusep3"));
    addItem(excel, "mnuSEF", "Send Results to Excel (Output.xlsx)", ctrl(Qt::Key_G),
            &Form10::mnuSEF_Click);
    addItem(excel, "mnuOEF", "Open Excel File (Output.xlsx)", ctrl(Qt::Key_H),
            &Form10::mnuOEF_Click);
    excel->addSeparator()->setObjectName(QStringLiteral("mnusep20"));
    addItem(excel, "mnuEOX", "Exit Excel File (i.e., Output.xlsx)", QKeySequence(),
            &Form10::mnuEOX_Click);
    excel->addSeparator()->setObjectName(QStringLiteral("mnusep15"));

    QMenu* graph = bar->addMenu(QStringLiteral("Graph"));
    graph->setObjectName(QStringLiteral("mnuGraph"));
    std::array<QMenu*, kDiagramSubmenus.size()> submenus{};
    for (std::size_t i = 0; i < kDiagramSubmenus.size(); ++i) {
        QMenu* sub = graph->addMenu(qText(kDiagramSubmenus[i].caption));
        sub->setObjectName(qText(kDiagramSubmenus[i].menuItem));
        sub->setSeparatorsCollapsible(false);
        sub->addSeparator();
        submenus[i] = sub;
    }
    for (int index = 0; index < kDiagramCount; ++index) {
        const DiagramEntry& entry = kDiagramCatalogue[static_cast<std::size_t>(index)];
        QMenu* sub = submenus[static_cast<std::size_t>(entry.submenu)];
        auto* item = new QAction(qText(entry.caption), this);
        item->setObjectName(qText(entry.menuItem));
        connect(item, &QAction::triggered, this, [this, index] { runDiagramCommand(index); });
        sub->addAction(item);
        if (entry.separatorAfter) sub->addSeparator();
    }

    QAction* about = bar->addAction(QStringLiteral("About"));
    about->setObjectName(QStringLiteral("mnuAbaout"));
    connect(about, &QAction::triggered, this, [this] { runCommand(&Form10::mnuAbaout_Click); });

    mnuHelp = bar->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    // The menu title carries the help command itself: opening the menu opens the guide.
    connect(mnuHelp, &QMenu::aboutToShow, this, [this] { runCommand(&Form10::mnuHelp_Click); });
    addItem(mnuHelp, "mnuHelpContents", "Click Here for Help Index           F1", QKeySequence(),
            &Form10::mnuHelpContents_Click);

    auto* f1 = new QAction(this);
    f1->setObjectName(QStringLiteral("helpKey"));
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    connect(f1, &QAction::triggered, this, [this] { runCommand(&Form10::mnuHelpContents_Click); });
    addAction(f1);
}

void Form10::buildToolbar() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setIconSize(QSize(22, 22));
    std::size_t next = 0;
    for (int number = 1; number <= 16; ++number) {
        QAction* button = nullptr;
        if (next < kToolButtons.size() && kToolButtons[next].number == number) {
            const ToolButtonTip& b = kToolButtons[next++];
            button = Toolbar1->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.tip));
            button->setToolTip(QString::fromUtf8(b.tip));
            connect(button, &QAction::triggered, this,
                    [this, number] { Toolbar1_ButtonClick(number); });
        } else {
            button = Toolbar1->addSeparator();
        }
        button->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(number));
        toolButtons_[static_cast<std::size_t>(number)] = button;
    }
}

void Form10::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    const std::array<const char*, 8> tips{"",
                                          "File",
                                          "Numbers of ions on the basis of 6 oxygen",
                                          "Normalization",
                                          "Ferric iron estimation approach",
                                          "Cpx for graphical two-pyroxene thermometer",
                                          "Clock",
                                          "Date"};
    for (int panel = 1; panel <= 7; ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("StatusBar1_Panel%1").arg(panel));
        label->setToolTip(QString::fromUtf8(tips[static_cast<std::size_t>(panel)]));
        label->setFrameShape(QFrame::StyledPanel);
        label->setMargin(2);
        statusPanels_[static_cast<std::size_t>(panel)] = label;
        if (panel == 1)
            bar->addWidget(label, 1);
        else
            bar->addPermanentWidget(label);
    }
    // The clock and date panels keep themselves up to date.
    auto* clock = new QTimer(this);
    const auto tick = [this] {
        statusPanels_[6]->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
        statusPanels_[7]->setText(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    };
    connect(clock, &QTimer::timeout, this, tick);
    tick();
    clock->start(1000);
}

// ---------------------------------------------------------------- load sequence

void Form10::Form_Load() {
    ProgressBar1->hide();
    MSFlexGrid1->verticalHeader()->setDefaultSectionSize(
        std::max(MSFlexGrid1->verticalHeader()->defaultSectionSize(), kMinimumRowHeight));
    grid_.setCols(kResultsGridColumns);
    grid_.setRows(2);
    for (int c = 1; c < kResultsGridColumns; ++c) {
        grid_.setCurrent(0, c);
        grid_.setCentred(0, c, true);
        grid_.setCurrentText(std::to_string(c));
    }
    const std::string headings = resultHeadingRowText();
    std::size_t start = 0;
    for (int c = 0; c < kResultsGridColumns; ++c) {
        const std::size_t tab = headings.find('\t', start);
        grid_.setCurrent(1, c);
        grid_.setCentred(1, c, true);
        grid_.setCurrentText(headings.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    grid_.setCentred(0, 0, true);
    grid_.setCurrent(0, 0);
    MSFlexGrid1->refresh();
}

// ---------------------------------------------------------------- run's operations

void Form10::setStatusPanel(int panel, const QString& text) {
    if (panel < 1 || panel > 5) return;
    statusPanels_[static_cast<std::size_t>(panel)]->setText(text);
}

void Form10::appendResultRow(std::string_view rowText) {
    MSFlexGrid1->appendRow(rowText);
}

void Form10::showScreen() {
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

QString Form10::screenTitle() const {
    return Label3->text();
}

QString Form10::statusPanelText(int panel) const {
    if (panel < 1 || panel > 7) return {};
    return statusPanels_[static_cast<std::size_t>(panel)]->text();
}

QString Form10::statusPanelToolTip(int panel) const {
    if (panel < 1 || panel > 7) return {};
    return statusPanels_[static_cast<std::size_t>(panel)]->toolTip();
}

QAction* Form10::toolButton(int number) const {
    if (number < 1 || number > 16) return nullptr;
    return toolButtons_[static_cast<std::size_t>(number)];
}

QAction* Form10::menuItem(const char* name) const {
    return findChild<QAction*>(QString::fromUtf8(name));
}

QMenu* Form10::menu(const char* name) const {
    return findChild<QMenu*>(QString::fromUtf8(name));
}

// ---------------------------------------------------------------- commands and errors

void Form10::runCommand(void (Form10::*handler)()) {
    outcome_.run([&] { (this->*handler)(); });
    MSFlexGrid1->refresh();
    ReportCommandError();
}

void Form10::runDiagramCommand(int catalogueIndex) {
    outcome_.run([&] { openDiagram(catalogueIndex); });
    ReportCommandError();
}

void Form10::Toolbar1_ButtonClick(int button) {
    outcome_.run([&] {
        switch (button) {
            case 1:
                mnuEditCut_Click();
                break;
            case 2:
                mnuEditCopy_Click();
                break;
            case 3:
                mnuEditPaste_Click();
                break;
            case 4:
                mnuEditDelete_Click();
                break;
            case 5:
                mnuEditSelectAll_Click();
                break;
            case 7:
                mnuExit_Click();
                break;
            case 9:
                sendResultsToWorkbook(true);
                break;
            case 10:
                openOutputWorkbook();
                break;
            case 12:
                mnuAbaout_Click();
                break;
            case 13:
                plotGraphFromTemplate();
                break;
            case 14:
                mnuHelpContents_Click();
                break;
            case 16:
                DisplayPreviousScreen();
                break;
            default:
                break;  // separators
        }
    });
    MSFlexGrid1->refresh();
    ReportCommandError();
}

void Form10::ReportCommandError() {
    if (outcome_.number == 0) return;
    const auto message = resultsScreenErrorMessage(outcome_.number);
    if (!message) return;
    s_.messages.showMessage(this, qText(*message), QString::fromStdString(outcome_.detail));
}

// ---------------------------------------------------------------- Edit

void Form10::mnuEditCut_Click() {
    cutSelection(grid_, s_.clipboard);
}
void Form10::mnuEditCopy_Click() {
    copySelection(grid_, s_.clipboard);
}
void Form10::mnuEditPaste_Click() {
    pasteIntoSelection(grid_, s_.clipboard);
}
void Form10::mnuEditDelete_Click() {
    deleteSelection(grid_);
}

void Form10::mnuEditSelectAll_Click() {
    MSFlexGrid1->setUpdatesEnabled(false);
    selectWholeResultsGrid(grid_);
    MSFlexGrid1->refresh();
    MSFlexGrid1->showTopRow();
    MSFlexGrid1->setUpdatesEnabled(true);
}

void Form10::mnuExit_Click() {
    if (s_.exitProgram) s_.exitProgram();
}

// ---------------------------------------------------------------- workbook and diagrams

// sendResultsToWorkbook, openOutputWorkbook and exitOutputWorkbook: Form10Export.cpp.
void Form10::mnuSEF_Click() {
    sendResultsToWorkbook(false);
}
void Form10::mnuOEF_Click() {
    openOutputWorkbook();
}
void Form10::mnuEOX_Click() {
    exitOutputWorkbook();
}

// openDiagram and plotGraphFromTemplate: Form10Graph.cpp.

// ---------------------------------------------------------------- About, Help, entry screen

void Form10::mnuAbaout_Click() {
    showAboutBox(this, s_.opener);
}

void Form10::mnuHelp_Click() {
    mnuHelpContents_Click();
}

void Form10::mnuHelpContents_Click() {
    if (!openHelpGuide(s_.opener))
        throw CommandError(ErrorNumber::FileNotFound, "The help guide (" +
                                                          std::string(kHelpGuideFile) +
                                                          ") could not be opened in a browser.");
}

void Form10::DisplayPreviousScreen() {
    if (s_.showEntryScreen) s_.showEntryScreen();
}

// ---------------------------------------------------------------- grid events

void Form10::MSFlexGrid1_KeyPress(char32_t code) {
    const int row = grid_.row();
    const int col = grid_.col();
    if (resultsGridKeyPress(grid_, code)) MSFlexGrid1->gridModel().cellChanged(row, col);
    MSFlexGrid1->refresh();
    MSFlexGrid1->showCurrentCell();
}

void Form10::MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers, QPoint globalPos) {
    if (button == GridControl::kRightButton)
        mnuEdit->popup(globalPos - QPoint(mnuEdit->sizeHint().width() / 2, 0));
}

}  // namespace kalvoren
