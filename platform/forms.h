// The form runtime: windows with twip geometry and a persistent image, top-level forms and picture boxes,
// the collection of loaded forms, and the mouse events in the original runtime's terms.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "gdi.h"

namespace platform {

using Picture = QImage;

// Mouse button bits of the mouse events.
inline constexpr int vbLeftButton = 1;
inline constexpr int vbRightButton = 2;
inline constexpr int vbMiddleButton = 4;

inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;

class Form;

// Colours are &H00BBGGRR values.
QColor OleColor(std::uint32_t bgr);

// A window's device context: its persistent image and the clipping region selected into it.
class DeviceContext {
  public:
    QImage* image = nullptr;
    QRegion clip;
    bool clipped = false;
};

class WindowManagerTurns;

// What forms and picture boxes share: position and size in twips, visibility, the Tag text, the persistent
// image (AutoRedraw) with BackColor, Cls and PaintPicture, and the mouse events.
class Window : public QWidget {
  public:
    explicit Window(QWidget* parent);

    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(double twips);
    void setTop(double twips);
    void setWidth(double twips);
    void setHeight(double twips);

    // The window's own visibility flag (a picture box on a hidden form still reads True).
    bool Visible() const { return !isHidden() && !parked_; }
    void setVisible(bool visible) override;
    // The window's outline (empty: the whole rectangle).
    const QRegion& Outline() const { return outline_; }
    // An outline with no area: the window shows nothing and takes no input.
    inline static const QRegion kNoArea{-1, -1, 1, 1};
    void setOutline(const QRegion& outline);
    // Whether some part of the window, where it stands, lies on one of the screens.
    bool ShowsOnAScreen() const;

    std::string Tag;
    std::string Name;
    bool AutoRedraw = false;

    HWND hwnd() { return this; }
    HDC hdc() { return &dc_; }

    std::uint32_t BackColor() const { return backColor_; }
    // A new window's colour: the button face.
    static constexpr std::uint32_t kButtonFace = 0x8000000F;
    void setBackColor(std::uint32_t bgr);
    // The design-time picture: the background that Cls restores.
    void setPicture(const Picture& picture);

    void Cls();
    void PaintPicture(const Picture& picture, double x, double y, std::uint32_t rasterOp = SRCCOPY);

    // The persistent image, as shown (for tests).
    const QImage& image() const { return image_; }
    // Whether the left button went down on this window and has not come up yet.
    bool leftDown() const { return leftDown_; }
    // Where on the screen it went down: the move loop's grip, which it takes, so that a later move is never
    // held at an old press.
    std::optional<QPoint> takePressPosition() { return std::exchange(pressPosition_, std::nullopt); }
    // Where on the screen the pointer was at the last move over this window.
    QPoint movePosition() const { return movePosition_; }
    // The move loop took the left button's release.
    void leftReleased() { leftDown_ = false; }
    // Where the window is, in pixels: where the program placed it, or where the window manager put it instead
    // once that place has stayed (a passing place while it maps a window does not count).
    QPoint placedPosition() const { return placed_; }
    void moveTo(QPoint position);

  protected:
    // Button and Shift are bit sets (1 left, 2 right, 4 middle; 1 Shift, 2 Ctrl, 4 Alt); X and Y are twips
    // relative to the window.
    virtual void Form_MouseDown(int Button, int Shift, float X, float Y);
    virtual void Form_MouseMove(int Button, int Shift, float X, float Y);
    virtual void Form_Click() {}
    // The window manager has put the shown window elsewhere than the program asked (some keep every window
    // inside the usable area of the screen); Left and Top already tell where it is.
    virtual void PlacedElsewhere(QPoint asked);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    friend class Form;
    friend Form* TakeKeptForm(const std::type_info& kind);
    friend class WindowManagerTurns;
    // Handlers that go on using the window after running other code (which may deal a new puzzle) are
    // counted while they run.
    class Handling;
    // A kept window stays mapped but shows nothing and takes no input, so that the window manager need not
    // take it in again when the next form gets it; to the program it is hidden until it is shown.
    void park();
    void unpark();
    // A parked window shown again gets its outline once the window manager has answered after its move.
    void reveal();
    void hideParked();
    // Puts the window back as made, at (0, 0) and 1 pixel square: no picture, outline, place check or input
    // of its past reaches the form it is given to next.
    void renew();
    void checkPlace(QPoint real);
    void answered();  // by the window manager, to a question asked after a move
    void setGeometryPixels(int x, int y, int width, int height);
    void clearImage(QImage& image) const;
    void fitImage();

    QImage image_;
    DeviceContext dc_;
    std::uint32_t backColor_ = kButtonFace;
    Picture picture_;
    bool leftPressed_ = false;  // down without a move since: a release is a click
    bool leftDown_ = false;
    bool movePending_ = false;
    QTimer placeCheck_;  // a while after the program moved the shown window: did the window manager agree?
    QTimer veil_;  // runs while a window shown again waits, showing nothing, for the window manager's answer
    unsigned revealTurn_ = 0;  // that answer
    unsigned turn_ = 0;        // the window manager's answer that comes after the last move; 0 until asked
    std::optional<QPoint> pressPosition_;
    QPoint movePosition_;
    QPoint placed_;
    int handling_ = 0;
    bool parked_ = false;
    bool unsent_ = false;  // shown again: its place and size go to the X server once, before the question
    // The window manager's answer after it mapped a window made ahead, which is given out only then.
    static constexpr unsigned kNotYet = ~0u;  // not mapped yet
    unsigned takenIn_ = 0;
    QSize size_{1, 1};  // as the program sized it
    QRegion outline_;
};

// A top-level form: borderless, not in the task bar. Loading runs Form_Load; unloading runs
// Form_QueryUnload and Form_Unload, removes the form from the collection, ends its input and destroys it
// later, so a form may be unloaded from inside its own handler. A close request unloads it as its close box
// would (vbFormControlMenu), unless Form_QueryUnload refuses.
// A kind of form made and unmade with every puzzle keeps its native window instead: the unloaded form is
// hidden and kept, up to ten, and the next NewForm of its kind gets it renewed, as new, rather than a window
// made for it (making and unmaking native windows is most of the cost of a deal).
class Form : public Window {
  public:
    explicit Form(const char* name);
    ~Form() override;

    bool Loaded() const { return loaded_; }
    // The window's icon, from the program's pictures.
    void setIcon(const char* picture) { setWindowIcon(QIcon(QString::fromUtf8(picture))); }
    void SetFocus();

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& Cancel, int UnloadMode);
    virtual void Form_Unload(int& Cancel);

    // Makes windows for forms of a kind whose windows are kept, as many as are kept, once the program waits
    // for events: mapped and parked, as an unloaded form's.
    static void makeKept(const std::function<Form*()>& make);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    // For a kind of form whose windows are kept (see above); its constructor says so.
    void KeepWindowWhenUnloaded() { keepsWindow_ = true; }
    // Puts the state of the kind of form back as its constructor makes it, for a kept form given out again.
    virtual void Renew() {}

  private:
    friend void Load(Form& form);
    friend bool Unload(Form& form, int unloadMode);
    friend Form* TakeKeptForm(const std::type_info& kind);
    // Keeps the unloaded form for a new one, if there is room; its window, if shown, is parked.
    static bool keep(Form& form);
    bool loaded_ = false;
    bool keepsWindow_ = false;
};

// A picture box: a child window of a form.
class PictureBox : public Window {
  public:
    PictureBox(Window& parent, const char* name);
};

// Unload modes: the window's close box (or the window manager's close), the program's own code.
inline constexpr int vbFormControlMenu = 0;
inline constexpr int vbFormCode = 1;
inline constexpr int vbAppWindows = 2;

// The collection of loaded forms, in load order.
const std::vector<Form*>& Forms();
void Load(Form& form);
// Returns false when the form refused (Cancel set).
bool Unload(Form& form, int unloadMode = vbFormCode);

// A kept form of the kind, renewed and unloaded, or null when none is free (a form whose handler is still
// running is not given out).
Form* TakeKeptForm(const std::type_info& kind);
// Windows for the forms of a kind, made ahead and kept as the windows of unloaded forms are: the first
// puzzle's pieces get windows the window manager has already taken in (most of the cost of a new window).
// `ready` gives each form, before its window is made, what its kind's forms leave to a window they unload
// (a window's state changed later costs the window manager's work, and the program's waiting for it).
template <class F>
void MakeKeptForms(void (*ready)(F&)) {
    Form::makeKept([ready]() -> Form* {
        F* form = new F();
        ready(*form);
        return form;
    });
}
// Destroys the kept forms (the program's end does).
void DeleteKeptForms();

// Creates a form whose lifetime the runtime manages: it is destroyed after it is unloaded, or kept.
// A form's default instance: created on first use, and again once the last one is gone (or, when it is wanted
// loaded, unloaded); loaded too when wanted loaded.
template <class F>
F& DefaultInstance(bool loaded);

template <class F, class... Args>
F& NewForm(Args&&... args) {
    if constexpr (sizeof...(Args) == 0)
        if (Form* kept = TakeKeptForm(typeid(F))) return static_cast<F&>(*kept);
    return *new F(std::forward<Args>(args)...);  // destroyed or kept by Unload
}

template <class F>
F& DefaultInstance(bool loaded) {
    static QPointer<F> form;
    if (form.isNull() || (loaded && !form->Loaded())) {
        form = &NewForm<F>();
        if (loaded) Load(*form);
    }
    return *form;
}

}  // namespace platform
