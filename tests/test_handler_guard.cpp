#include "platform/Exception.h"
#include "platform/HandlerGuard.h"

#include <QtTest>

class TestHandlerGuard : public QObject {
    Q_OBJECT
private slots:
    void reportText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("japanese") << "ファイル a は開けません" << "ファイル a は開けません.";
        QTest::newRow("ends in dot") << "Bad." << "Bad.";
        QTest::newRow("ends before dot") << "error -" << "error -";
        QTest::newRow("ends in digit") << "JPEG エラー #52" << "JPEG エラー #52.";
        QTest::newRow("ends in slash") << "a/" << "a/.";
    }
    void reportText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(DefaultReportText(message), shown);
    }

    void reportsRaisedThenQueued()
    {
        QStringList shown;
        HandlerGuard guard([&](const QString& text) { shown << text; });
        guard.Run([&] {
            guard.QueueReport("first");
            guard.QueueReport("first");
            throw Exception("raised");
        });
        QCOMPARE(shown, (QStringList{"raised.", "first."}));

        // A handler run inside another shows its own reports when it returns.
        shown.clear();
        guard.Run([&] {
            guard.QueueReport("outer");
            guard.Run([&] { guard.QueueReport("inner"); });
            QCOMPARE(shown, QStringList{"inner."});
        });
        QCOMPARE(shown, (QStringList{"inner.", "outer."}));
    }
};

QTEST_GUILESS_MAIN(TestHandlerGuard)
#include "test_handler_guard.moc"
