#include "WindowDriver.h"
#include "platform/Controls.h"
#include "platform/TComboBox.h"
#include "platform/TImage.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestWindow : public QObject {
    Q_OBJECT

    static QList<std::pair<const char*, QWidget*>> Controls(TFMainMenu* w)
    {
        return {{"StatusBar1", w->StatusBar1}, {"Panel2", w->Panel2},     {"StaticText3", w->StaticText3},
                {"ComboBox1", w->ComboBox1},   {"UpDown1", w->UpDown1},   {"StaticText1", w->StaticText1},
                {"Edit1", w->Edit1},           {"StaticText2", w->StaticText2}, {"Edit2", w->Edit2},
                {"BitBtn1", w->BitBtn1},       {"Panel3", w->Panel3},     {"pPhoto1", w->pPhoto1},
                {"Image1", w->Image1},         {"Memo2", w->Memo2},       {"Panel1", w->Panel1},
                {"Image2", w->Image2},         {"Panel4", w->Panel4},     {"Image3", w->Image3}};
    }

    static QWidget* Named(TFMainMenu* w, const QByteArray& name)
    {
        for (auto& [n, widget] : Controls(w))
            if (name == n)
                return widget;
        return nullptr;
    }

    // Each control's rectangle in its parent at design size and with the window grown by
    // 200 x 150: aligned controls follow their alignment, anchored ones keep their distances.
    static void AddLayoutRows(int dw, int dh)
    {
        const QByteArray tag = dw ? " grown" : " design";
        auto row = [&](const char* name, QRect r) { QTest::newRow(name + tag) << QByteArray(name) << dw << dh << r; };
        row("StatusBar1", {0, 647 + dh, 746 + dw, 19});
        row("Panel2", {0, 0, 746 + dw, 73});
        row("StaticText3", {8, 9, 97, 16});
        row("ComboBox1", {112, 8, 439 + dw, 20});
        row("UpDown1", {560 + dw, 7, 39, 20});
        row("StaticText1", {8, 32, 97, 16});
        row("Edit1", {112, 31, 489 + dw, 18});
        row("StaticText2", {8, 51, 97, 16});
        row("Edit2", {112, 50, 489 + dw, 18});
        row("BitBtn1", {608 + dw, 8, 129, 59});
        row("Panel3", {0, 73, 746 + dw, 574 + dh});
        row("pPhoto1", {0, 0, 508 + dw, 382 + dh});
        row("Image1", {2, 2, 504, 378}); // the picture box keeps its size until a refresh
        row("Memo2", {510 + dw, 0, 236, 573 + dh});
        row("Panel1", {0, 382 + dh, 254, 190});
        row("Image2", {2, 2, 250, 186});
        row("Panel4", {254, 382 + dh, 254, 190});
        row("Image3", {2, 2, 250, 186});
    }

private slots:
    void layout_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<int>("dw");
        QTest::addColumn<int>("dh");
        QTest::addColumn<QRect>("rect");
        AddLayoutRows(0, 0);
        AddLayoutRows(200, 150);
    }
    void layout()
    {
        QFETCH(QByteArray, control);
        QFETCH(int, dw);
        QFETCH(int, dh);
        QFETCH(QRect, rect);
        WindowDriver d;
        QCOMPARE(d.window->Client->size(), QSize(746, 666));
        if (dw || dh) {
            d.window->resize(d.window->size() + QSize(dw, dh));
            QCOMPARE(d.window->Client->size(), QSize(746 + dw, 666 + dh));
        }
        QCOMPARE(Named(d.window.get(), control)->geometry(), rect);
    }

    void menus()
    {
        WindowDriver d;
        QStringList bar;
        for (QAction* a : d.window->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{"ファイル(&F)", "表示(&V)", "ヘルプ(&H)"}));
        // Every item enabled, without check mark or shortcut of its own.
        auto captions = [](QMenu* m) {
            QStringList c;
            for (QAction* a : m->actions()) {
                const bool plain = a->isEnabled() && !a->isCheckable() && a->shortcut().isEmpty();
                c << (a->isSeparator() ? QString("-") : a->text()) + (plain ? "" : " (not plain)");
            }
            return c;
        };
        QCOMPARE(captions(d.window->File1), (QStringList{"フォルダ選択(&O)", "-", "終了(&X)"}));
        QCOMPARE(captions(d.window->Show1), (QStringList{"スライドショウ開始(&S)", "スライドショウ終了(&E)"}));
        QCOMPARE(captions(d.window->Help1), (QStringList{"操作(&O)", "-", "バージョン(&V)"}));
    }

    void settings()
    {
        WindowDriver d;
        TFMainMenu* w = d.window.get();
        QVERIFY(w->Edit1->isReadOnly());
        QVERIFY(w->Memo2->isReadOnly());
        QCOMPARE(w->Memo2->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(w->Memo2->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w->Memo2->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(QFontInfo(w->Memo2->font()).family(), QString("IPAGothic"));
        QCOMPARE(QFontInfo(w->Edit2->font()).family(), QString("IPAPGothic"));
        QCOMPARE(w->Memo2->font().pixelSize(), 12);
        QCOMPARE(w->Edit1->palette().color(QPalette::Base), QColor(0, 255, 255));
        QCOMPARE(w->ComboBox1->palette().color(QPalette::Base), QColor(0, 255, 255));
        QCOMPARE(w->BitBtn1->text(), QString("変更"));
        QCOMPARE(w->StaticText3->text(), QString("開時点ファイル名"));
        QCOMPARE(w->StaticText1->text(), QString("変更前ファイル名"));
        QCOMPARE(w->StaticText2->text(), QString("変更後ファイル名"));
        QCOMPARE(w->Timer1->interval(), 5000);
        QVERIFY(!w->Timer1->isActive());
        QVERIFY(w->Edit1->text().isEmpty() && w->Edit2->text().isEmpty() && w->Memo2->toPlainText().isEmpty());
        for (TImage* image : {w->Image1, w->Image2, w->Image3})
            QVERIFY(!image->Picture());
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("list") << QByteArray("ComboBox1") << "開時点ファイル名";
        QTest::newRow("before") << QByteArray("Edit1") << "変更前ファイル名";
        QTest::newRow("after") << QByteArray("Edit2") << "変更後ファイル名";
        QTest::newRow("button") << QByteArray("BitBtn1") << "変更";
        QTest::newRow("updown") << QByteArray("UpDown1") << "選択位置";
        QTest::newRow("photo") << QByteArray("Image1") << "写真";
        QTest::newRow("previous") << QByteArray("Image2") << "前の写真";
        QTest::newRow("next") << QByteArray("Image3") << "次の写真";
        QTest::newRow("details") << QByteArray("Memo2") << "詳細";
    }
    void accessibleNames()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, name);
        WindowDriver d;
        QCOMPARE(Named(d.window.get(), control)->accessibleName(), name);
    }

    void tabMovesBetweenTheTwoStops()
    {
        WindowDriver d;
        QApplication::setActiveWindow(d.window.get());
        QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
        QCOMPARE(QApplication::focusWidget(), d.window->Edit2);
        d.Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.window->BitBtn1);
        d.Key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.window->Edit2);
        d.Key(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), d.window->BitBtn1);
    }
};

PORTEO_TEST_MAIN(TestWindow)
#include "test_window.moc"
