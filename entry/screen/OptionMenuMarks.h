#pragma once
// The calculation options as the entry screen keeps them: the check marks of its eleven
// option items. The run reads and sets the marks through this store, so what it changes
// shows on the menus at once.

#include <QAction>
#include <array>

#include "engine/CalcOptions.h"

namespace kalvoren {

class OptionMenuMarks final : public OptionStore {
  public:
    void setItem(Option o, QAction* item) { items_[static_cast<std::size_t>(o)] = item; }
    QAction* item(Option o) const { return items_[static_cast<std::size_t>(o)]; }

    bool isMarked(Option o) const override {
        const QAction* a = item(o);
        return a != nullptr && a->isChecked();
    }
    void setMarked(Option o, bool marked) override {
        if (QAction* a = item(o)) a->setChecked(marked);
    }

  private:
    std::array<QAction*, kOptionCount> items_{};
};

}  // namespace kalvoren
