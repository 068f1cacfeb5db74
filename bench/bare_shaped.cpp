// The floor for a start: a bare Qt 6 program that shows one frameless 32 x 32 window with an outline, as the
// icon is shown, and nothing else.
#include <QApplication>
#include <QPainter>
#include <QRegion>
#include <QWidget>

namespace {

class ShapedWindow : public QWidget {
  public:
    ShapedWindow() {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        resize(32, 32);
        setMask(QRegion(0, 0, 32, 32, QRegion::Ellipse));
    }

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0x40, 0x40, 0x40)); }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ShapedWindow window;
    window.move(496, 368);
    window.show();
    return QApplication::exec();
}
