#include "platform/qt/GridControl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>

namespace kalvoren {

namespace {

QString qText(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

// Frames the current cell; the selection itself is painted from the model's colours.
class CurrentCellFrame final : public QStyledItemDelegate {
  public:
    CurrentCellFrame(CellGrid& grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected);
        QStyledItemDelegate::paint(painter, plain, index);
        if (index.row() + 1 == grid_.row() && index.column() + 1 == grid_.col()) {
            painter->save();
            QPen pen(option.palette.color(QPalette::WindowText));
            pen.setWidth(2);
            painter->setPen(pen);
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
            painter->restore();
        }
    }

  private:
    CellGrid& grid_;
};

int mouseButtonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return GridControl::kLeftButton;
        case Qt::RightButton:
            return GridControl::kRightButton;
        case Qt::MiddleButton:
            return GridControl::kMiddleButton;
        default:
            return 0;
    }
}

}  // namespace

// ---- GridModel ----

GridModel::GridModel(CellGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {
    shownRows_ = std::max(grid_.rows() - 1, 0);
    shownCols_ = std::max(grid_.cols() - 1, 0);
    shownRevision_ = grid_.revision();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownCols_;
}

bool GridModel::selected(int row, int col) const {
    const CellRange range = grid_.selection();
    if (range.rowCount() == 1 && range.columnCount() == 1) return false;  // the frame shows it
    return row >= range.top && row <= range.bottom && col >= range.left && col <= range.right;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row() + 1;
    const int col = index.column() + 1;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole: {
            const std::string& text = grid_.text(row, col);
            if (role == Qt::ToolTipRole && text.empty()) return {};
            return qText(text);
        }
        case Qt::TextAlignmentRole:
            return grid_.isCentred(row, col) ? int(Qt::AlignCenter)
                                             : int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            if (selected(row, col)) return QApplication::palette().brush(QPalette::Highlight);
            return {};
        case Qt::ForegroundRole:
            if (selected(row, col)) return QApplication::palette().brush(QPalette::HighlightedText);
            return {};
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const int row = orientation == Qt::Horizontal ? 0 : section + 1;
    const int col = orientation == Qt::Horizontal ? section + 1 : 0;
    switch (role) {
        case Qt::DisplayRole:
            return qText(grid_.text(row, col));
        case Qt::TextAlignmentRole:
            return grid_.isCentred(row, col) ? int(Qt::AlignCenter)
                                             : int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::FontRole: {
            // A heading that is current (or inside the selection) is shown in bold.
            const CellRange range = grid_.selection();
            const bool inside =
                row >= range.top && row <= range.bottom && col >= range.left && col <= range.right;
            if (!inside) return {};
            QFont font = QApplication::font();
            font.setBold(true);
            return font;
        }
        default:
            return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void GridModel::refresh() {
    const int rows = std::max(grid_.rows() - 1, 0);
    const int cols = std::max(grid_.cols() - 1, 0);
    if (rows != shownRows_ || cols != shownCols_) {
        beginResetModel();
        shownRows_ = rows;
        shownCols_ = cols;
        shownRevision_ = grid_.revision();
        endResetModel();
        return;
    }
    shownRevision_ = grid_.revision();
    if (rows > 0 && cols > 0) Q_EMIT dataChanged(index(0, 0), index(rows - 1, cols - 1));
    if (cols > 0) Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols - 1);
    if (rows > 0) Q_EMIT headerDataChanged(Qt::Vertical, 0, rows - 1);
}

void GridModel::cellChanged(int row, int col) {
    if (row == 0 && col > 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    } else if (col == 0 && row > 0) {
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
    } else if (row > 0 && col > 0 && row <= shownRows_ && col <= shownCols_) {
        const QModelIndex cell = index(row - 1, col - 1);
        Q_EMIT dataChanged(cell, cell);
    }
}

void GridModel::appendRow(std::string_view tabText) {
    if (grid_.rows() == 0 || grid_.cols() - 1 != shownCols_ || grid_.rows() - 1 != shownRows_) {
        grid_.appendRow(tabText);
        refresh();
        return;
    }
    beginInsertRows(QModelIndex(), shownRows_, shownRows_);
    grid_.appendRow(tabText);
    ++shownRows_;
    endInsertRows();
}

// ---- GridControl ----

GridControl::GridControl(CellGrid& grid, QWidget* parent) : QTableView(parent), model_(grid) {
    setObjectName(QStringLiteral("MSFlexGrid1"));
    setModel(&model_);
    setItemDelegate(new CurrentCellFrame(grid, this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(true);
    setFocusPolicy(Qt::StrongFocus);
    setWordWrap(false);
    setCornerButtonEnabled(true);

    const QFontMetrics metrics(font());
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    verticalHeader()->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("Row No")) + 16);
    verticalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultSectionSize(
        metrics.horizontalAdvance(QStringLiteral("Al2O3   [c]")) + 18);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);

    connect(&model_, &QAbstractItemModel::modelReset, this, &GridControl::applyColumnWidths);
    horizontalHeader()->viewport()->installEventFilter(this);
    verticalHeader()->viewport()->installEventFilter(this);
    corner_ = findChild<QAbstractButton*>();
    if (corner_ != nullptr) corner_->installEventFilter(this);
}

void GridControl::refresh() {
    model_.refresh();
    repaintSelection();
}

void GridControl::appendRow(std::string_view tabText) {
    model_.appendRow(tabText);
}

void GridControl::repaintSelection() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
    if (corner_ != nullptr) corner_->update();
}

void GridControl::showTopRow() {
    const int row = grid().topRow();
    if (row < 1 || row > model_.rowCount()) return;
    scrollTo(model_.index(row - 1, 0), QAbstractItemView::PositionAtTop);
}

void GridControl::showCurrentCell() {
    const int row = std::max(grid().rowSel(), 1);
    const int col = std::max(grid().colSel(), 1);
    if (row > model_.rowCount() || col > model_.columnCount()) return;
    scrollTo(model_.index(row - 1, col - 1), QAbstractItemView::EnsureVisible);
}

void GridControl::setColumnWidthOf(int col, int pixels) {
    columnWidths_[col] = pixels;
    applyColumnWidths();
}

void GridControl::applyColumnWidths() {
    for (const auto& [col, pixels] : columnWidths_)
        if (col >= 1 && col <= model_.columnCount()) setColumnWidth(col - 1, pixels);
}

int GridControl::pageRows() const {
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    return std::max(viewport()->height() / rowHeight - 1, 1);
}

void GridControl::moveTo(int row, int col, bool extend) {
    CellGrid& g = grid();
    if (g.rows() < 2 || g.cols() < 2) return;
    // The keyboard reaches the scrolling cells only; the fixed ones are reached by code
    // or by a press on the heading.
    row = std::clamp(row, 1, g.rows() - 1);
    col = std::clamp(col, 1, g.cols() - 1);
    if (extend)
        g.setSelectionCorner(row, col);
    else
        g.setCurrent(row, col);
    showCurrentCell();
    repaintSelection();
}

void GridControl::moveBy(int rowStep, int colStep, bool extend) {
    const CellGrid& g = grid();
    const int row = extend ? g.rowSel() : g.row();
    const int col = extend ? g.colSel() : g.col();
    moveTo(row + rowStep, col + colStep, extend);
}

void GridControl::keyPressEvent(QKeyEvent* event) {
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    const bool control = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
        case Qt::Key_Up:
            moveBy(-1, 0, extend);
            break;
        case Qt::Key_Down:
            moveBy(1, 0, extend);
            break;
        case Qt::Key_Left:
            moveBy(0, -1, extend);
            break;
        case Qt::Key_Right:
            moveBy(0, 1, extend);
            break;
        case Qt::Key_PageUp:
            moveBy(-pageRows(), 0, extend);
            break;
        case Qt::Key_PageDown:
            moveBy(pageRows(), 0, extend);
            break;
        case Qt::Key_Home:
            if (control)
                moveTo(1, 1, extend);
            else
                moveTo(extend ? grid().rowSel() : grid().row(), 1, extend);
            break;
        case Qt::Key_End:
            if (control)
                moveTo(grid().rows() - 1, grid().cols() - 1, extend);
            else
                moveTo(extend ? grid().rowSel() : grid().row(), grid().cols() - 1, extend);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Q_EMIT keyPressed(13);
            break;
        case Qt::Key_Tab:
            Q_EMIT keyPressed(9);
            break;
        case Qt::Key_Backtab:
            break;
        case Qt::Key_Backspace:
            Q_EMIT keyPressed(8);
            break;
        default: {
            const QString text = event->text();
            if (text.isEmpty()) {
                event->ignore();
                return;
            }
            // Ctrl with a key types a control character, which changes no cell, whatever
            // text the platform attached to it (Ctrl+Alt stays: it is AltGr on some
            // keyboards).
            const Qt::KeyboardModifiers m = event->modifiers();
            if (m.testFlag(Qt::ControlModifier) && !m.testFlag(Qt::AltModifier)) break;
            for (const char32_t code : text.toUcs4()) Q_EMIT keyPressed(code);
            break;
        }
    }
    event->accept();
}

void GridControl::pressCell(int row, int col, QMouseEvent* event) {
    CellGrid& g = grid();
    const Qt::MouseButton button = event->button();
    const CellRange range = g.selection();
    const bool insideSelection =
        row >= range.top && row <= range.bottom && col >= range.left && col <= range.right;
    if (button == Qt::LeftButton && event->modifiers().testFlag(Qt::ShiftModifier)) {
        g.setSelectionCorner(row, col);
    } else if (button == Qt::RightButton && insideSelection) {
        // A right press inside the selection keeps it, so its pop-up menu acts on it.
    } else {
        g.setCurrent(row, col);
    }
    dragging_ = button == Qt::LeftButton;
    repaintSelection();
    setFocus(Qt::MouseFocusReason);
    Q_EMIT mouseDown(mouseButtonNumber(button), event->modifiers(),
                     event->globalPosition().toPoint());
}

void GridControl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    pressCell(index.row() + 1, index.column() + 1, event);
}

void GridControl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    QPoint pos = event->position().toPoint();
    const QRect area = viewport()->rect();
    // Dragging past an edge scrolls one step and extends to the edge cell.
    if (pos.y() > area.bottom()) verticalScrollBar()->setValue(verticalScrollBar()->value() + 1);
    if (pos.y() < area.top()) verticalScrollBar()->setValue(verticalScrollBar()->value() - 1);
    if (pos.x() > area.right()) horizontalScrollBar()->setValue(horizontalScrollBar()->value() + 1);
    if (pos.x() < area.left()) horizontalScrollBar()->setValue(horizontalScrollBar()->value() - 1);
    pos.setX(std::clamp(pos.x(), area.left(), area.right()));
    pos.setY(std::clamp(pos.y(), area.top(), area.bottom()));
    const QModelIndex index = indexAt(pos);
    if (!index.isValid()) return;
    grid().setSelectionCorner(index.row() + 1, index.column() + 1);
    repaintSelection();
}

void GridControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging_) {
        dragging_ = false;
        Q_EMIT clicked();
    }
}

void GridControl::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

bool GridControl::pressHeading(QObject* watched, QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (watched == horizontalHeader()->viewport() || watched == verticalHeader()->viewport()) {
        QHeaderView* header =
            watched == horizontalHeader()->viewport() ? horizontalHeader() : verticalHeader();
        const bool horizontal = header == horizontalHeader();
        const int along = horizontal ? pos.x() : pos.y();
        const int section = header->logicalIndexAt(along);
        if (section < 0) return false;
        // Presses on a section edge resize the column.
        const int start = header->sectionViewportPosition(section);
        const int end = start + header->sectionSize(section);
        if (horizontal && (along - start <= 3 || end - along <= 3)) return false;
        pressCell(horizontal ? 0 : section + 1, horizontal ? section + 1 : 0, event);
        return true;
    }
    pressCell(0, 0, event);  // the corner cell
    return true;
}

bool GridControl::eventFilter(QObject* watched, QEvent* event) {
    QAbstractButton* corner = corner_;
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (pressHeading(watched, static_cast<QMouseEvent*>(event))) return true;
            break;
        case QEvent::MouseButtonRelease:
            if (dragging_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                dragging_ = false;
                Q_EMIT clicked();
                return true;
            }
            break;
        case QEvent::Paint:
            if (corner != nullptr && watched == corner) {
                // The corner shows cell (0, 0) like a heading.
                QPainter painter(corner);
                QStyleOptionHeader option;
                option.initFrom(corner);
                option.rect = corner->rect();
                option.position = QStyleOptionHeader::OnlyOneSection;
                option.text = qText(grid().text(0, 0));
                option.textAlignment = Qt::AlignCenter;
                corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
                return true;
            }
            break;
        default:
            break;
    }
    return QTableView::eventFilter(watched, event);
}

}  // namespace kalvoren
