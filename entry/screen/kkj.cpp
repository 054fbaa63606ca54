#include "entry/screen/kkj.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <new>

#include "entry/AnalysisTable.h"
#include "platform/qt/CommandError.h"
#include "platform/qt/ErrorMessageTable.h"
#include "platform/qt/GridControl.h"
#include "platform/qt/MessageBox.h"
#include "platform/qt/Picture.h"

namespace kalvoren {

namespace {

// The window caption: the spaced name, padded with blanks to 255 characters.
QString windowCaption() {
    QString caption = QStringLiteral("K a l v o r e n");
    return caption.leftJustified(255, QLatin1Char(' '));
}

constexpr const char* kSubtitle =
    "A Desktop Program for Pyroxene Calculation Classification  (IMA-1988) and Thermobarometry";

struct ToolButtonLabel {
    int number;
    const char* label;
    QStyle::StandardPixmap icon;
};

// The toolbar: 22 buttons numbered from 1; 6, 12, 14 and 19 are separators.
constexpr std::array<ToolButtonLabel, 18> kToolButtons{{
    {1, "New", QStyle::SP_FileIcon},
    {2, "Open", QStyle::SP_DialogOpenButton},
    {3, "Save", QStyle::SP_DialogSaveButton},
    {4, "Close", QStyle::SP_DialogCloseButton},
    {5, "Exit", QStyle::SP_TitleBarCloseButton},
    {7, "Cut", QStyle::SP_DialogDiscardButton},
    {8, "Copy", QStyle::SP_FileDialogContentsView},
    {9, "Paste", QStyle::SP_FileDialogDetailedView},
    {10, "Delete", QStyle::SP_TrashIcon},
    {11, "Select All", QStyle::SP_FileDialogListView},
    {13, "Calculate", QStyle::SP_MediaPlay},
    {15, "Load Excel (.xls)  into Grid", QStyle::SP_ArrowDown},
    {16, "Load Excel (.xlsx)  into Grid", QStyle::SP_ArrowDown},
    {17, "Edit Excel (.xls) File", QStyle::SP_FileDialogNewFolder},
    {18, "Edit Excel (.xlsx) File", QStyle::SP_FileDialogNewFolder},
    {20, "About", QStyle::SP_MessageBoxInformation},
    {21, "Help", QStyle::SP_DialogHelpButton},
    {22, "Display Next Screen", QStyle::SP_ArrowForward},
}};

}  // namespace

kkj::kkj(EntryScreenSurroundings surroundings, QWidget* parent)
    : QMainWindow(parent), s_(std::move(surroundings)) {
    setObjectName(QStringLiteral("kkj"));
    setWindowTitle(windowCaption());
    buildWidgets();
    buildMenus();
    buildToolbar();
    buildStatusBar();
    resize(1260, 740);
    Form_Load();
}

kkj::~kkj() {
    // The grid's view reads the table, which is a member: it goes before the table does.
    delete MSFlexGrid1;
}

// ---------------------------------------------------------------- building the screen

void kkj::buildWidgets() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("kkjBackground"));
    auto* layout = new QVBoxLayout(central);

    // Banner: pictures either side of the screen title and the subtitle.
    Frame2 = new QFrame(central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFrameShape(QFrame::StyledPanel);
    auto* banner = new QHBoxLayout(Frame2);
    Image1 = new QLabel(Frame2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(svgPicture(QStringLiteral(":/kalvoren/crystal-cpx.svg"), QSize(56, 56)));
    Image1->setToolTip(QStringLiteral("Clinopyroxene"));
    Image2 = new QLabel(Frame2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(svgPicture(QStringLiteral(":/kalvoren/crystal-opx.svg"), QSize(56, 56)));
    Image2->setToolTip(QStringLiteral("Orthopyroxene"));
    auto* titles = new QVBoxLayout;
    Label3 = new QLabel(QStringLiteral("Start-up Screen"), Frame2);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont titleFont = Label3->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    Label3->setFont(titleFont);
    Label3->setAlignment(Qt::AlignCenter);
    auto* subtitle = new QLabel(QString::fromUtf8(kSubtitle), Frame2);
    subtitle->setObjectName(QStringLiteral("Label2"));
    subtitle->setAlignment(Qt::AlignCenter);
    titles->addWidget(Label3);
    titles->addWidget(subtitle);
    banner->addWidget(Image1);
    banner->addLayout(titles, 1);
    banner->addWidget(Image2);
    layout->addWidget(Frame2);

    // Start-up frame: the large title and the headline.
    Frame1 = new QFrame(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* startup = new QVBoxLayout(Frame1);
    Label1 = new QLabel(QStringLiteral("Kalvoren"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bigFont = Label1->font();
    bigFont.setPointSizeF(bigFont.pointSizeF() * 5);
    bigFont.setBold(true);
    Label1->setFont(bigFont);
    Label1->setAlignment(Qt::AlignCenter);
    lblLabel1Form1 = new QLabel(
        QStringLiteral(" *Calculation   *Classification   * Thermobarometry").leftJustified(60),
        Frame1);
    lblLabel1Form1->setObjectName(QStringLiteral("lblLabel1Form1"));
    QFont headlineFont = lblLabel1Form1->font();
    headlineFont.setPointSizeF(headlineFont.pointSizeF() * 1.6);
    lblLabel1Form1->setFont(headlineFont);
    lblLabel1Form1->setAlignment(Qt::AlignCenter);
    startup->addStretch(2);
    startup->addWidget(Label1);
    startup->addWidget(lblLabel1Form1);
    startup->addStretch(3);
    layout->addWidget(Frame1, 1);

    // The two import buttons exist but stay hidden; the toolbar reaches their commands.
    Command2 = new QPushButton(QStringLiteral("Load Excel File into Grid"), central);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setToolTip(QStringLiteral("Load \"Talvestrand.xls\" File into Grid"));
    Command3 = new QPushButton(QStringLiteral("Open and Edit Excel File"), central);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setToolTip(QStringLiteral("Open \"Talvestrand.xls\" File"));
    connect(Command2, &QPushButton::clicked, this, [this] { runCommand(&kkj::Command2_Click); });
    connect(Command3, &QPushButton::clicked, this, [this] { runCommand(&kkj::Command3_Click); });
    layout->addWidget(Command2);
    layout->addWidget(Command3);

    MSFlexGrid1 = new GridControl(table_, central);
    // Sample names are wider than oxide values; the two spacer columns are narrow.
    const int sampleWidth =
        MSFlexGrid1->fontMetrics().horizontalAdvance(QStringLiteral("Kjarsgaard 1998 BK358")) + 16;
    MSFlexGrid1->setColumnWidthOf(EntryColumn::CpxSample, sampleWidth);
    MSFlexGrid1->setColumnWidthOf(EntryColumn::OpxSample, sampleWidth);
    MSFlexGrid1->setColumnWidthOf(kSpacerColumn1, 18);
    MSFlexGrid1->setColumnWidthOf(kSpacerColumn2, 18);
    layout->addWidget(MSFlexGrid1, 1);
    connect(MSFlexGrid1, &GridControl::keyPressed, this, &kkj::MSFlexGrid1_KeyPress);
    connect(MSFlexGrid1, &GridControl::mouseDown, this, &kkj::MSFlexGrid1_MouseDown);
    connect(MSFlexGrid1, &GridControl::clicked, this, &kkj::MSFlexGrid1_Click);

    setCentralWidget(central);
}

QAction* kkj::addItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& key,
                      void (kkj::*handler)()) {
    auto* item = new QAction(QString::fromUtf8(caption), this);
    item->setObjectName(QString::fromUtf8(name));
    if (!key.isEmpty()) item->setShortcut(key);
    if (handler != nullptr)
        connect(item, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    menu->addAction(item);
    return item;
}

// Choosing an option item inverts its check mark (mnuwith4_Click, mnuFe3Droop_Click and
// the others do nothing else); Qt inverts a checkable item itself, and the mark is the
// option the run reads.
QAction* kkj::addOption(QMenu* menu, const char* name, const char* caption, Option option) {
    QAction* item = addItem(menu, name, caption, QKeySequence(), nullptr);
    item->setCheckable(true);
    item->setChecked(false);
    options_.setItem(option, item);
    return item;
}

QMenu* kkj::addSeparatedMenu(QMenu* parent, const char* name, const char* title) {
    QMenu* sub = parent->addMenu(QString::fromUtf8(title));
    sub->setObjectName(QString::fromUtf8(name));
    sub->menuAction()->setObjectName(QString::fromUtf8(name));
    sub->setSeparatorsCollapsible(false);
    return sub;
}

void kkj::buildMenus() {
    QMenuBar* bar = menuBar();
    const auto ctrl = [](int key) { return QKeySequence(Qt::CTRL | key); };

    mnuFile = bar->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuNewFile =
        addItem(mnuFile, "mnuNewFile", "New File", ctrl(Qt::Key_N), &kkj::mnuNewFile_Click);
    mnuOpenFile =
        addItem(mnuFile, "mnuOpenFile", "Open File", ctrl(Qt::Key_O), &kkj::mnuOpenFile_Click);
    mnuSaveAs = addItem(mnuFile, "mnuSaveAs", "Save As", ctrl(Qt::Key_S), &kkj::mnuSaveAs_Click);
    mnuClose = addItem(mnuFile, "mnuClose", "Close", ctrl(Qt::Key_C), &kkj::mnuClose_Click);
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuSpace"));
    mnuOEF = addSeparatedMenu(mnuFile, "mnuOEF", "Open Excel File");
    mnuOEF->addSeparator();
    mnu9703 = addItem(mnuOEF, "mnu9703", "1997 - 2003 Files (.xls)", ctrl(Qt::Key_G),
                      &kkj::mnu9703_Click);
    mnu07Later = addItem(mnuOEF, "mnu07Later", "2007 - Later (.xlsx)", ctrl(Qt::Key_H),
                         &kkj::mnu07Later_Click);
    mnuOEF->addSeparator();
    mnuEEF = addSeparatedMenu(mnuFile, "mnuEEF", "Edit Excel File");
    mnuEEF->addSeparator();
    mnu9703e = addItem(mnuEEF, "mnu9703e", "1997 - 2003 Files (.xls)", ctrl(Qt::Key_F1),
                       &kkj::mnu9703e_Click);
    mnu07Latere = addItem(mnuEEF, "mnu07Latere", "2007 - Later (.xlsx)", ctrl(Qt::Key_F2),
                          &kkj::mnu07Latere_Click);
    mnuEEF->addSeparator();
    mnuFile->addSeparator()->setObjectName(QStringLiteral("mnuci23"));
    mnuExit = addItem(mnuFile, "mnuExit", "Exit", ctrl(Qt::Key_X), &kkj::mnuExit_Click);

    mnuEdit = bar->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuClear = addItem(mnuEdit, "mnuClear", "Clear All", ctrl(Qt::Key_A), &kkj::mnuClear_Click);
    mnuDelete = addItem(mnuEdit, "mnuDelete", "Remove Row", ctrl(Qt::Key_D), &kkj::mnuDelete_Click);
    mnuEditInsertRow = addItem(mnuEdit, "mnuEditInsertRow", "Insert Row", ctrl(Qt::Key_I),
                               &kkj::mnuEditInsertRow_Click);
    mnuEdit->addSeparator()->setObjectName(QStringLiteral("mnuSep"));
    mnuEditCut = addItem(mnuEdit, "mnuEditCut", "Cut", ctrl(Qt::Key_T), &kkj::mnuEditCut_Click);
    mnuEditCopy = addItem(mnuEdit, "mnuEditCopy", "Copy", ctrl(Qt::Key_Y), &kkj::mnuEditCopy_Click);
    mnuEditPaste =
        addItem(mnuEdit, "mnuEditPaste", "Paste", ctrl(Qt::Key_P), &kkj::mnuEditPaste_Click);
    mnuEditDelete =
        addItem(mnuEdit, "mnuEditDelete", "Delete", ctrl(Qt::Key_L), &kkj::mnuEditDelete_Click);
    mnuEditSelectAll = addItem(mnuEdit, "mnuEditSelectAll", "Select All", ctrl(Qt::Key_E),
                               &kkj::mnuEditSelectAll_Click);

    mnuNormalization = bar->addMenu(QStringLiteral("Normalization"));
    mnuNormalization->setObjectName(QStringLiteral("mnuNormalization"));
    mnuStructural = addSeparatedMenu(mnuNormalization, "mnuStructural", "Structural formulae");
    mnuStructural->addSeparator();
    addOption(mnuStructural, "mnuwith4", "with total 4 cations", Option::fourCations);
    addOption(mnuStructural, "mnuwithout4", "without total 4 cations", Option::withoutFourCations);
    mnuStructural->addSeparator();

    mnuFe3est = bar->addMenu(QStringLiteral("Ferric iron estimation"));
    mnuFe3est->setObjectName(QStringLiteral("mnuFe3est"));
    mnuFe3est->setSeparatorsCollapsible(false);
    mnuFe3est->addSeparator();
    addOption(mnuFe3est, "mnuFe3Droop",
              "Fe3+ estimation from Droop (1987)               [Fe3+ = 12 * (1 - (4 / Total "
              "cations))]    (Maximum)",
              Option::fe3Droop);
    addOption(mnuFe3est, "mnuFe3Papike",
              "Fe3+ estimation from Papike et al. (1974)     [Fe3+ = AlIV + Na - AlVI - Cr -2 * "
              "Ti]      (Minimum)",
              Option::fe3Papike);
    addOption(mnuFe3est, "mnuFe3Ave",
              "Fe3+ estimation (This study)                          [(Maximum+Minimum)/2]     "
              "                    (Average)",
              Option::fe3Average);
    mnuFe3est->addSeparator();

    mnuGPT = bar->addMenu(QStringLiteral("Graphical pyroxene thermometry"));
    mnuGPT->setObjectName(QStringLiteral("mnuGPT"));
    mnuGPT->setSeparatorsCollapsible(false);
    mnuGPT->addSeparator();
    addOption(mnuGPT, "mnuAugite", "Clinopyroxene estimation for Augite   (Lindsley 1983)",
              Option::lindsleyAugite);
    addOption(mnuGPT, "mnuPigeonite", "Clinopyroxene estimation for Pigeonite   (Lindsley 1983)",
              Option::lindsleyPigeonite);
    mnuGPT->addSeparator();
    addOption(mnuGPT, "mnuNone", "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fe2+)",
              Option::woEnFsFe2);
    addOption(mnuGPT, "mnuNone1", "[Wo-En-Fs] end-members (%) (including Ca, Mg, Fetot+ Mn)",
              Option::woEnFsFetotMn);
    mnuGPT->addSeparator();
    addOption(mnuGPT, "mnuCorFac",
              "Correction factor (-0.97) for Bertrand and Mercier's (1985/86) two-pyroxene "
              "geothermometer",
              Option::corFac);
    mnuGPT->addSeparator();

    mnuorddisord = bar->addMenu(QStringLiteral("Mg-Fe order-disorder"));
    mnuorddisord->setObjectName(QStringLiteral("mnuorddisord"));
    mnuorddisord->setSeparatorsCollapsible(false);
    mnuorddisord->addSeparator();
    addOption(mnuorddisord, "mnuusemgfe", "Use Mg-Fe order-disorder for molar fractions",
              Option::useMgFeOrder);
    mnuorddisord->addSeparator();

    mnuCalculate = bar->addMenu(QStringLiteral("Calculate"));
    mnuCalculate->setObjectName(QStringLiteral("mnuCalculate"));
    mnuOpen = addItem(mnuCalculate, "mnuOpen", "Open File to Calculate", ctrl(Qt::Key_F), nullptr);
    // The check mark is the file-loaded mark: choosing the item must not change it.
    mnuOpen->setCheckable(true);
    connect(mnuOpen, &QAction::triggered, this, [this] {
        mnuOpen->setChecked(fileLoadedMark_);
        runCommand(&kkj::mnuOpen_Click);
    });

    mnuAbout = bar->addAction(QStringLiteral("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    connect(mnuAbout, &QAction::triggered, this, [this] { runCommand(&kkj::mnuAbout_Click); });

    mnuHelp = bar->addMenu(QStringLiteral("Help").leftJustified(4 + 53, QLatin1Char(' ')));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->menuAction()->setObjectName(QStringLiteral("mnuHelp"));
    // The menu title carries the help command itself: opening the menu opens the guide.
    connect(mnuHelp, &QMenu::aboutToShow, this, [this] { runCommand(&kkj::mnuHelp_Click); });
    mnuHelpContents = addItem(mnuHelp, "mnuHelpContents", "Click Here for Help Index           F1",
                              QKeySequence(), &kkj::mnuHelpContents_Click);

    // F1 opens the help guide anywhere on the screen.
    auto* f1 = new QAction(this);
    f1->setObjectName(QStringLiteral("helpKey"));
    f1->setShortcut(QKeySequence(Qt::Key_F1));
    connect(f1, &QAction::triggered, this, [this] { runCommand(&kkj::mnuHelpContents_Click); });
    addAction(f1);
}

void kkj::buildToolbar() {
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Toolbar1->setIconSize(QSize(20, 20));
    std::size_t next = 0;
    for (int number = 1; number <= 22; ++number) {
        QAction* button = nullptr;
        if (next < kToolButtons.size() && kToolButtons[next].number == number) {
            const ToolButtonLabel& b = kToolButtons[next++];
            button = Toolbar1->addAction(style()->standardIcon(b.icon), QString::fromUtf8(b.label));
            // Long labels are shown on two lines under the icon; the label itself stays.
            QString shown = QString::fromUtf8(b.label);
            if (shown.size() > 12) {
                const qsizetype middle = shown.indexOf(QLatin1Char(' '), shown.size() / 2 - 3);
                if (middle > 0) shown[middle] = QLatin1Char('\n');
                button->setIconText(shown);
            }
            button->setToolTip(QString::fromUtf8(b.label));
            connect(button, &QAction::triggered, this,
                    [this, number] { Toolbar1_ButtonClick(number); });
        } else {
            button = Toolbar1->addSeparator();
        }
        button->setObjectName(QStringLiteral("Toolbar1_Button%1").arg(number));
        toolButtons_[static_cast<std::size_t>(number)] = button;
    }
}

void kkj::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const std::array<const char*, 5> tips{"", "File", "Clock", "Date", ""};
    for (int panel = 1; panel <= 4; ++panel) {
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
    statusPanels_[4]->setText(QStringLiteral("Kalvoren: pyroxene formulae and thermobarometry"));
    // The clock and date panels keep themselves up to date.
    clock_ = new QTimer(this);
    const auto tick = [this] {
        statusPanels_[2]->setText(QLocale().toString(QTime::currentTime(), QLocale::ShortFormat));
        statusPanels_[3]->setText(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    };
    connect(clock_, &QTimer::timeout, this, tick);
    tick();
    clock_->start(1000);
}

// ---------------------------------------------------------------- start-up

void kkj::Form_Load() {
    Command2->hide();
    Command3->hide();
    enableItems({mnuSaveAs, mnuClose, mnuEditCut, mnuEditCopy, mnuEditPaste, mnuEditDelete,
                 mnuEditInsertRow, mnuEditSelectAll, mnuClear, mnuDelete},
                false);
    enableToolButtons({3, 4, 7, 8, 9, 10, 11}, false);
    enableToolButtons({13}, true);
    showGrid(false);
    Image1->hide();
    Image2->hide();
    setStatusPanel(1, QStringLiteral("No Selected File"));
    statusPanels_[1]->setEnabled(false);
    capCell(table_);
    savedRevision_ = table_.revision();
    refreshGrid();
}

// ---------------------------------------------------------------- state and small steps

QString kkj::screenTitle() const {
    return Label3->text();
}

void kkj::setScreenTitle(std::string_view title) {
    Label3->setText(QString::fromUtf8(title.data(), qsizetype(title.size())));
}

QString kkj::statusPanelText(int panel) const {
    if (panel < 1 || panel > 4) return {};
    return statusPanels_[static_cast<std::size_t>(panel)]->text();
}

bool kkj::statusPanelEnabled(int panel) const {
    if (panel < 1 || panel > 4) return false;
    return statusPanels_[static_cast<std::size_t>(panel)]->isEnabled();
}

void kkj::setStatusPanel(int panel, const QString& text) {
    if (panel < 1 || panel > 4) return;
    statusPanels_[static_cast<std::size_t>(panel)]->setText(text);
}

bool kkj::isDataEntryLayout() const {
    return !MSFlexGrid1->isHidden();
}

QAction* kkj::toolButton(int number) const {
    if (number < 1 || number > 22) return nullptr;
    return toolButtons_[static_cast<std::size_t>(number)];
}

QAction* kkj::menuItem(const char* name) const {
    return findChild<QAction*>(QString::fromUtf8(name));
}

QMenu* kkj::menu(const char* name) const {
    return findChild<QMenu*>(QString::fromUtf8(name));
}

void kkj::enableToolButtons(std::initializer_list<int> numbers, bool enabled) {
    for (const int n : numbers)
        if (QAction* b = toolButton(n)) b->setEnabled(enabled);
}

void kkj::enableItems(std::initializer_list<QAction*> items, bool enabled) {
    for (QAction* item : items) item->setEnabled(enabled);
}

void kkj::showPictures() {
    Image1->show();
    Image2->show();
}

void kkj::showGrid(bool shown) {
    MSFlexGrid1->setVisible(shown);
}

void kkj::refreshGrid() {
    MSFlexGrid1->refresh();
}

// ---------------------------------------------------------------- commands and errors

void kkj::runCommand(void (kkj::*handler)()) {
    outcome_.run([&] { (this->*handler)(); });
    refreshGrid();
    ReportCommandError();
}

void kkj::Toolbar1_ButtonClick(int button) {
    outcome_.run([&] {
        switch (button) {
            case 1:
                mnuNewFile_Click();
                break;
            case 2:
                mnuOpenFile_Click();
                break;
            case 3:
                mnuSaveAs_Click();
                break;
            case 4:
                mnuClose_Click();
                break;
            case 5:
                mnuExit_Click();
                break;
            case 7:
                mnuEditCut_Click();
                break;
            case 8:
                mnuEditCopy_Click();
                break;
            case 9:
                mnuEditPaste_Click();
                break;
            case 10:
                mnuEditDelete_Click();
                break;
            case 11:
                mnuEditSelectAll_Click();
                break;
            case 13:
                mnuOpen_Click();
                break;
            case 15:
                Command2_Click();
                break;
            case 16:
                mnu07Later_Click();
                break;
            case 17:
                Command3_Click();
                break;
            case 18:
                mnu07Latere_Click();
                break;
            case 20:
                mnuAbout_Click();
                break;
            case 21:
                mnuHelpContents_Click();
                break;
            case 22:
                DisplayNextScreen();
                break;
            default:
                break;  // separators
        }
    });
    refreshGrid();
    ReportCommandError();
}

void kkj::ReportCommandError() {
    if (outcome_.number == 0) return;
    const auto message = entryScreenErrorMessage(outcome_.number);
    if (!message) return;
    s_.messages.showMessage(this, QString::fromUtf8(message->data(), qsizetype(message->size())),
                            QString::fromStdString(outcome_.detail));
}

// ---------------------------------------------------------------- About, Help, results

void kkj::mnuAbout_Click() {
    if (s_.showAboutBox) s_.showAboutBox();
}

void kkj::mnuHelp_Click() {
    if (s_.openHelp) s_.openHelp();
}

void kkj::mnuHelpContents_Click() {
    if (s_.openHelp) s_.openHelp();
}

void kkj::DisplayNextScreen() {
    s_.results.showResultsScreen();
}

// ---------------------------------------------------------------- mouse on the form

void kkj::mousePressEvent(QMouseEvent* event) {
    // Form_MouseDown: a press on the background opens an option menu.
    const QPoint at = event->globalPosition().toPoint();
    QMenu* popup = nullptr;
    if (event->button() == Qt::RightButton)
        popup = mnuNormalization;
    else if (event->button() == Qt::LeftButton)
        popup = mnuFe3est;
    if (popup == nullptr) {
        QMainWindow::mousePressEvent(event);
        return;
    }
    popup->popup(at - QPoint(popup->sizeHint().width() / 2, 0));
    event->accept();
}

void kkj::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    // Closing the window is Exit.
    runCommand(&kkj::mnuExit_Click);
    if (exiting_)
        event->accept();
    else
        event->ignore();
}

}  // namespace kalvoren
