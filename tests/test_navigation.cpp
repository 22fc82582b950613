// Moving the selection through the real window: the list, the up-down's arrows and the navigation
// operations, all meeting in the change check.

#include "Fixtures.h"
#include "ListPick.h"
#include "WindowDriver.h"
#include "platform/Controls.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// "f00000", "f00001", ...: the natural order is the numeric one.
QByteArray NumberedName(int i)
{
    return QByteArray("f") + QByteArray::number(i).rightJustified(5, '0');
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

// What the user sees of the selection, and how many refreshes ran.
struct Seen {
    int selection;
    QString position;
    QString nameField;
    int held;
    int shown;
    int refreshes;

    static Seen Of(const WindowDriver& d)
    {
        const TFMainMenu& w = *d.window;
        return {w.ComboBox1->ItemIndex(), d.PositionText(), w.Edit1->text(), w.UpDown1->Position(),
                w.UpDown1->ShownPosition(), w.RefreshCount()};
    }
};

void ClickLeft(WindowDriver& d)
{
    QTest::mouseClick(d.window->UpDown1->LeftButton(), Qt::LeftButton);
}

void ClickRight(WindowDriver& d)
{
    QTest::mouseClick(d.window->UpDown1->RightButton(), Qt::LeftButton);
}

void Act(WindowDriver& d, const QString& action)
{
    TFMainMenu& w = *d.window;
    if (action == "SelectPrevious")
        w.SelectPrevious();
    else if (action == "SelectNext")
        w.SelectNext();
    else if (action == "SelectNextOrFirst")
        w.SelectNextOrFirst();
    else if (action == "left arrow")
        ClickLeft(d);
    else if (action == "right arrow")
        ClickRight(d);
    else if (action == "F3")
        d.Key(Qt::Key_F3);
    else if (action == "F4")
        d.Key(Qt::Key_F4);
    else
        QFAIL(qPrintable("unknown action " + action));
}

// Expects the window to show item `selection` of `count`, with the up-down holding `held` and
// showing `shown`.
void ExpectShown(const WindowDriver& d, int selection, int count, int held, int shown)
{
    const Seen now = Seen::Of(d);
    QCOMPARE(now.selection, selection);
    QCOMPARE(now.position, Position(selection, count));
    QCOMPARE(now.nameField, QString::fromUtf8(NumberedName(selection)));
    QCOMPARE(now.held, held);
    QCOMPARE(now.shown, shown);
}

} // namespace

class TestNavigation : public QObject {
    Q_OBJECT
private slots:
    // One move at the edges and in the middle of a folder, through the operations the keys and
    // the slideshow use and through the up-down's arrows. The start is reached with F4.
    void moves_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("selection"); // after the move
        QTest::addColumn<bool>("refreshed");

        QTest::newRow("first of 12: SelectPrevious") << 12 << 0 << "SelectPrevious" << 0 << false;
        QTest::newRow("first of 12: left arrow") << 12 << 0 << "left arrow" << 0 << false;
        QTest::newRow("last of 12: SelectNext") << 12 << 11 << "SelectNext" << 11 << false;
        QTest::newRow("last of 12: right arrow") << 12 << 11 << "right arrow" << 11 << false;
        QTest::newRow("last of 12: SelectNextOrFirst") << 12 << 11 << "SelectNextOrFirst" << 0 << true;
        QTest::newRow("last of 101: SelectNext") << 101 << 100 << "SelectNext" << 100 << false;
        QTest::newRow("last of 101: right arrow") << 101 << 100 << "right arrow" << 100 << false;
        QTest::newRow("last of 101: SelectNextOrFirst") << 101 << 100 << "SelectNextOrFirst" << 0 << true;
        QTest::newRow("one item: SelectNextOrFirst") << 1 << 0 << "SelectNextOrFirst" << 0 << false;
        QTest::newRow("one item: SelectNext") << 1 << 0 << "SelectNext" << 0 << false;
        QTest::newRow("one item: right arrow") << 1 << 0 << "right arrow" << 0 << false;
        QTest::newRow("middle of 12: SelectPrevious") << 12 << 5 << "SelectPrevious" << 4 << true;
        QTest::newRow("middle of 12: left arrow") << 12 << 5 << "left arrow" << 4 << true;
        QTest::newRow("middle of 12: right arrow") << 12 << 5 << "right arrow" << 6 << true;
        QTest::newRow("middle of 12: SelectNextOrFirst") << 12 << 5 << "SelectNextOrFirst" << 6 << true;
    }
    void moves()
    {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(QString, action);
        QFETCH(int, selection);
        QFETCH(bool, refreshed);
        FixtureFolder dir;
        FillNumbered(dir, count);
        WindowDriver d;
        d.Open(dir.Path());
        for (int i = 0; i < start; ++i)
            d.Key(Qt::Key_F4);
        ExpectShown(d, start, count, start, qMin(start, 100));
        const Seen before = Seen::Of(d);

        Act(d, action);
        ExpectShown(d, selection, count, selection, qMin(selection, 100));
        QCOMPARE(d.window->RefreshCount(), before.refreshes + (refreshed ? 1 : 0));
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Picking in the list: the last of twelve, then the same name again, which moves nothing.
    void pickingInTheList()
    {
        FixtureFolder dir;
        FillNumbered(dir, 12);
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.PositionText(), QString("[選択]1/[合計]12"));
        const int opened = d.window->RefreshCount();

        PickInList(d.window->ComboBox1, 11);
        ExpectShown(d, 11, 12, 11, 11);
        QCOMPARE(d.PositionText(), QString("[選択]12/[合計]12"));
        QCOMPARE(d.window->RefreshCount(), opened + 1);

        PickInList(d.window->ComboBox1, 11);
        ExpectShown(d, 11, 12, 11, 11);
        QCOMPARE(d.window->RefreshCount(), opened + 1);

        // The keyboard in the list is a user's change too.
        QTest::keyClick(d.window->ComboBox1, Qt::Key_Up);
        ExpectShown(d, 10, 12, 10, 10);
        QCOMPARE(d.window->RefreshCount(), opened + 2);
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Without items no move changes anything visible.
    void emptyFolder()
    {
        FixtureFolder dir;
        WindowDriver d;
        d.Open(dir.Path());
        const Seen before = Seen::Of(d);
        QCOMPARE(before.position, QString("[選択]0/[合計]0"));
        for (const char* action :
             {"SelectPrevious", "SelectNext", "SelectNextOrFirst", "left arrow", "right arrow", "F3", "F4"}) {
            Act(d, action);
            const Seen now = Seen::Of(d);
            QCOMPARE(now.selection, -1);
            QCOMPARE(now.position, before.position);
            QCOMPARE(now.nameField, before.nameField);
            QCOMPARE(now.held, 0);
            QCOMPARE(now.shown, 0);
            QCOMPARE(now.refreshes, 0);
        }
        QVERIFY(d.services.errorReports.isEmpty());
        QVERIFY(d.services.messages.isEmpty());
    }

    // The up-down shows at most 100, while F4 and the list reach every item.
    void folderOf150()
    {
        FixtureFolder dir;
        FillNumbered(dir, 150);
        WindowDriver d;
        d.Open(dir.Path());
        for (int i = 0; i < 120; ++i)
            d.Key(Qt::Key_F4);
        ExpectShown(d, 120, 150, 120, 100);

        ClickLeft(d);
        ExpectShown(d, 99, 150, 99, 99);

        // From the end of its range, the right arrow proposes 101, which this folder holds; the
        // up-down keeps showing 100 and holds 101, the selection it mirrors.
        PickInList(d.window->ComboBox1, 149);
        ExpectShown(d, 149, 150, 149, 100);
        ClickRight(d);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 101);
        QCOMPARE(d.PositionText(), Position(101, 150));
        QCOMPARE(d.window->Edit1->text(), QString::fromUtf8(NumberedName(101)));
        QCOMPARE(d.window->UpDown1->ShownPosition(), 100);
        QCOMPARE(d.window->UpDown1->Position(), qint16(101));
        QVERIFY(d.services.errorReports.isEmpty());
    }

    // Opening sets the up-down back to 0, shown and held: after the sixth item of one folder
    // (reached with the arrow), the right arrow in the next folder goes to its second item.
    void openingWhileAtTheSixthItem()
    {
        FixtureFolder first, second;
        FillNumbered(first, 8);
        FillNumbered(second, 8);
        WindowDriver d;
        d.Open(first.Path());
        for (int i = 0; i < 5; ++i)
            ClickRight(d);
        ExpectShown(d, 5, 8, 5, 5);

        d.Open(second.Path());
        ExpectShown(d, 0, 8, 0, 0);
        const int opened = d.window->RefreshCount();
        ClickRight(d);
        ExpectShown(d, 1, 8, 1, 1);
        QCOMPARE(d.window->RefreshCount(), opened + 1);
    }

    // A refresh that raises: the selection has moved and the list names it, the position text
    // and the name field still show the previous item, the up-down keeps its position, and the
    // error is reported once.
    void refreshThatRaises_data()
    {
        QTest::addColumn<QString>("move");
        QTest::newRow("F4") << "F4";
        QTest::newRow("right arrow") << "right arrow";
        QTest::newRow("list") << "list";
    }
    void refreshThatRaises()
    {
        QFETCH(QString, move);
        FixtureFolder dir;
        FillNumbered(dir, 12);
        WindowDriver d;
        d.Open(dir.Path());
        d.Key(Qt::Key_F4);
        d.Key(Qt::Key_F4);
        ExpectShown(d, 2, 12, 2, 2);

        d.services.shellFactory = [] { return MakeShellFailingNameSpace(); };
        if (move == "list")
            PickInList(d.window->ComboBox1, 7);
        else
            Act(d, move);
        const int moved = move == "list" ? 7 : 3;
        QCOMPARE(d.services.errorReports, QStringList{"シェルを作成できません."});
        QCOMPARE(d.window->ComboBox1->ItemIndex(), moved);
        QCOMPARE(d.window->ComboBox1->currentText(), QString::fromUtf8(NumberedName(moved)));
        QCOMPARE(d.PositionText(), Position(2, 12));
        QCOMPARE(d.window->Edit1->text(), QString::fromUtf8(NumberedName(2)));
        QCOMPARE(d.window->UpDown1->Position(), qint16(2));
        QCOMPARE(d.window->UpDown1->ShownPosition(), 2);

        // With the shell back, a move mirrored onto the position the up-down kept runs no check;
        // any other one does.
        d.services.shellFactory = nullptr;
        const int refreshes = d.window->RefreshCount();
        PickInList(d.window->ComboBox1, 2);
        QCOMPARE(d.window->ComboBox1->ItemIndex(), 2);
        QCOMPARE(d.window->RefreshCount(), refreshes);
        QCOMPARE(d.PositionText(), Position(2, 12));
        d.Key(Qt::Key_F4);
        ExpectShown(d, 3, 12, 3, 3);
        QCOMPARE(d.window->RefreshCount(), refreshes + 1);
        QCOMPARE(d.services.errorReports.size(), 1);
    }

    // Beyond what the up-down can hold (32767) the display and the position text still follow
    // the selection, both ways across the limit; the up-down then holds 32767 and shows 100.
    void folderOf40000()
    {
        FixtureFolder dir;
        FillNumbered(dir, 40000);
        WindowDriver d;
        d.Open(dir.Path());
        QCOMPARE(d.PositionText(), QString("[選択]1/[合計]40000"));

        // The last item, picked in the list; the last but one by F3; back by F4; F4 again at the
        // end does nothing.
        PickInList(d.window->ComboBox1, 39999);
        ExpectShown(d, 39999, 40000, 32767, 100);
        QCOMPARE(d.PositionText(), QString("[選択]40000/[合計]40000"));
        d.Key(Qt::Key_F3);
        ExpectShown(d, 39998, 40000, 32767, 100);
        d.Key(Qt::Key_F4);
        ExpectShown(d, 39999, 40000, 32767, 100);
        int refreshes = d.window->RefreshCount();
        d.Key(Qt::Key_F4);
        ExpectShown(d, 39999, 40000, 32767, 100);
        QCOMPARE(d.window->RefreshCount(), refreshes);

        // Across the limit, up and down: 32767 is the last index the up-down holds.
        PickInList(d.window->ComboBox1, 32766);
        ExpectShown(d, 32766, 40000, 32766, 100);
        d.Key(Qt::Key_F4);
        ExpectShown(d, 32767, 40000, 32767, 100);
        d.Key(Qt::Key_F4);
        ExpectShown(d, 32768, 40000, 32767, 100);
        refreshes = d.window->RefreshCount();
        d.Key(Qt::Key_F3);
        ExpectShown(d, 32767, 40000, 32767, 100);
        QCOMPARE(d.window->RefreshCount(), refreshes + 1);
        d.Key(Qt::Key_F3);
        ExpectShown(d, 32766, 40000, 32766, 100);

        // From beyond the limit the left arrow steps from the 100 shown, as above 100 anywhere.
        PickInList(d.window->ComboBox1, 39000);
        ExpectShown(d, 39000, 40000, 32767, 100);
        ClickLeft(d);
        ExpectShown(d, 99, 40000, 99, 99);

        // The slideshow's step wraps from the last item to the first.
        PickInList(d.window->ComboBox1, 39999);
        d.window->SelectNextOrFirst();
        ExpectShown(d, 0, 40000, 0, 0);
        QVERIFY(d.services.errorReports.isEmpty());
    }
};

PORTEO_TEST_MAIN(TestNavigation)
#include "test_navigation.moc"
