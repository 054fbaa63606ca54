#pragma once
// The Edit commands both screens share: the selection's BlockText to and from the
// clipboard, and emptying the selection.

#include "entry/CellGrid.h"
#include "platform/qt/Clipboard.h"

namespace kalvoren {

// Clears the clipboard, then puts the selection's BlockText on it.
void copySelection(const CellGrid& grid, Clipboard& clipboard);
// Every cell of the selection becomes empty, whichever corner is current.
void deleteSelection(CellGrid& grid);
// Copy, then Delete.
void cutSelection(CellGrid& grid, Clipboard& clipboard);
// Pastes the clipboard's text into the selection from its upper-left cell; an empty
// clipboard changes nothing. Returns whether anything was pasted.
bool pasteIntoSelection(CellGrid& grid, Clipboard& clipboard);

}  // namespace kalvoren
