#include "forms.h"

#include <xcb/xcb.h>

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "runtime.h"

namespace platform {
namespace {

std::vector<Form*>& loadedForms() {
    static std::vector<Form*> forms;
    return forms;
}

int toPixels(double twips, float twipsPerPixel) {
    return static_cast<int>(std::nearbyint(twips / twipsPerPixel));
}

int buttonBits(Qt::MouseButtons buttons) {
    return (buttons.testFlag(Qt::LeftButton) ? vbLeftButton : 0) |
           (buttons.testFlag(Qt::RightButton) ? vbRightButton : 0) |
           (buttons.testFlag(Qt::MiddleButton) ? vbMiddleButton : 0);
}

int shiftBits(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace

QColor OleColor(std::uint32_t bgr) {
    if ((bgr & 0x80000000u) != 0) return QColor(240, 240, 240);  // a system colour: the button face
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

namespace {

// The program's connection to the X server; none off X11.
xcb_connection_t* xcbConnection() {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The X server counts the screen's own pixels; the program, as Qt, pixels scaled to the desktop's setting
// (one to two where the desktop doubles everything). As in Qt, each monitor keeps its top-left corner.
QPoint scaledDown(QPoint native, const QWidget& window) {
    const QScreen* screen = window.screen();
    for (const QScreen* each : QGuiApplication::screens())
        if (QRect(each->geometry().topLeft(), each->geometry().size() * each->devicePixelRatio())
                .contains(native))
            screen = each;
    const QPoint corner = screen->geometry().topLeft();
    return corner + (QPointF(native - corner) / screen->devicePixelRatio()).toPoint();
}

// Where the window really is, as the X server tells, in the program's pixels; nothing off X11.
std::optional<QPoint> realPlace(const QWidget& window) {
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr) return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_translate_coordinates_reply_t* reply = xcb_translate_coordinates_reply(
        connection,
        xcb_translate_coordinates(connection, static_cast<xcb_window_t>(window.winId()), root, 0, 0),
        nullptr);
    if (reply == nullptr) return std::nullopt;
    const QPoint place(reply->dst_x, reply->dst_y);
    std::free(reply);
    return scaledDown(place, window);
}

}  // namespace

// The window manager handles its events in turn: once it has done a request made after a move, it has done
// the move, or refused it, however late it is. The request is to move a window of the program's own that is
// never shown, which a window manager does as asked (and the X server at once when none runs); each question
// moves it to a place of its own, which the X server reports back.
class WindowManagerTurns : public QAbstractNativeEventFilter {
  public:
    WindowManagerTurns() {
        xcb_connection_t* connection = xcbConnection();
        if (connection == nullptr) return;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        asker_ = xcb_generate_id(connection);
        const std::uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, asker_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
        qApp->installNativeEventFilter(this);
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, qApp,
                         [this] {
                             if (!std::exchange(questionDue_, false)) return;
                             // The windows shown again get their places first: the question follows them.
                             for (QWidget* widget : QApplication::topLevelWidgets())
                                 if (auto* window = dynamic_cast<Window*>(widget); window && window->unsent_)
                                     window->unpark();
                             ask();
                         });
    }

    // The number of the answer that follows everything the program has asked of the X server so far; off
    // X11, none is waited for.
    unsigned ask() {
        if (asker_ == 0) return 0;
        ++asked_;
        const std::uint32_t place[] = {asked_ % kRow, asked_ / kRow % kRow};
        xcb_configure_window(xcbConnection(), asker_, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
        xcb_flush(xcbConnection());
        return asked_;
    }
    // The number of the answer that will follow everything the program asks of the X server until it next
    // waits for events, when the question goes: the windows a deal shows share one, asked after the last of
    // their moves.
    unsigned askSoon() {
        if (asker_ == 0) return 0;
        questionDue_ = true;
        return asked_ + 1;
    }
    bool answered(unsigned turn) const { return answered_ >= turn; }

    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_configure_notify_event_t*>(message);
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            mapped(static_cast<const xcb_map_notify_event_t*>(message)->window);
            return false;
        }
        if ((event->response_type & 0x7F) != XCB_CONFIGURE_NOTIFY || event->window != asker_) return false;
        answered_ = std::max(answered_, static_cast<unsigned>(event->y * kRow + event->x));
        for (QWidget* widget : QApplication::topLevelWidgets())  // the windows waiting for it look again
            if (auto* window = dynamic_cast<Window*>(widget)) window->answered();
        return true;
    }

  private:
    // A window made ahead is taken in once the window manager has answered a question asked after its
    // mapping: some place a new window, focus it or move it again then, in their own time.
    void mapped(xcb_window_t id) {
        auto* window = dynamic_cast<Window*>(QWidget::find(id));
        if (window != nullptr && window->takenIn_ == Window::kNotYet) window->takenIn_ = ask();
    }

    static constexpr unsigned kRow = 16384;  // places along each side, of the X server's coordinates
    xcb_window_t asker_ = 0;
    unsigned asked_ = 0, answered_ = 0;
    bool questionDue_ = false;
};

namespace {

WindowManagerTurns& windowManagerTurns() {
    static WindowManagerTurns turns;
    return turns;
}

// A window shown is activated, as most window managers do with a new window when they map it, but not with a
// kept one shown again, nor with a new one they judge late (Mutter, the pieces of a puzzle dealt after a
// solved one): the player's first press on the top piece then goes to a window with the focus (Mutter takes
// a press on a window without it for itself, and lost it on a window just shown). Of the windows a deal
// shows, only the last, on top, once the program waits for events: each is a round trip and the window
// manager's work.
void activateSoon(Window& window) {
    static QPointer<Window> last;
    static const auto connection =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, qApp, [] {
            if (last) std::exchange(last, nullptr)->activateWindow();
        });
    last = &window;
}

}  // namespace

// ---- Window ----

class Window::Handling {
  public:
    explicit Handling(Window& window) : window_(window) { ++window_.handling_; }
    ~Handling() { --window_.handling_; }
    Handling(const Handling&) = delete;
    Handling& operator=(const Handling&) = delete;

  private:
    Window& window_;
};

Window::Window(QWidget* parent) : QWidget(parent) {
    dc_.image = &image_;
    resize(1, 1);  // every window is sized by its owner; no image of Qt's default size is made first
    fitImage();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // A window manager that refuses a place may not say so: after a moment the X server is asked.
    placeCheck_.setSingleShot(true);
    placeCheck_.setInterval(50);
    connect(&placeCheck_, &QTimer::timeout, this, [this] {
        if (const auto real = realPlace(*this)) checkPlace(*real);
    });
    // A window shown again shows late rather than never where the window manager does not answer (one
    // replaced while the question was on its way).
    veil_.setSingleShot(true);
    veil_.setInterval(1000);
    connect(&veil_, &QTimer::timeout, this, &Window::reveal);
}

float Window::Left() const {
    return static_cast<float>(placed_.x() * Screen::TwipsPerPixelX());
}
float Window::Top() const {
    return static_cast<float>(placed_.y() * Screen::TwipsPerPixelY());
}
float Window::Width() const {
    return static_cast<float>(size_.width() * Screen::TwipsPerPixelX());
}
float Window::Height() const {
    return static_cast<float>(size_.height() * Screen::TwipsPerPixelY());
}

void Window::setLeft(double twips) {
    setGeometryPixels(toPixels(twips, Screen::TwipsPerPixelX()), placed_.y(), size_.width(), size_.height());
}
void Window::setTop(double twips) {
    setGeometryPixels(placed_.x(), toPixels(twips, Screen::TwipsPerPixelY()), size_.width(), size_.height());
}
void Window::setWidth(double twips) {
    setGeometryPixels(placed_.x(), placed_.y(), std::max(0, toPixels(twips, Screen::TwipsPerPixelX())),
                      size_.height());
}
void Window::setHeight(double twips) {
    setGeometryPixels(placed_.x(), placed_.y(), size_.width(),
                      std::max(0, toPixels(twips, Screen::TwipsPerPixelY())));
}

void Window::setGeometryPixels(int left, int top, int w, int h) {
    moveTo(QPoint(left, top));
    if (QSize(w, h) == size_) return;
    size_ = QSize(w, h);
    if (!parked_ && !unsent_) resize(size_);  // a parked window is sized when it is shown
    fitImage();                               // a hidden window gets no resize event until it is shown
}

void Window::moveTo(QPoint position) {
    placed_ = position;
    if (parked_ || unsent_) return;  // moved once, when shown: the window manager is spared every step between
    move(position);
    if (!isWindow()) return;
    turn_ = 0;  // an answer to a question asked before does not tell of this move
    if (Visible()) placeCheck_.start();
}

void Window::setBackColor(std::uint32_t bgr) {
    backColor_ = bgr;
    clearImage(image_);
    update();
}

void Window::setPicture(const Picture& picture) {
    picture_ = picture;
    clearImage(image_);
    update();
}

void Window::clearImage(QImage& image) const {
    if (image.isNull()) return;
    image.fill(OleColor(backColor_));
    if (!picture_.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, picture_);
    }
}

void Window::Cls() {
    clearImage(image_);
    update();
}

void Window::PaintPicture(const Picture& picture, double x, double y, std::uint32_t rasterOp) {
    if (rasterOp != SRCCOPY || image_.isNull()) return;
    QPainter painter(&image_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);  // copy the source unchanged
    if (dc_.clipped) painter.setClipRegion(dc_.clip);
    painter.drawImage(toPixels(x, Screen::TwipsPerPixelX()), toPixels(y, Screen::TwipsPerPixelY()), picture);
    update();
}

bool Window::ShowsOnAScreen() const {
    return Screen::ShowsAny(placed_.x(), placed_.y(), size_.width(), size_.height());
}

void Window::PlacedElsewhere(QPoint) {}

void Window::setVisible(bool visible) {
    turn_ = 0;  // nor of the mapping
    if (visible && isWindow() && !Visible()) activateSoon(*this);
    if (!parked_) return QWidget::setVisible(visible);
    if (!visible) return;
    // Shown again: its place and size when the program next waits for events, once for all the moves its
    // handler makes (a deal places a piece, then snaps it to the grid: each move is the window manager's
    // work); its outline and picture once the window manager has moved it, so that the new piece never shows
    // where the window was parked (a busy window manager takes tens of milliseconds over the move, which the
    // X server does not wait for before it gives the window its outline), and nothing of the old one shows.
    parked_ = false;
    unsent_ = true;
    revealTurn_ = windowManagerTurns().askSoon();
    veil_.start();
    answered();
}

void Window::setOutline(const QRegion& outline) {
    outline_ = outline;
    if (parked_ || veil_.isActive()) return;  // given to the window when it is shown
    outline.isEmpty() ? clearMask() : setMask(outline);
}

void Window::park() {
    parked_ = true;
    unsent_ = false;
    veil_.stop();
    setUpdatesEnabled(false);  // nothing of it shows: it is painted once, when it is shown
    windowHandle()->setMask(kNoArea);
}

void Window::unpark() {
    parked_ = unsent_ = false;
    moveTo(placed_);  // from where it was parked, as any move
    resize(size_);
}

void Window::reveal() {
    veil_.stop();
    if (unsent_) unpark();  // off X11 no question is asked: the place goes with the outline
    setOutline(outline_);
    windowHandle()->setMask(outline_);  // Qt's own record may not have changed
    setUpdatesEnabled(true);
    repaint();  // the X server keeps nothing drawn where a window shows nothing
}

void Window::hideParked() {
    if (!parked_) return;
    QWidget::setVisible(false);
    unpark();
    reveal();
}

void Window::renew() {
    QCoreApplication::removePostedEvents(this);  // a move handler queued for the old form never runs
    placeCheck_.stop();
    turn_ = 0;
    leftPressed_ = leftDown_ = movePending_ = false;
    pressPosition_.reset();
    movePosition_ = {};
    Tag.clear();
    AutoRedraw = false;
    backColor_ = kButtonFace;
    picture_ = Picture();
    dc_.clip = QRegion();
    dc_.clipped = false;
    setOutline(QRegion());
    setGeometryPixels(0, 0, 1, 1);
    clearImage(image_);
    setEnabled(true);
    for (Window* child : findChildren<Window*>(Qt::FindDirectChildrenOnly)) {
        child->renew();
        child->show();
    }
}

// The window manager may put a window elsewhere than asked, and may not say so: a while after a move, the X
// server is asked where the window is. Where it is not where the program put it, the window manager is asked
// a question, and the place the window has once it answers is the window manager's choice. While a drag holds
// the window, the next step of the drag asks again.
void Window::moveEvent(QMoveEvent* event) {
    if (event->spontaneous() && isWindow()) placeCheck_.start();  // the window manager moved it: look
}

void Window::answered() {
    if (veil_.isActive() && windowManagerTurns().answered(revealTurn_)) reveal();
    if (turn_ != 0 && windowManagerTurns().answered(turn_)) placeCheck_.start();
}

void Window::checkPlace(QPoint real) {
    if (real == placed_ || !Visible() || !isEnabled() || leftDown_) return;
    if (turn_ == 0) turn_ = windowManagerTurns().ask();
    if (!windowManagerTurns().answered(turn_)) return;  // looked at again when it answers
    const QPoint asked = std::exchange(placed_, real);
    move(real);  // Qt's record, when the window manager did not say
    const Handling handling(*this);
    PlacedElsewhere(asked);
}

void Window::resizeEvent(QResizeEvent*) {
    fitImage();
}

void Window::fitImage() {
    // The persistent image follows the window's size, keeping what was drawn.
    const QSize size(std::max(1, size_.width()), std::max(1, size_.height()));
    if (image_.size() == size) return;
    QImage grown(size, QImage::Format_RGB32);
    clearImage(grown);
    if (!image_.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(grown);
}

void Window::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, width(), height()), image_, image_.rect().intersected(rect()));
}

void Window::Form_MouseDown(int, int, float, float) {}
void Window::Form_MouseMove(int, int, float, float) {}

// A window the program has hidden takes no input: a press the X server sent it just before (a second press on
// the icon as the deal its click started hides it) would start a move whose release the X server, having
// ended the press's grab with the window, sends elsewhere.
void Window::mousePressEvent(QMouseEvent* event) {
    if (!isVisible()) return;
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = leftDown_ = true;
        pressPosition_ = event->globalPosition().toPoint();
    }
    const QPointF at = event->position();
    Form_MouseDown(buttonBits(event->button()), shiftBits(event->modifiers()),
                   static_cast<float>(at.x() * Screen::TwipsPerPixelX()),
                   static_cast<float>(at.y() * Screen::TwipsPerPixelY()));
}

void Window::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    const int button = buttonBits(event->buttons()), shift = shiftBits(event->modifiers());
    const auto x = static_cast<float>(at.x() * Screen::TwipsPerPixelX());
    const auto y = static_cast<float>(at.y() * Screen::TwipsPerPixelY());
    // A move with the button held hands the window to the move loop, which takes the release: no click then.
    leftPressed_ = false;
    if ((button & vbLeftButton) == 0) {
        Form_MouseMove(button, shift, x, y);
        return;
    }
    movePosition_ =
        event->globalPosition().toPoint();  // where the drag goes; a move after the release is not
    // The handler runs once Qt has done with this move: when Qt drops waiting moves, it hands on the last
    // place as a move with the button down and holds the release back until that move has been handled, which
    // a move loop inside it would wait for. Moves that come before the handler runs are the move loop's.
    if (std::exchange(movePending_, true)) return;
    QMetaObject::invokeMethod(
        this,
        [this, button, shift, x, y] {
            movePending_ = false;
            const Handling handling(*this);
            if (isEnabled() && isVisible()) Form_MouseMove(button, shift, x, y);  // nor unloaded, nor hidden
        },
        Qt::QueuedConnection);
}

void Window::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const bool click = leftPressed_ && rect().contains(event->position().toPoint());
    leftPressed_ = leftDown_ = false;
    if (!movePending_) pressPosition_.reset();  // a move handled later still needs the grip
    const Handling handling(*this);
    if (click) Form_Click();
}

// ---- Form ----

namespace {

// The pieces of a 6 x 6 puzzle, and the piece whose drag solved the last one: its handler still runs while
// the next puzzle is dealt.
constexpr std::size_t kMostKept = 10;

// Forms unloaded with their windows kept for new forms of their kind; none is left at the program's end.
struct KeptForms {
    std::vector<Form*> forms;
    bool inputWaiting = false;  // a form was kept since waiting input was last dropped
    // Parked windows that no new form has taken a second later are hidden, but one: the window manager may
    // list them.
    QTimer* hideParked = nullptr;
};

KeptForms& keptForms() {
    static KeptForms kept = [] {
        qAddPostRoutine(DeleteKeptForms);
        return KeptForms{};
    }();
    return kept;
}

// Input the X server sent to a kept window before it was hidden is handled now, while the window is
// disabled, and so dropped: none of it reaches the form the window is given to next.
void dropWaitingInput() {
    if (xcb_connection_t* connection = xcbConnection())
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    QCoreApplication::processEvents();
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return found;
}

// The icon and the pieces are desktop ornaments, not application windows: no button in the task bar, no place
// in the pager, and of the window manager's commands only moving and closing. Told before each mapping, as a
// window manager forgets the state of a window it unmaps.
void markAsOrnament(const QWidget& form) {
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr) return;
    static const xcb_atom_t state = atom(connection, "_NET_WM_STATE"),
                            motif = atom(connection, "_MOTIF_WM_HINTS");
    static const xcb_atom_t states[] = {atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                        atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    const auto window = static_cast<xcb_window_t>(form.winId());
    // On a scaled desktop Qt gives the window manager the unset base size scaled, a negative one: fluxbox
    // made windows 65534 pixels wide of it, and the program hung painting them. The base is nothing.
    form.windowHandle()->setBaseSize(QSize(0, 0));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, 2, states);
    const std::uint32_t motifHints[5] = {1 | 2, 4 | 32, 0, 0, 0};  // functions: move, close; no decorations
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, motif, motif, 32, 5, motifHints);
}

}  // namespace

bool Form::keep(Form& form) {
    auto& kept = keptForms();
    if (kept.forms.size() >= kMostKept) return false;
    kept.forms.push_back(&form);
    kept.inputWaiting = true;
    if (!form.Visible()) return true;
    form.park();
    if (kept.hideParked == nullptr) {
        kept.hideParked = new QTimer(qApp);
        kept.hideParked->setSingleShot(true);
        kept.hideParked->setInterval(1000);
        // All but one, which stays ready: while a solved puzzle's last piece is still in its handler, the
        // next puzzle needs one window more than those its pieces leave, and mapping it anew takes the window
        // manager's time.
        QObject::connect(kept.hideParked, &QTimer::timeout, [] {
            bool ready = false;
            for (Form* parked : keptForms().forms) {
                if (!parked->parked_) continue;
                if (ready) parked->hideParked();
                ready = true;
            }
        });
    }
    kept.hideParked->start();
    return true;
}

void Form::makeKept(const std::function<Form*()>& make) {
    if (xcbConnection() == nullptr) return;  // only the X server tells when a window has been taken in
    windowManagerTurns();                    // listening for the mappings
    QTimer::singleShot(0, qApp, [make] {
        auto& kept = keptForms();
        while (kept.forms.size() < kMostKept) {
            Form& form = *make();
            form.create();
            form.park();
            form.setEnabled(false);
            form.takenIn_ = kNotYet;
            form.QWidget::setVisible(true);
            kept.forms.push_back(&form);
        }
    });
}

// Titled with the program's name for a person, and named for window-manager rules by its role.
Form::Form(const char* name) : Window(nullptr) {
    Name = name;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Kavimo"));
    setWindowRole(QString::fromUtf8(name));
}

void Form::showEvent(QShowEvent* event) {
    // The program's own show comes just before the window is mapped; a window given back by the window
    // manager (restored) keeps the state the window manager has for it.
    if (!event->spontaneous()) markAsOrnament(*this);
}

// The icon and the pieces are never minimised or maximised, whoever asks the window manager (a pager, a task
// list's "minimise all"): a piece skipped by the task bar could not be found again, and the puzzle could no
// longer be solved.
void Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && windowState() != Qt::WindowNoState && isVisible())
        QTimer::singleShot(0, this, [this] { setWindowState(Qt::WindowNoState); });
    Window::changeEvent(event);
}

Form::~Form() {
    auto& forms = loadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void Form::SetFocus() {
    if (isVisible() && !isActiveWindow()) activateWindow();
}

void Form::Form_QueryUnload(int&, int) {}

void Form::closeEvent(QCloseEvent* event) {
    event->ignore();  // the window goes only if the form is unloaded
    Unload(*this, vbFormControlMenu);
}

void Form::Form_Unload(int&) {}

const std::vector<Form*>& Forms() {
    return loadedForms();
}

void Load(Form& form) {
    if (form.loaded_) return;
    form.loaded_ = true;
    loadedForms().push_back(&form);
    form.Form_Load();
}

bool Unload(Form& form, int unloadMode) {
    if (!form.loaded_) return true;
    int cancel = 0;
    form.Form_QueryUnload(cancel, unloadMode);
    if (cancel != 0) return false;
    form.Form_Unload(cancel);
    if (cancel != 0) return false;
    form.loaded_ = false;
    auto& forms = loadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), &form), forms.end());
    form.setEnabled(false);  // input already on its way to it is dropped
    if (form.keepsWindow_ && Form::keep(form)) return true;
    form.hide();
    form.deleteLater();  // a handler of this form may still be running
    return true;
}

void DeleteKeptForms() {
    for (Form* form : std::exchange(keptForms().forms, {})) delete form;
}

Form* TakeKeptForm(const std::type_info& kind) {
    auto& kept = keptForms();
    if (std::exchange(kept.inputWaiting, false)) dropWaitingInput();
    // A parked window first: one that was hidden has to be taken in by the window manager again.
    const auto free = [&](bool parked) {
        return std::ranges::find_if(kept.forms, [&](const Form* form) {
            return typeid(*form) == kind && form->handling_ == 0 && form->parked_ == parked &&
                   windowManagerTurns().answered(form->takenIn_);
        });
    };
    auto found = free(true);
    if (found == kept.forms.end()) found = free(false);
    if (found == kept.forms.end()) return nullptr;
    Form& form = **found;
    kept.forms.erase(found);
    if (std::ranges::none_of(kept.forms, [](const Form* left) { return left->parked_; }) &&
        kept.hideParked != nullptr)
        kept.hideParked->stop();  // nothing left to hide
    form.renew();
    form.Renew();
    return &form;
}

// ---- PictureBox ----

PictureBox::PictureBox(Window& parent, const char* name) : Window(&parent) {
    Name = name;
    show();  // a child is visible unless hidden
}

}  // namespace platform
