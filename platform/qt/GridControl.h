#pragma once
// The grid control of both screens (MSFlexGrid1): a Qt model/view pair over a CellGrid.
// Row 0 and column 0 of the table are the fixed heading row and number column; they are
// drawn by the view's headers so they stay in place while the body scrolls, and they can
// still be made current (by a press or by code) and typed into like any cell.
//
// The CellGrid is the only store: the current cell and the selection corner live there,
// and the view paints them. The control moves the current cell itself (arrows, page keys,
// mouse, shift to extend the selection) and hands everything else to the screen:
// character codes (keyPressed), presses (mouseDown) and clicks, after it has moved.

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QTableView>
#include <map>
#include <string_view>

#include "entry/CellGrid.h"

namespace kalvoren {

class GridModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit GridModel(CellGrid& grid, QObject* parent = nullptr);

    CellGrid& grid() { return grid_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // After the table changed behind the model: a new shape resets the views, otherwise
    // every cell and heading is repainted.
    void refresh();
    // One cell changed (typing).
    void cellChanged(int row, int col);
    // Appends a row from TAB-separated text, telling the views about the one new row.
    void appendRow(std::string_view tabText);

  private:
    bool selected(int row, int col) const;

    CellGrid& grid_;
    int shownRows_ = 0;
    int shownCols_ = 0;
    std::uint64_t shownRevision_ = 0;
};

class GridControl final : public QTableView {
    Q_OBJECT
  public:
    explicit GridControl(CellGrid& grid, QWidget* parent = nullptr);

    CellGrid& grid() { return model_.grid(); }
    GridModel& gridModel() { return model_; }

    // After the table changed (text, shape, current cell or selection).
    void refresh();
    void appendRow(std::string_view tabText);
    // Scrolls so that grid().topRow() is the first scrolling row shown.
    void showTopRow();
    // Scrolls so that the current cell is shown.
    void showCurrentCell();
    // A width in pixels for table column `col` (from 1; column 0 is the number column),
    // kept when the table changes shape.
    void setColumnWidthOf(int col, int pixels);

    // Mouse buttons as the screens' handlers number them.
    static constexpr int kLeftButton = 1;
    static constexpr int kRightButton = 2;
    static constexpr int kMiddleButton = 4;

  Q_SIGNALS:
    // A typed character (Enter 13, Tab 9, Backspace 8, printable codes), after the
    // control has done its own part.
    void keyPressed(char32_t code);
    // A press on a cell or heading, after the cell has been made current.
    void mouseDown(int button, Qt::KeyboardModifiers modifiers, QPoint globalPos);
    void clicked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void pressCell(int row, int col, QMouseEvent* event);
    bool pressHeading(QObject* watched, QMouseEvent* event);
    void moveBy(int rowStep, int colStep, bool extend);
    void moveTo(int row, int col, bool extend);
    void repaintSelection();
    int pageRows() const;

    void applyColumnWidths();

    GridModel model_;
    QAbstractButton* corner_ = nullptr;  // the view's corner button shows cell (0, 0)
    bool dragging_ = false;
    std::map<int, int> columnWidths_;
};

}  // namespace kalvoren
