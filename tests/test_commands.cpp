// The menu, the function keys and the slideshow, through the real window.

#include "Fixtures.h"
#include "WindowDriver.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QAction>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

QByteArray NumberedName(int i)
{
    return QByteArray("f") + QByteArray::number(i).rightJustified(2, '0');
}

void FillNumbered(const FixtureFolder& dir, int count)
{
    for (int i = 0; i < count; ++i)
        dir.AddFile(NumberedName(i));
}

QString Position(int selection, int count)
{
    return QStringLiteral("[選択]%1/[合計]%2").arg(selection + 1).arg(count);
}

// The window made active, as under the user's hand: the focus is then in "変更後ファイル名".
void Activate(WindowDriver& d)
{
    d.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.window->Edit2));
}

// Counts the key presses that reach a widget after the window has seen them.
class KeySpy : public QObject {
public:
    QList<int> keys;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    // One key press on the focused "変更後ファイル名"; a folder of `count` items at `start`
    // (count -1: no folder open). The picker cancels.
    void keys_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("selection");
        QTest::addColumn<bool>("refreshed");
        QTest::addColumn<int>("pickerCalls");
        QTest::addColumn<QStringList>("messages");
        const int none = Qt::NoModifier;
        const QStringList silent;
        QTest::newRow("F1, no folder") << -1 << -1 << int(Qt::Key_F1) << none << -1 << false << 1 << silent;
        QTest::newRow("Ctrl+F1") << 12 << 5 << int(Qt::Key_F1) << int(Qt::ControlModifier) << 5 << false << 1 << silent;
        QTest::newRow("F2") << 12 << 5 << int(Qt::Key_F2) << none << 5 << false << 0 << silent;
        QTest::newRow("F3") << 12 << 5 << int(Qt::Key_F3) << none << 4 << true << 0 << silent;
        QTest::newRow("Shift+F3") << 12 << 5 << int(Qt::Key_F3) << int(Qt::ShiftModifier) << 4 << true << 0 << silent;
        QTest::newRow("F3 at the first") << 12 << 0 << int(Qt::Key_F3) << none << 0 << false << 0 << silent;
        QTest::newRow("F4") << 12 << 5 << int(Qt::Key_F4) << none << 6 << true << 0 << silent;
        QTest::newRow("Shift+F4") << 12 << 5 << int(Qt::Key_F4) << int(Qt::ShiftModifier) << 6 << true << 0 << silent;
        QTest::newRow("Ctrl+F4") << 12 << 5 << int(Qt::Key_F4) << int(Qt::ControlModifier) << 6 << true << 0 << silent;
        QTest::newRow("Alt+F4") << 12 << 5 << int(Qt::Key_F4) << int(Qt::AltModifier) << 6 << true << 0 << silent;
        QTest::newRow("F4 at the last") << 12 << 11 << int(Qt::Key_F4) << none << 11 << false << 0 << silent;
        QTest::newRow("F3, no folder") << -1 << -1 << int(Qt::Key_F3) << none << -1 << false << 0 << silent;
        QTest::newRow("F4, no folder") << -1 << -1 << int(Qt::Key_F4) << none << -1 << false << 0 << silent;
        QTest::newRow("F3, empty folder") << 0 << -1 << int(Qt::Key_F3) << none << -1 << false << 0 << silent;
        QTest::newRow("F4, empty folder") << 0 << -1 << int(Qt::Key_F4) << none << -1 << false << 0 << silent;
        QTest::newRow("F5, no folder") << -1 << -1 << int(Qt::Key_F5) << none << -1 << false << 0 << silent;
        QTest::newRow("F5, empty folder") << 0 << -1 << int(Qt::Key_F5) << none << -1 << false << 0 << silent;
        QTest::newRow("F5 renames") << 12 << 5 << int(Qt::Key_F5) << none << 5 << false << 0
                                    << QStringList{"名前が空白です。"};
        QTest::newRow("F6") << 12 << 5 << int(Qt::Key_F6) << none << 5 << false << 0 << silent;
        QTest::newRow("Right") << 12 << 5 << int(Qt::Key_Right) << none << 5 << false << 0 << silent;
    }
    void keys()
    {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, selection);
        QFETCH(bool, refreshed);
        QFETCH(int, pickerCalls);
        QFETCH(QStringList, messages);
        FixtureFolder dir;
        FillNumbered(dir, qMax(count, 0));
        WindowDriver d;
        if (count >= 0)
            d.Open(dir.Path());
        const int total = qMax(count, 0);
        for (int i = 0; i < start; ++i)
            d.window->SelectNext();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), start);
        Activate(d);
        const QString position = d.PositionText();
        const int refreshes = d.window->RefreshCount();
        const int prompts = d.services.pickerPrompts.size();

        d.Key(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(d.window->ComboBox1->ItemIndex(), selection);
        QCOMPARE(d.window->RefreshCount(), refreshes + (refreshed ? 1 : 0));
        QCOMPARE(d.PositionText(), refreshed ? Position(selection, total) : position);
        if (refreshed)
            QCOMPARE(d.window->Edit1->text(), QString::fromUtf8(NumberedName(selection)));
        QCOMPARE(d.services.pickerPrompts.size(), prompts + pickerCalls);
        QCOMPARE(d.services.messages, messages);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // F1 opens the folder the picker gives.
    void f1OpensAFolder()
    {
        FixtureFolder dir;
        FillNumbered(dir, 3);
        WindowDriver d;
        Activate(d);
        d.services.pickerAnswers.push_back(dir.Path());
        d.Key(Qt::Key_F1);
        QCOMPARE(d.services.pickerPrompts, QStringList{"フォルダを選択してください。"});
        QCOMPARE(d.ListNames(), (QStringList{"f00", "f01", "f02"}));
        QCOMPARE(d.PositionText(), QString("[選択]1/[合計]3"));
    }

    // The window looks at every key and consumes none: the focused "変更後ファイル名" still gets
    // each key, its text stays, and typing goes on.
    void keysGoOnToTheFocusedControl()
    {
        FixtureFolder dir;
        FillNumbered(dir, 5);
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        KeySpy spy;
        d.window->Edit2->installEventFilter(&spy);
        QTest::keyClicks(d.window->Edit2, "ab");
        d.Key(Qt::Key_F4);
        d.Key(Qt::Key_F4);
        d.Key(Qt::Key_F3);
        d.Key(Qt::Key_F2);
        QTest::keyClicks(d.window->Edit2, "c");
        d.Key(Qt::Key_Left);
        QTest::keyClicks(d.window->Edit2, "X");
        QCOMPARE(d.window->Edit2->text(), QString("abXc"));
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(spy.keys, (QList<int>{Qt::Key_A, Qt::Key_B, Qt::Key_F4, Qt::Key_F4, Qt::Key_F3, Qt::Key_F2, Qt::Key_C,
                                       Qt::Key_Left, Qt::Key_X}));
        d.window->Edit2->removeEventFilter(&spy);
    }

    // A command that takes the focus away from the window (a message box or the folder picker
    // does, until the window is active again) runs once for its key: the key, ignored by the
    // focused control and passed on to its parents, is not taken for a new one when it reaches
    // the window.
    void commandThatTakesTheFocusRunsOnce()
    {
        FixtureFolder dir;
        FillNumbered(dir, 5);
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        d.services.shellFactory = [] {
            if (QWidget* focus = QApplication::focusWidget())
                focus->clearFocus();
            return std::make_unique<TShellApplication>();
        };
        d.Key(Qt::Key_F4);
        QCOMPARE(QApplication::focusWidget(), nullptr);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]5"));

        // With no focus the window itself gets the keys, each of them once.
        d.services.shellFactory = nullptr;
        d.Key(Qt::Key_F4);
        d.Key(Qt::Key_F4);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 3);
    }

    // A held key repeats its command with each repeated key-down.
    void heldKeyRepeats()
    {
        FixtureFolder dir;
        FillNumbered(dir, 5);
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        for (int i = 0; i < 3; ++i) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, Qt::NoModifier, QString(), i > 0);
            QApplication::sendEvent(d.window->windowHandle(), &press);
        }
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_F4, Qt::NoModifier);
        QApplication::sendEvent(d.window->windowHandle(), &release);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 3);
        QCOMPARE(d.PositionText(), QString("[選択]4/[合計]5"));
    }

    void messages()
    {
        WindowDriver d;
        d.window->M1->trigger();
        d.window->V1->trigger();
        QCOMPARE(d.services.messages,
                 (QStringList{QString::fromUtf8("F1:フォルダ選択\r\nF2:前候補\r\nF4:後候補\r\nF5:変更"),
                              QString::fromUtf8("ぽるてお Ver.1.0.0.0")}));
        QCOMPARE(d.services.messages[0].split("\r\n").size(), 4);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Started twice it is one timer whose period goes on; stopped while stopped, nothing.
    void startingAndStopping()
    {
        WindowDriver d;
        QTimer* timer = d.window->Timer1;
        QCOMPARE(timer->interval(), 5000);
        QVERIFY(!timer->isActive());
        d.window->E1->trigger();
        QVERIFY(!timer->isActive());

        // A precise timer, so that a restart would show in its remaining time.
        timer->setTimerType(Qt::PreciseTimer);
        d.window->S1->trigger();
        QVERIFY(timer->isActive());
        const int first = timer->remainingTime();
        QThread::msleep(40);
        d.window->S1->trigger();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 5000);
        const int second = timer->remainingTime();
        QVERIFY2(second <= first - 30, qPrintable(QString("%1 then %2").arg(first).arg(second)));

        d.window->E1->trigger();
        QVERIFY(!timer->isActive());
        d.window->E1->trigger();
        QVERIFY(!timer->isActive());
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Each tick is one step forward, from the last item to the first.
    void ticksWrap()
    {
        FixtureFolder dir;
        FillNumbered(dir, 3);
        WindowDriver d;
        d.Open(dir.Path());
        d.window->S1->trigger();
        const int refreshes = d.window->RefreshCount();
        QList<int> seen;
        for (int i = 0; i < 4; ++i) {
            d.Tick();
            seen << d.window->ComboBox1->ItemIndex();
        }
        QCOMPARE(seen, (QList<int>{1, 2, 0, 1}));
        QCOMPARE(d.window->RefreshCount(), refreshes + 4);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]3"));
        QCOMPARE(d.window->Edit1->text(), QString("f01"));
        QCOMPARE(d.window->UpDown1->Position(), qint16(1));
        QVERIFY(d.window->Timer1->isActive());
    }

    // A tick leaves the text being typed and the focus alone.
    void tickLeavesTypingAlone()
    {
        FixtureFolder dir;
        FillNumbered(dir, 3);
        WindowDriver d;
        d.Open(dir.Path());
        Activate(d);
        QTest::keyClicks(d.window->Edit2, "trip");
        d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(d.window->Edit2->text(), QString("trip"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d.window->Edit2));
    }

    // Ticks that change nothing: a folder of one item (the up-down already holds 0, so nothing is
    // refreshed), no folder, an empty folder.
    void ticksThatChangeNothing_data()
    {
        QTest::addColumn<int>("count"); // -1: no folder open
        QTest::newRow("one item") << 1;
        QTest::newRow("no folder") << -1;
        QTest::newRow("empty folder") << 0;
    }
    void ticksThatChangeNothing()
    {
        QFETCH(int, count);
        FixtureFolder dir;
        FillNumbered(dir, qMax(count, 0));
        WindowDriver d;
        if (count >= 0)
            d.Open(dir.Path());
        d.window->S1->trigger();
        const QString position = d.PositionText();
        const QString name = d.window->Edit1->text();
        const int refreshes = d.window->RefreshCount();
        const int selection = d.window->ComboBox1->ItemIndex();
        d.Tick();
        d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), selection);
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QCOMPARE(d.PositionText(), position);
        QCOMPARE(d.window->Edit1->text(), name);
        QVERIFY(d.services.errorReports.isEmpty());
        QVERIFY(d.services.messages.isEmpty());
        QVERIFY(d.window->Timer1->isActive());
    }

    // A running slideshow goes on in a folder opened meanwhile, from its first item; started
    // with no folder open, it goes on once one is.
    void slideshowAcrossAnOpening()
    {
        FixtureFolder first, second;
        FillNumbered(first, 4);
        FillNumbered(second, 4);
        WindowDriver d;
        d.window->S1->trigger();
        d.Tick();
        d.Open(first.Path());
        QVERIFY(d.window->Timer1->isActive());
        d.Tick();
        d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 2);

        d.Open(second.Path());
        QVERIFY(d.window->Timer1->isActive());
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 0);
        const int refreshes = d.window->RefreshCount();
        d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 1);
        QCOMPARE(d.window->RefreshCount(), refreshes + 1);
        QCOMPARE(d.PositionText(), QString("[選択]2/[合計]4"));
        QCOMPARE(d.window->FolderPath, second.Path());
    }

    // A tick whose refresh fails is reported, and the slideshow goes on.
    void tickWithAFailingRefresh()
    {
        FixtureFolder dir;
        FillNumbered(dir, 3);
        WindowDriver d;
        d.Open(dir.Path());
        d.window->S1->trigger();
        d.services.shellFactory = [] { return MakeShellFailingNameSpace(); };
        d.Tick();
        QCOMPARE(d.services.errorReports, QStringList{"シェルを作成できません."});
        QVERIFY(d.window->Timer1->isActive());
        d.services.shellFactory = nullptr;
        d.Tick();
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 2);
        QCOMPARE(d.PositionText(), QString("[選択]3/[合計]3"));
    }

    // "終了(&X)" closes the window, also while the slideshow runs; no tick is handled after.
    void exit_data()
    {
        QTest::addColumn<bool>("slideshow");
        QTest::newRow("stopped") << false;
        QTest::newRow("running") << true;
    }
    void exit()
    {
        QFETCH(bool, slideshow);
        FixtureFolder dir;
        FillNumbered(dir, 3);
        WindowDriver d;
        d.Open(dir.Path());
        if (slideshow)
            d.window->S1->trigger();
        d.window->mExit1->trigger();
        QVERIFY(!d.window->isVisible());
        QVERIFY(!d.window->Timer1->isActive());
        QVERIFY(!d.window->CurrentNames);

        const int refreshes = d.window->RefreshCount();
        d.Tick();
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 0);
        QVERIFY(d.services.errorReports.isEmpty());
    }
};

PORTEO_TEST_MAIN(TestCommands)
#include "test_commands.moc"
