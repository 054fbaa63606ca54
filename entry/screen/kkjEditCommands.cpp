// The entry screen's Edit commands and the events of its grid.

#include <QMenu>

#include "entry/screen/TableEditing.h"
#include "entry/screen/kkj.h"
#include "platform/qt/GridClipboard.h"
#include "platform/qt/GridControl.h"

namespace kalvoren {

void kkj::mnuClear_Click() {
    if (!confirmDiscardChanges()) return;
    clearAllCells(table_);
    // The table is empty now: there is no unsaved work left in it.
    savedRevision_ = table_.revision();
    refreshGrid();
}

void kkj::mnuDelete_Click() {
    removeCurrentRow(table_);
    refreshGrid();
}

void kkj::mnuEditInsertRow_Click() {
    insertRowAtCurrent(table_);
    refreshGrid();
}

void kkj::mnuEditCut_Click() {
    cutSelection(table_, s_.clipboard);
    refreshGrid();
}

void kkj::mnuEditCopy_Click() {
    copySelection(table_, s_.clipboard);
}

void kkj::mnuEditPaste_Click() {
    pasteIntoSelection(table_, s_.clipboard);
    refreshGrid();
}

void kkj::mnuEditDelete_Click() {
    deleteSelection(table_);
    refreshGrid();
}

void kkj::mnuEditSelectAll_Click() {
    MSFlexGrid1->setUpdatesEnabled(false);
    selectAllDataCells(table_);
    refreshGrid();
    MSFlexGrid1->showTopRow();
    MSFlexGrid1->setUpdatesEnabled(true);
}

// ---------------------------------------------------------------- grid events

void kkj::MSFlexGrid1_KeyPress(char32_t code) {
    const int row = table_.row();
    const int col = table_.col();
    if (entryGridKeyPress(table_, code)) MSFlexGrid1->gridModel().cellChanged(row, col);
    MSFlexGrid1->refresh();
    MSFlexGrid1->showCurrentCell();
}

void kkj::MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers, QPoint globalPos) {
    text1_ = table_.currentText();
    if (button == GridControl::kRightButton)
        mnuEdit->popup(globalPos - QPoint(mnuEdit->sizeHint().width() / 2, 0));
}

void kkj::MSFlexGrid1_Click() {
    // The mirror field holds the text of the pressed cell, so this changes nothing unless
    // the mirror was edited in between.
    if (table_.currentText() != text1_) {
        table_.setCurrentText(text1_);
        refreshGrid();
    }
}

}  // namespace kalvoren
