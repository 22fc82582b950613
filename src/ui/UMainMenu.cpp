#include "UMainMenu.h"

#include "Texts.h"
#include "platform/Controls.h"
#include "platform/Services.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"
#include "platform/TStringList.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

TFMainMenu* FMainMenu = nullptr;

namespace {
const QColor kAqua(0x00, 0xFF, 0xFF); // clAqua
}

TFMainMenu::TFMainMenu(Services& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      guard_([this](const QString& text) { services_.ShowErrorReport(this, text); })
{
    setWindowTitle(QString::fromUtf8(kAppTitle));
    BuildControls();
    BuildMenu();
    installEventFilter(this);
    create();
    windowHandle()->installEventFilter(this); // key preview: the window sees every key first
    Guarded([this] { FormCreate(this); });
}

TFMainMenu::~TFMainMenu()
{
    if (FMainMenu == this)
        FMainMenu = nullptr;
}

void TFMainMenu::BuildControls()
{
    Client = new QWidget(this);
    Client->setAutoFillBackground(true);
    setCentralWidget(Client);
    // The client area is 746 x 666 below the menu bar; the controls are placed at design size.
    Client->resize(746, 666);
    auto* form = new AnchorLayout(Client);

    StatusBar1 = new TStatusBar(Client);
    form->Place(StatusBar1, {0, 647, 746, 19}, TAlign::alBottom);

    Panel2 = new TPanel(Client, TPanel::Bevel::None, TPanel::Bevel::None);
    form->Place(Panel2, {0, 0, 746, 73}, TAlign::alTop);
    Panel3 = new TPanel(Client, TPanel::Bevel::None, TPanel::Bevel::None);
    form->Place(Panel3, {0, 73, 746, 574}, TAlign::alClient);

    AnchorLayout* names = Panel2->Layout();
    StaticText3 = new TStaticText(QString::fromUtf8(kLabelOpeningName), Panel2);
    names->Place(StaticText3, {8, 9, 97, 16});
    ComboBox1 = new TComboBox(Panel2);
    names->Place(ComboBox1, {112, 8, 439, 20}, TAlign::alNone, akLeft | akTop | akRight);
    UpDown1 = new TUpDown(Panel2);
    names->Place(UpDown1, {560, 7, 39, 20}, TAlign::alNone, akRight | akBottom);
    StaticText1 = new TStaticText(QString::fromUtf8(kLabelNameBefore), Panel2);
    names->Place(StaticText1, {8, 32, 97, 16});
    Edit1 = new QLineEdit(Panel2);
    names->Place(Edit1, {112, 31, 489, 18}, TAlign::alNone, akLeft | akTop | akRight);
    StaticText2 = new TStaticText(QString::fromUtf8(kLabelNameAfter), Panel2);
    names->Place(StaticText2, {8, 51, 97, 16});
    Edit2 = new QLineEdit(Panel2);
    names->Place(Edit2, {112, 50, 489, 18}, TAlign::alNone, akLeft | akTop | akRight);
    BitBtn1 = new QPushButton(QString::fromUtf8(kRenameButton), Panel2);
    names->Place(BitBtn1, {608, 8, 129, 59}, TAlign::alNone, akTop | akRight);

    AnchorLayout* frames = Panel3->Layout();
    pPhoto1 = new TPanel(Panel3, TPanel::Bevel::Lowered, TPanel::Bevel::Raised);
    frames->Place(pPhoto1, {0, 0, 508, 382}, TAlign::alNone, akLeft | akTop | akRight | akBottom);
    Memo2 = new QPlainTextEdit(Panel3);
    frames->Place(Memo2, {510, 0, 236, 573}, TAlign::alNone, akTop | akRight | akBottom);
    Panel1 = new TPanel(Panel3, TPanel::Bevel::Lowered, TPanel::Bevel::Raised);
    frames->Place(Panel1, {0, 382, 254, 190}, TAlign::alNone, akLeft | akBottom);
    Panel4 = new TPanel(Panel3, TPanel::Bevel::Lowered, TPanel::Bevel::Raised);
    frames->Place(Panel4, {254, 382, 254, 190}, TAlign::alNone, akLeft | akBottom);

    Image1 = new TImage(pPhoto1);
    pPhoto1->Layout()->Place(Image1, {2, 2, 504, 378});
    Image2 = new TImage(Panel1);
    Panel1->Layout()->Place(Image2, {2, 2, 250, 186});
    Image3 = new TImage(Panel4);
    Panel4->Layout()->Place(Image3, {2, 2, 250, 186});
    const int depth = services_.ScreenDepth();
    for (TImage* image : {Image1, Image2, Image3}) {
        image->SetStretch(true);
        image->SetIncrementalDisplay(true);
        image->SetScreenDepth(depth);
        // A picture that fails while it is drawn is reported from the event loop.
        image->OnDecodeError = [this](const QString& message) { guard_.QueueReport(message); };
    }

    // Settings that matter.
    ComboBox1->setFocusPolicy(Qt::ClickFocus);
    ComboBox1->setFrame(false);
    QPalette aqua = ComboBox1->palette();
    aqua.setColor(QPalette::Base, kAqua);
    aqua.setColor(QPalette::Button, kAqua);
    ComboBox1->setPalette(aqua);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::ClickFocus);
    Edit1->setPalette(aqua);
    BitBtn1->setAutoDefault(false);
    QFont fixed(QString::fromUtf8(kFixedPitchFont));
    fixed.setPixelSize(12);
    fixed.setStyleHint(QFont::Monospace);
    Memo2->setFont(fixed);
    Memo2->setReadOnly(true);
    Memo2->setFocusPolicy(Qt::ClickFocus);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setFrameStyle(QFrame::Box | QFrame::Plain);
    UpDown1->setFocusPolicy(Qt::NoFocus);
    QWidget::setTabOrder(Edit2, BitBtn1);

    ComboBox1->setAccessibleName(QString::fromUtf8(kLabelOpeningName));
    Edit1->setAccessibleName(QString::fromUtf8(kLabelNameBefore));
    Edit2->setAccessibleName(QString::fromUtf8(kLabelNameAfter));
    BitBtn1->setAccessibleName(QString::fromUtf8(kRenameButton));
    UpDown1->setAccessibleName(QStringLiteral("選択位置"));
    Image1->setAccessibleName(QStringLiteral("写真"));
    Image2->setAccessibleName(QStringLiteral("前の写真"));
    Image3->setAccessibleName(QStringLiteral("次の写真"));
    Memo2->setAccessibleName(QStringLiteral("詳細"));
    StatusBar1->setAccessibleDescription(QStringLiteral("選択位置と合計"));

    Timer1 = new QTimer(this);
    Timer1->setInterval(5000);

    // Events.
    ComboBox1->EventGuard = [this](const std::function<void()>& f) { Guarded(f); };
    ComboBox1->OnChange = [this] { ComboBox1Change(ComboBox1); };
    UpDown1->EventGuard = [this](const std::function<void()>& f) { Guarded(f); };
    UpDown1->OnChangingEx = [this](bool& allow, qint16 value, TUpDownDirection direction) {
        UpDown1ChangingEx(UpDown1, allow, value, direction);
    };
    connect(BitBtn1, &QPushButton::clicked, this, [this] { Guarded([this] { BitBtn1Click(BitBtn1); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { Guarded([this] { Timer1Timer(Timer1); }); });

    Edit2->setFocus();
}

void TFMainMenu::BuildMenu()
{
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, const char* caption, void (TFMainMenu::*handler)(QObject*)) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        connect(action, &QAction::triggered, this, [this, action, handler] {
            Guarded([this, action, handler] { (this->*handler)(action); });
        });
        return action;
    };
    File1 = bar->addMenu(QString::fromUtf8(kMenuFile));
    mOpen1 = add(File1, kMenuOpen, &TFMainMenu::mOpen1Click);
    N1 = File1->addSeparator();
    mExit1 = add(File1, kMenuExit, &TFMainMenu::mExit1Click);
    Show1 = bar->addMenu(QString::fromUtf8(kMenuShow));
    S1 = add(Show1, kMenuSlideshowStart, &TFMainMenu::S1Click);
    E1 = add(Show1, kMenuSlideshowStop, &TFMainMenu::E1Click);
    Help1 = bar->addMenu(QString::fromUtf8(kMenuHelp));
    M1 = add(Help1, kMenuOperation, &TFMainMenu::M1Click);
    N2 = Help1->addSeparator();
    V1 = add(Help1, kMenuVersion, &TFMainMenu::V1Click);
    const int menuHeight = bar->sizeHint().height();
    resize(746, 666 + menuHeight);
}

void TFMainMenu::FormCreate(QObject*)
{
    move(0, 0);
    setWindowTitle(QString::fromUtf8(kAppTitle));
}

void TFMainMenu::FormClose(QObject*)
{
    CurrentNames.reset();
}

void TFMainMenu::closeEvent(QCloseEvent* event)
{
    Guarded([this] { FormClose(this); });
    // A closed window handles no more ticks.
    Timer1->stop();
    QMainWindow::closeEvent(event);
}

bool TFMainMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched == windowHandle()) {
        // Key preview: the window's own platform window receives each key exactly once, before
        // it hands it to the focused widget. The key is never consumed.
        auto* key = static_cast<QKeyEvent*>(event);
        Guarded([&] { FormKeyDown(this, key->key(), key->modifiers()); });
    } else if (event->type() == QEvent::WindowActivate && watched == this && !activatedOnce_) {
        activatedOnce_ = true;
        Edit2->setFocus(Qt::ActiveWindowFocusReason);
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFMainMenu::FormKeyDown(QObject*, int key, Qt::KeyboardModifiers)
{
    switch (key) {
    case Qt::Key_F1:
        mOpen1->trigger();
        break;
    case Qt::Key_F3:
        if (ComboBox1->count() > 0 && ComboBox1->ItemIndex() != 0)
            SelectPrevious();
        break;
    case Qt::Key_F4:
        if (ComboBox1->ItemIndex() < ComboBox1->count() - 1)
            SelectNext();
        break;
    case Qt::Key_F5:
        BitBtn1->click();
        break;
    default:
        break;
    }
}

void TFMainMenu::mExit1Click(QObject*)
{
    close();
}

void TFMainMenu::S1Click(QObject*)
{
    if (!Timer1->isActive())
        Timer1->start();
}

void TFMainMenu::E1Click(QObject*)
{
    Timer1->stop();
}

void TFMainMenu::M1Click(QObject*)
{
    services_.ShowMessage(this, QString::fromUtf8(kHelpMessage));
}

void TFMainMenu::V1Click(QObject*)
{
    services_.ShowMessage(this, QString::fromUtf8(kVersionMessage));
}

void TFMainMenu::Timer1Timer(QObject*)
{
    // The window has closed and released the current names: a tick that still comes (one already
    // on its way when the window closed) handles nothing. Before the first opening the list is
    // empty, and the step would change nothing either.
    if (!CurrentNames)
        return;
    SelectNextOrFirst();
}
