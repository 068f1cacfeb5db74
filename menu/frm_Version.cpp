#include "frm_Version.h"

#include <QCloseEvent>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QTimer>
#include <QWindow>

#include "toolkit/mod_RGN_UserFunction.h"

static void initProgramResources() {
    Q_INIT_RESOURCE(program);
}

namespace menu {
namespace {

using toolkit::TwipToPixelX;
using toolkit::TwipToPixelY;

const char* const programIcon = ":/frm_Version_icon.png";

// Client area, in twips.
constexpr int clientWidth = 3945;
constexpr int clientHeight = 1125;

// Puts a control at its place and size, given in twips.
void place(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(TwipToPixelX(left), TwipToPixelY(top), TwipToPixelX(width), TwipToPixelY(height));
}

void setLabel(QLabel& label, const QString& caption) {
    label.setText(caption);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

// A bold face of the first installed family of the list; when none is, the closest serif face.
QFont boldSerif(const QStringList& families, double points) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QPoint toPixels(QPoint twips) {
    return {TwipToPixelX(twips.x()), TwipToPixelY(twips.y())};
}

}  // namespace

frm_Version::frm_Version() {
    initProgramResources();

    setWindowTitle(QStringLiteral("バージョン情報"));
    // A fixed dialog: a title bar with the close box only, no sizing. As a dialog it stays out of the task
    // bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(QIcon(programIcon));
    setFixedSize(TwipToPixelX(clientWidth), TwipToPixelY(clientHeight));

    // Command1 is the only control that takes the focus, so it has it from the start.
    Command1.setText(QStringLiteral("OK"));
    Command1.setDefault(true);
    place(Command1, 3075, 120, 795, 345);
    connect(&Command1, &QPushButton::clicked, this, &frm_Version::Command1_Click);

    setLabel(Label3, QStringLiteral("Kavimo"));
    Label3.setFont(
        boldSerif({"ＭＳ Ｐ明朝", "MS PMincho", "IPAPMincho", "IPAMincho", "Noto Serif CJK JP"}, 11.25));
    place(Label3, 840, 180, 2055, 285);

    Label2[1].setParent(this);  // the members of a control array are made without a parent
    setLabel(Label2[1], QStringLiteral("Version 1.0.1"));
    Label2[1].setFont(boldSerif({"Times New Roman", "Liberation Serif", "Nimbus Roman"}, 9.75));
    place(Label2[1], 1515, 525, 1515, 285);

    // One etched separator across the whole window, below the name and above the notice: the lines run past
    // both edges of the client area.
    Line1[2] = {{-135, 870}, {10330, 870}, Qt::white};
    Line1[3] = {{-45, 885}, {10330, 885}, std::nullopt};
    Line1[4] = {{-60, 870}, {10330, 870}, Qt::white};

    // The notice has no descenders: the label reaches past the bottom of the client area.
    setLabel(Label1, QStringLiteral("© 2026 The Kavimo authors"));
    place(Label1, 780, 930, 2775, 225);

    Image1.setPixmap(QPixmap(programIcon));
    Image1.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Image1, 180, 210, 480, 480);

    Form_Load();
}

void frm_Version::ShowModal() {
    frm_Version window;
    window.exec();
}

void frm_Version::Form_Load() {
    // Join the always-on-top band before the window is first shown, so that it opens above the puzzle pieces,
    // which are always on top themselves.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    centreOnScreen();
}

void frm_Version::Command1_Click() {
    accept();
}

void frm_Version::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: Escape does nothing.
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frm_Version::closeEvent(QCloseEvent* event) {
    // The close box closes the window just as "OK" does.
    accept();
    event->accept();
}

// Puts the whole window, frame included, in the middle of the screen. The window manager's frame is known
// only once the window is on the screen; until then the window is centred as if it had none.
void frm_Version::centreOnScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QMargins frame = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    centredWith_ = frame;
    const QSize outer = size().grownBy(frame);
    const QPoint client(screen.x() + (screen.width() - outer.width()) / 2 + frame.left(),
                        screen.y() + (screen.height() - outer.height()) / 2 + frame.top());
    setGeometry(QRect(client, size()));
}

// A fixed dialog has no minimise box. A window manager that minimises it anyway (openbox offers to) gets it
// back at once: minimised, it would hold every other window of the program with nothing left to click.
void frm_Version::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] { setWindowState(windowState() & ~Qt::WindowMinimized); });
    QDialog::changeEvent(event);
}

void frm_Version::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    windowHandle()->installEventFilter(this);
}

bool frm_Version::eventFilter(QObject* watched, QEvent* event) {
    // The window manager tells the size of its frame around the time it puts the window on the screen, some
    // before the first picture (openbox), some after (KWin): centred again once, when it is known.
    if (watched == windowHandle() && (event->type() == QEvent::Expose || event->type() == QEvent::Move) &&
        windowHandle()->frameMargins() != centredWith_)
        centreOnScreen();
    return QDialog::eventFilter(watched, event);
}

void frm_Version::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QColor windowText = palette().color(QPalette::WindowText);
    for (const Line& line : Line1) {
        painter.setPen(line.BorderColor.value_or(windowText));
        painter.drawLine(toPixels(line.from), toPixels(line.to));
    }
}

}  // namespace menu
