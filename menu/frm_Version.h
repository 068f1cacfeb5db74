// The version window: the program's icon, name, version and legal notice in a small fixed dialog that stays
// above every other window, the puzzle pieces included, and holds the whole program until it is closed.
#pragma once

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <array>
#include <cstddef>
#include <optional>

namespace menu {

// A control array: its members keep the index numbers they were designed with, which need not start at 0.
// An index outside First..Last is an error (std::out_of_range).
template <class Control, int First, int Last>
class ControlArray {
  public:
    Control& operator[](int index) { return members_.at(static_cast<std::size_t>(index - First)); }
    const Control& operator[](int index) const {
        return members_.at(static_cast<std::size_t>(index - First));
    }
    auto begin() { return members_.begin(); }
    auto end() { return members_.end(); }

  private:
    std::array<Control, Last - First + 1> members_;
};

// A line drawn on the window's surface; its ends are in twips from the client area's top-left corner and may
// lie outside it.
struct Line {
    QPoint from;
    QPoint to;
    std::optional<QColor> BorderColor;  // none: the window-text colour
};

class frm_Version : public QDialog {
    Q_OBJECT

  public:
    frm_Version();

    // Shows the window modally; returns when it is closed ("OK", Enter, or the close box).
    static void ShowModal();

    QPushButton Command1{this};
    QLabel Label3{this};
    ControlArray<QLabel, 1, 1> Label2;
    ControlArray<Line, 2, 4> Line1;
    QLabel Label1{this};
    QLabel Image1{this};

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Form_Load();
    void Command1_Click();
    void centreOnScreen();

    QMargins centredWith_;  // the window manager's frame the window was last centred with
};

}  // namespace menu
