// The program's only menu, carried by a hidden form: the grid choice, the version window and quit. Its
// unload is the program's one orderly end.
#pragma once

#include <QMenu>
#include <array>

#include "platform/forms.h"

namespace menu {

// A menu item whose tick the program reads and sets.
class MenuItem {
  public:
    explicit MenuItem(QAction* action = nullptr) : action_(action) {}
    bool Checked() const { return action_->isChecked(); }
    void setChecked(bool checked) { action_->setChecked(checked); }
    QAction* action() const { return action_; }

  private:
    QAction* action_;
};

class frmMenu : public platform::Form {
  public:
    frmMenu();
    // The loaded menu form, loading it (hidden) on first use.
    static frmMenu& Instance();

    QMenu mpop;
    QMenu* m_tc;
    std::array<MenuItem, 3> tc;  // "4*4", "6*6（回転なし）", "6*6": the grid choice
    QAction* mver;
    QAction* mend;

    // Pops the menu up at the pointer; returns when it has closed and the chosen item's handler has run.
    void PopupMenu();

    void tc_Click(int Index);
    void mver_Click();
    void mend_Click();
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void useJapaneseGlyphs();
};

}  // namespace menu
