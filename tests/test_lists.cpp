#include "platform/Exception.h"
#include "platform/NarrowText.h"
#include "platform/TComboBox.h"
#include "platform/TStringList.h"

#include <QAbstractItemView>
#include <QtTest>

namespace {

// "写真.jpg" in CP932.
const QByteArray kCp932Photo("\x8e\xca\x90\x5e.jpg", 8);

template <typename F>
QString RaisedText(F f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<nothing raised>";
}

QString IndexError(int index)
{
    return QString::fromUtf8("リストのインデックスが範囲を超えています (%1)").arg(index);
}

// A list of three names whose change events are counted, with the index seen at each.
struct CountedList {
    TComboBox box;
    QList<int> changes;
    CountedList()
    {
        box.AddItem("IMG_0001.jpg");
        box.AddItem(kCp932Photo);
        box.AddItem("notes");
        box.OnChange = [this] { changes << box.ItemIndex(); };
    }
};

} // namespace

class TestLists : public QObject {
    Q_OBJECT
private slots:
    void itemsKeepTheirBytes()
    {
        TComboBox box;
        QCOMPARE(box.ItemIndex(), -1);
        box.AddItem("IMG_0001.jpg");
        box.AddItem(kCp932Photo);
        // Adding selects nothing.
        QCOMPARE(box.ItemIndex(), -1);
        QCOMPARE(box.Items(), 2);
        QCOMPARE(box.ItemBytes(1), kCp932Photo);
        QCOMPARE(box.itemText(1), QString("写真.jpg"));
        box.SetItemIndex(1);
        box.AddItem("more");
        QCOMPARE(box.ItemIndex(), 1);
        // Many at once, as a folder's listing adds them: the same rows.
        box.AddItems({kCp932Photo, "last"});
        QCOMPARE(box.ItemIndex(), 1);
        QCOMPARE(box.Items(), 5);
        QCOMPARE(box.ItemBytes(3), kCp932Photo);
        QCOMPARE(box.itemText(3), QString("写真.jpg"));
        QCOMPARE(box.ItemBytes(4), QByteArray("last"));
        TComboBox fresh;
        fresh.AddItems({"a", "b"});
        QCOMPARE(fresh.ItemIndex(), -1); // adding selects nothing, in one go too
        QCOMPARE(fresh.itemText(1), QString("b"));
        box.ClearItems();
        QCOMPARE(box.Items(), 0);
        QCOMPARE(box.ItemIndex(), -1);
    }

    void itemAccessIsChecked_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("count") << 2;
        QTest::newRow("-1") << -1;
        QTest::newRow("far") << 100000;
    }
    void itemAccessIsChecked()
    {
        QFETCH(int, index);
        TComboBox box;
        box.AddItem("a");
        box.AddItem("b");
        QCOMPARE(RaisedText([&] { box.ItemBytes(index); }), IndexError(index));

        TStringList list;
        list.Add("a");
        list.Add("b");
        QCOMPARE(RaisedText([&] { list.Strings(index); }), IndexError(index));
        QCOMPARE(RaisedText([&] { list[index]; }), IndexError(index));
        QCOMPARE(RaisedText([&] { list.SetStrings(index, "x"); }), IndexError(index));
        QCOMPARE(list.Strings(0), QByteArray("a"));
        QCOMPARE(list[1], QByteArray("b"));
    }

    void stringList()
    {
        TStringList list;
        QCOMPARE(list.Count(), 0);
        QCOMPARE(RaisedText([&] { list.Strings(0); }), IndexError(0));
        list.Add("IMG_0001.jpg");
        list.Add(kCp932Photo);
        list.SetStrings(0, "trip.JPG");
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list[0], QByteArray("trip.JPG"));
        QCOMPARE(list.Strings(1), kCp932Photo);
        list.Clear();
        QCOMPARE(list.Count(), 0);
    }

    void settingFromCodeRaisesNothing_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("after");
        QTest::newRow("another") << 0 << 2 << 2;
        QTest::newRow("the same") << 1 << 1 << 1;
        QTest::newRow("none") << 1 << -1 << -1;
        QTest::newRow("past the end") << 1 << 3 << -1;
        QTest::newRow("below -1") << 1 << -7 << -1;
        QTest::newRow("from none") << -1 << 0 << 0;
    }
    void settingFromCodeRaisesNothing()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, after);
        CountedList list;
        list.box.SetItemIndex(from);
        QCOMPARE(list.box.ItemIndex(), from);
        list.box.SetItemIndex(to);
        QCOMPARE(list.box.ItemIndex(), after);
        QCOMPARE(list.changes, QList<int>{});
    }

    // The keyboard moves the selection and raises OnChange once, after the move; at the end of
    // the list the key moves nothing and raises nothing.
    void userKeys()
    {
        CountedList list;
        list.box.SetItemIndex(0);
        QTest::keyClick(&list.box, Qt::Key_Down);
        QCOMPARE(list.box.ItemIndex(), 1);
        QCOMPARE(list.changes, QList<int>{1});
        QTest::keyClick(&list.box, Qt::Key_End);
        QTest::keyClick(&list.box, Qt::Key_Down);
        QCOMPARE(list.box.ItemIndex(), 2);
        QCOMPARE(list.changes, (QList<int>{1, 2}));
    }

    // Qt reports a pick in the popup also when the item picked is the one already selected; the
    // list raises OnChange only for the pick that moved the selection.
    void userPicksInThePopup()
    {
        CountedList list;
        list.box.SetItemIndex(1);
        list.box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list.box));
        const auto pick = [&](int row) {
            list.box.showPopup();
            QAbstractItemView* view = list.box.view();
            QVERIFY(QTest::qWaitForWindowExposed(view->window()));
            const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
            QTest::mouseMove(view->viewport(), at);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
            QTRY_VERIFY(!view->window()->isVisible());
        };
        QSignalSpy activated(&list.box, &QComboBox::activated);
        pick(1);
        QCOMPARE(activated.count(), 1); // Qt did report the pick...
        QCOMPARE(list.changes, QList<int>{}); // ...which moved nothing
        pick(2);
        QCOMPARE(list.box.ItemIndex(), 2);
        QCOMPARE(list.changes, QList<int>{2});
        pick(2);
        QCOMPARE(list.changes, QList<int>{2});
        // A change from code between two picks of the same item: the second pick moves it back.
        list.box.SetItemIndex(0);
        pick(2);
        QCOMPARE(list.changes, (QList<int>{2, 2}));
        QCOMPARE(activated.count(), 4);
    }

    void userChangeGoesThroughTheGuard()
    {
        CountedList list;
        list.box.SetItemIndex(0);
        QStringList reported;
        list.box.EventGuard = [&](const std::function<void()>& handler) {
            try {
                handler();
            } catch (const Exception& e) {
                reported << e.Message();
            }
        };
        list.box.OnChange = [] { throw Exception("ファイル 写真.jpg は開けません"); };
        QTest::keyClick(&list.box, Qt::Key_Down);
        QCOMPARE(reported, QStringList{"ファイル 写真.jpg は開けません"});
        QCOMPARE(list.box.ItemIndex(), 1);
    }
};

QTEST_MAIN(TestLists)
#include "test_lists.moc"
