#include "platform/Exception.h"
#include "platform/TUpDown.h"

#include <QToolButton>
#include <QtTest>
#include <vector>

Q_DECLARE_METATYPE(TUpDownDirection)

namespace {

struct Raised {
    qint16 newValue;
    TUpDownDirection direction;
    bool operator==(const Raised& o) const { return newValue == o.newValue && direction == o.direction; }
};

// Records each changing event and answers it as told.
struct Recorder {
    std::vector<Raised> raised;
    bool allow = true;
    void Attach(TUpDown& upDown)
    {
        upDown.OnChangingEx = [this](bool& allowChange, qint16 newValue, TUpDownDirection direction) {
            QVERIFY(allowChange); // true on entry
            raised.push_back({newValue, direction});
            allowChange = allow;
        };
    }
};

// Brings the control to a held position (and the shown one that follows from it) without events.
void HoldAt(TUpDown& upDown, int held)
{
    upDown.SetPositionDirect(qint16(held));
    QCOMPARE(int(upDown.Position()), held);
}

} // namespace

class TestUpDown : public QObject {
    Q_OBJECT
private slots:
    void assignment_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("allow");
        QTest::addColumn<bool>("raised");
        QTest::addColumn<int>("proposed");
        QTest::addColumn<int>("heldAfter");
        QTest::addColumn<int>("shownAfter");
        QTest::newRow("equal") << 3 << 3 << true << false << 0 << 3 << 3;
        QTest::newRow("equal, refusing handler") << 3 << 3 << false << false << 0 << 3 << 3;
        QTest::newRow("equal beyond the range") << 120 << 120 << true << false << 0 << 120 << 100;
        QTest::newRow("equal after 16-bit reduction") << 0 << 65536 << true << false << 0 << 0 << 0;
        QTest::newRow("different") << 0 << 5 << true << true << 5 << 5 << 5;
        QTest::newRow("refused") << 0 << 5 << false << true << 5 << 0 << 0;
        QTest::newRow("refused beyond the range") << 120 << 7 << false << true << 7 << 120 << 100;
        QTest::newRow("down to the range") << 120 << 99 << true << true << 99 << 99 << 99;
        QTest::newRow("beyond Max") << 99 << 120 << true << true << 120 << 120 << 100;
        QTest::newRow("below Min") << 0 << -1 << true << true << -1 << -1 << 0;
        QTest::newRow("40000 as 16 bits") << 0 << 40000 << true << true << -25536 << -25536 << 0;
        QTest::newRow("32768 as 16 bits") << 0 << 32768 << true << true << -32768 << -32768 << 0;
        QTest::newRow("32767") << 0 << 32767 << true << true << 32767 << 32767 << 100;
    }
    void assignment()
    {
        QFETCH(int, held);
        QFETCH(int, value);
        QFETCH(bool, allow);
        QFETCH(bool, raised);
        QFETCH(int, proposed);
        QFETCH(int, heldAfter);
        QFETCH(int, shownAfter);
        TUpDown upDown;
        HoldAt(upDown, held);
        Recorder recorder;
        recorder.allow = allow;
        recorder.Attach(upDown);

        upDown.SetPosition(value);

        const std::vector<Raised> expected = raised ? std::vector<Raised>{{qint16(proposed), TUpDownDirection::None}}
                                                    : std::vector<Raised>{};
        QVERIFY(recorder.raised == expected);
        QCOMPARE(int(upDown.Position()), heldAfter);
        QCOMPARE(upDown.ShownPosition(), shownAfter);
    }

    void arrows_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<TUpDownDirection>("direction");
        QTest::addColumn<bool>("allow");
        QTest::addColumn<int>("proposed");
        QTest::addColumn<int>("heldAfter");
        QTest::addColumn<int>("shownAfter");
        const auto up = TUpDownDirection::Up;
        const auto down = TUpDownDirection::Down;
        QTest::newRow("0, right") << 0 << up << true << 1 << 1 << 1;
        QTest::newRow("0, right refused") << 0 << up << false << 1 << 0 << 0;
        QTest::newRow("0, left proposes -1") << 0 << down << true << -1 << -1 << 0;
        QTest::newRow("0, left refused") << 0 << down << false << -1 << 0 << 0;
        QTest::newRow("50, left") << 50 << down << true << 49 << 49 << 49;
        // An accepted proposal beyond the range is held (the selection's mirror), shown limited.
        QTest::newRow("100, right proposes 101") << 100 << up << true << 101 << 101 << 100;
        // Held beyond the range: the arrows step from what is shown.
        QTest::newRow("held 120, right") << 120 << up << true << 101 << 101 << 100;
        QTest::newRow("held 120, left") << 120 << down << true << 99 << 99 << 99;
        QTest::newRow("held 120, left refused") << 120 << down << false << 99 << 120 << 100;
        QTest::newRow("held -5, right") << -5 << up << true << 1 << 1 << 1;
        QTest::newRow("held -5, left") << -5 << down << true << -1 << -1 << 0;
    }
    void arrows()
    {
        QFETCH(int, held);
        QFETCH(TUpDownDirection, direction);
        QFETCH(bool, allow);
        QFETCH(int, proposed);
        QFETCH(int, heldAfter);
        QFETCH(int, shownAfter);
        TUpDown upDown;
        HoldAt(upDown, held);
        Recorder recorder;
        recorder.allow = allow;
        upDown.OnChangingEx = [&](bool& allowChange, qint16 newValue, TUpDownDirection d) {
            // Raised before anything moves.
            QCOMPARE(int(upDown.Position()), held);
            recorder.raised.push_back({newValue, d});
            allowChange = recorder.allow;
        };

        upDown.ClickArrow(direction);

        const std::vector<Raised> expected{{qint16(proposed), direction}};
        QVERIFY(recorder.raised == expected);
        QCOMPARE(int(upDown.Position()), heldAfter);
        QCOMPARE(upDown.ShownPosition(), shownAfter);
    }

    void throwingHandlerKeepsThePosition()
    {
        TUpDown upDown;
        HoldAt(upDown, 120);
        upDown.OnChangingEx = [](bool&, qint16, TUpDownDirection) { throw Exception("JPEG エラー #52"); };
        QVERIFY_THROWS_EXCEPTION(Exception, upDown.SetPosition(7));
        QCOMPARE(int(upDown.Position()), 120);
        QCOMPARE(upDown.ShownPosition(), 100);
        QVERIFY_THROWS_EXCEPTION(Exception, upDown.ClickArrow(TUpDownDirection::Down));
        QCOMPARE(int(upDown.Position()), 120);
        QCOMPARE(upDown.ShownPosition(), 100);
        // So a later assignment of the previous value raises nothing, another value as usual.
        Recorder recorder;
        recorder.Attach(upDown);
        upDown.SetPosition(120);
        QVERIFY(recorder.raised.empty());
        upDown.SetPosition(7);
        QCOMPARE(int(upDown.Position()), 7);
    }

    void directSetRaisesNothing()
    {
        TUpDown upDown;
        Recorder recorder;
        recorder.Attach(upDown);
        upDown.SetPosition(5);
        upDown.SetPositionDirect(0);
        QCOMPARE(recorder.raised.size(), size_t(1));
        QCOMPARE(int(upDown.Position()), 0);
        QCOMPARE(upDown.ShownPosition(), 0);
        upDown.SetPositionDirect(300);
        QCOMPARE(int(upDown.Position()), 300);
        QCOMPARE(upDown.ShownPosition(), 100);
        QCOMPARE(recorder.raised.size(), size_t(1));
    }

    void withoutHandlerChangesAreAllowed()
    {
        TUpDown upDown;
        upDown.SetPosition(4);
        upDown.ClickArrow(TUpDownDirection::Up);
        QCOMPARE(int(upDown.Position()), 5);
        QCOMPARE(upDown.ShownPosition(), 5);
    }

    // A folder of 150 items, with a change check that accepts any index of the folder: the
    // selection walks to 120 by assignments, the control shows 100, the left arrow then selects 99.
    void hundredAndFiftyItems()
    {
        const int n = 150;
        int selection = 0;
        int refreshes = 0;
        TUpDown upDown;
        upDown.OnChangingEx = [&](bool& allowChange, qint16 newValue, TUpDownDirection) {
            if (newValue > n - 1 || newValue < 0) {
                allowChange = false;
                return;
            }
            selection = newValue;
            ++refreshes;
        };
        for (int i = 1; i <= 120; ++i)
            upDown.SetPosition(i);
        QCOMPARE(selection, 120);
        QCOMPARE(refreshes, 120);
        QCOMPARE(int(upDown.Position()), 120);
        QCOMPARE(upDown.ShownPosition(), 100);

        upDown.ClickArrow(TUpDownDirection::Down);
        QCOMPARE(selection, 99);
        QCOMPARE(int(upDown.Position()), 99);
        QCOMPARE(upDown.ShownPosition(), 99);

        // Back at the top end, the right arrow proposes 101: the check accepts it (the folder has
        // that item) while the control keeps showing 100. It holds 101, the selection, so that the
        // next step either way is a change and runs the check.
        upDown.SetPosition(100);
        upDown.ClickArrow(TUpDownDirection::Up);
        QCOMPARE(selection, 101);
        QCOMPARE(upDown.ShownPosition(), 100);
        QCOMPARE(int(upDown.Position()), 101);
        upDown.SetPosition(100);
        QCOMPARE(selection, 100);
        upDown.SetPosition(102);
        upDown.ClickArrow(TUpDownDirection::Up);
        upDown.SetPosition(102);
        QCOMPARE(selection, 102);
    }

    // Mouse clicks reach the arrows through the owner's guard, which keeps exceptions out of Qt.
    void mouseClicksGoThroughTheGuard()
    {
        TUpDown upDown;
        upDown.resize(39, 20);
        upDown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&upDown));
        QCOMPARE(upDown.focusPolicy(), Qt::NoFocus);
        QCOMPARE(upDown.LeftButton()->focusPolicy(), Qt::NoFocus);

        Recorder recorder;
        recorder.Attach(upDown);
        int guarded = 0;
        QStringList reported;
        upDown.EventGuard = [&](const std::function<void()>& handler) {
            ++guarded;
            try {
                handler();
            } catch (const Exception& e) {
                reported << e.Message();
            }
        };
        QTest::mouseClick(upDown.RightButton(), Qt::LeftButton);
        QTest::mouseClick(upDown.RightButton(), Qt::LeftButton);
        QTest::mouseClick(upDown.LeftButton(), Qt::LeftButton);
        const std::vector<Raised> expected{{1, TUpDownDirection::Up}, {2, TUpDownDirection::Up}, {1, TUpDownDirection::Down}};
        QVERIFY(recorder.raised == expected);
        QCOMPARE(guarded, 3);
        QCOMPARE(int(upDown.Position()), 1);

        upDown.OnChangingEx = [](bool&, qint16, TUpDownDirection) { throw Exception("壊れた写真"); };
        QTest::mouseClick(upDown.RightButton(), Qt::LeftButton);
        QCOMPARE(reported, QStringList{"壊れた写真"});
        QCOMPARE(int(upDown.Position()), 1);
    }
};

QTEST_MAIN(TestUpDown)
#include "test_updown.moc"
