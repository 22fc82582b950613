#include "platform/NarrowText.h"

#include <QtTest>

// "写真" in CP932: 8E CA 90 5E; "表" is 95 5C, whose second byte is '\'.
static const QByteArray kCp932Photo("\x8e\xca\x90\x5e", 4);
static const QByteArray kCp932Hyo("\x95\x5c", 2);

class TestNarrowText : public QObject {
    Q_OBJECT
private slots:
    void display_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("encoding");
        QTest::newRow("ascii") << QByteArray("IMG_0001.JPG") << QString("IMG_0001.JPG") << int(NameEncoding::Utf8);
        QTest::newRow("utf8") << QString("写真.jpg").toUtf8() << QString("写真.jpg") << int(NameEncoding::Utf8);
        QTest::newRow("cp932") << kCp932Photo + ".jpg" << QString("写真.jpg") << int(NameEncoding::Cp932);
        QTest::newRow("neither") << QByteArray("\xff\xfe.jpg") << QString("\ufffd\ufffd.jpg") << int(NameEncoding::Unknown);
    }
    void display()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(int, encoding);
        QCOMPARE(DisplayText(bytes), shown);
        QCOMPARE(int(DetectEncoding(bytes)), encoding);
    }

    void lastChar_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("dot") << QByteArray("a.b.jpg") << 3;
        QTest::newRow("none") << QByteArray("README") << -1;
        QTest::newRow("backslash after dot") << QByteArray("a.b\\c") << 3;
        // The trail byte 0x5C of a CP932 character is not a backslash.
        QTest::newRow("cp932 trail byte") << kCp932Hyo + ".jpg" << 2;
        QTest::newRow("cp932 trail only") << kCp932Hyo << -1;
    }
    void lastChar()
    {
        QFETCH(QByteArray, name);
        QFETCH(int, index);
        QCOMPARE(LastCharIndex(name, ".\\:"), qsizetype(index));
    }

    void upper_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("upper");
        QTest::newRow("ascii") << QByteArray(".jpeg") << QByteArray(".JPEG");
        QTest::newRow("mixed") << QByteArray(".JpEg1_x") << QByteArray(".JPEG1_X");
        QTest::newRow("utf8 untouched") << QString(".ｊｐｇ").toUtf8() << QString(".ｊｐｇ").toUtf8();
        // "ア" is 83 41 and "ぁ" 82 9F; a CP932 character ending in 0x61 ('a') keeps its byte.
        QTest::newRow("cp932 trail a") << QByteArray("\x83\x61.jpg") << QByteArray("\x83\x61.JPG");
    }
    void upper()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, upper);
        QCOMPARE(UpperAsciiLetters(text), upper);
    }
};

QTEST_APPLESS_MAIN(TestNarrowText)
#include "test_narrow_text.moc"
