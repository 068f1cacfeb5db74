#include "frmMenu.h"

#include <QCursor>
#include <QFontDatabase>
#include <QMouseEvent>

#include "frm_Version.h"
#include "game/Form1.h"
#include "game/Module1.h"
#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace menu {

using namespace toolkit;

frmMenu::frmMenu() : Form("frmMenu"), mpop(QString::fromUtf8("mpop")) {
    m_tc = mpop.addMenu(QString::fromUtf8("タイル数"));
    const char* sizes[] = {"4*4", "6*6（回転なし）", "6*6"};
    for (int i = 0; i < 3; ++i) {
        QAction* item = m_tc->addAction(QString::fromUtf8(sizes[i]));
        item->setCheckable(true);
        QObject::connect(item, &QAction::triggered, &mpop, [this, i] { tc_Click(i); });
        tc[static_cast<std::size_t>(i)] = MenuItem(item);
    }
    mpop.addSeparator();  // sep002
    mver = mpop.addAction(QString::fromUtf8("バージョン情報"));
    mpop.addSeparator();  // sep001
    mend = mpop.addAction(QString::fromUtf8("終了"));
    QObject::connect(mver, &QAction::triggered, &mpop, [this] { mver_Click(); });
    QObject::connect(mend, &QAction::triggered, &mpop, [this] { mend_Click(); });
    mpop.installEventFilter(this);
    m_tc->installEventFilter(this);
}

// The items' Japanese glyphs come with the program (a few cut from Noto Sans CJK JP; the program's resources
// are loaded with the icon window), so that the menu reads on a desktop without CJK fonts; the desktop's menu
// font still draws everything else.
void frmMenu::useJapaneseGlyphs() {
    const int id = QFontDatabase::addApplicationFont(QStringLiteral(":/kavimo-ja.otf"));
    if (id < 0) return;
    for (QMenu* menu : {&mpop, m_tc}) {
        QFont font = menu->font();
        font.setFamilies({font.family(), QFontDatabase::applicationFontFamilies(id).value(0)});
        menu->setFont(font);
    }
}

// The left button chooses an item: a release of any other button on the menu is let go by.
bool frmMenu::eventFilter(QObject*, QEvent* event) {
    return event->type() == QEvent::MouseButtonRelease &&
           static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton;
}

frmMenu& frmMenu::Instance() {
    return platform::DefaultInstance<frmMenu>(true);
}

void frmMenu::PopupMenu() {
    static const bool readable = (useJapaneseGlyphs(), true);  // loaded when first needed: start stays lean
    (void)readable;
    mpop.exec(QCursor::pos());
}

void frmMenu::tc_Click(int Index) {
    for (MenuItem& item : tc) item.setChecked(false);
    tc[static_cast<std::size_t>(Index)].setChecked(true);  // before the deal, which reads the turning choice
    if (Index == 0)
        game::StartPuzzle(4, 4);
    else
        game::StartPuzzle(6, 6);
    MakeRGNWindow(11, game::Form1::Instance(), true);
}

void frmMenu::mver_Click() {
    frm_Version::ShowModal();
}

void frmMenu::mend_Click() {
    platform::Unload(*this);
}

void frmMenu::Form_QueryUnload(int&, int) {
    game::Form1& icon = game::Form1::Instance();
    WriteIni("Data", "X", platform::SingleText(icon.Left()));
    WriteIni("Data", "Y", platform::SingleText(icon.Top()));
    UnloadFormsExcept(Name);
    platform::End();
}

}  // namespace menu
