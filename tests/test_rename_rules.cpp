#include "model/RenameRules.h"

#include <QtTest>

// "写真" in CP932: 8E CA 90 5E. "ヂ" is 83 61, whose second byte is 'a'; "表" is 95 5C, whose
// second byte is '\'. A trail byte is part of its character, never a letter of its own.
static const QByteArray kCp932Photo("\x8e\xca\x90\x5e", 4);

class TestRenameRules : public QObject {
    Q_OBJECT
private slots:
    void newName_data()
    {
        QTest::addColumn<QByteArray>("opening");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("extension");
        QTest::addColumn<QByteArray>("newName");
        QTest::newRow("jpg") << QByteArray("IMG_0001.jpg") << QByteArray("trip") << QByteArray(".JPG") << QByteArray("trip.JPG");
        QTest::newRow("mixed case") << QByteArray("photo.Jpeg") << QByteArray("trip") << QByteArray(".JPEG") << QByteArray("trip.JPEG");
        QTest::newRow("last dot") << QByteArray("a.b.jpg") << QByteArray("trip") << QByteArray(".JPG") << QByteArray("trip.JPG");
        QTest::newRow("no dot") << QByteArray("notes") << QByteArray("trip") << QByteArray() << QByteArray("trip");
        QTest::newRow("only an extension") << QByteArray(".jpg") << QByteArray("trip") << QByteArray(".JPG") << QByteArray("trip.JPG");
        QTest::newRow("trailing dot") << QByteArray("IMG.") << QByteArray("trip") << QByteArray(".") << QByteArray("trip.");
        QTest::newRow("digits and signs") << QByteArray("a.tar_gz-1") << QByteArray("x") << QByteArray(".TAR_GZ-1") << QByteArray("x.TAR_GZ-1");
        QTest::newRow("blanks typed") << QByteArray("IMG_0001.jpg") << QByteArray("  ") << QByteArray(".JPG") << QByteArray("  .JPG");
        QTest::newRow("nothing typed") << QByteArray("IMG_0001.jpg") << QByteArray() << QByteArray(".JPG") << QByteArray(".JPG");
        QTest::newRow("typed kept as typed") << QByteArray("a.jpg") << QByteArray(" Trip.jpg ") << QByteArray(".JPG") << QByteArray(" Trip.jpg .JPG");
        QTest::newRow("utf-8 typed") << QByteArray("a.jpg") << QString("旅行").toUtf8() << QByteArray(".JPG") << (QString("旅行").toUtf8() + ".JPG");
        QTest::newRow("utf-8 extension") << QString("写真.ｊｐｇ").toUtf8() << QByteArray("t") << QString(".ｊｐｇ").toUtf8() << QString("t.ｊｐｇ").toUtf8();
        QTest::newRow("cp932 name") << kCp932Photo + ".jpg" << QByteArray("trip") << QByteArray(".JPG") << QByteArray("trip.JPG");
        // In a CP932 name the trail byte 0x61 of 83 61 is no letter: it stays as it is.
        QTest::newRow("cp932 extension") << QByteArray("a.\x83\x61jpg") << QByteArray("t") << QByteArray(".\x83\x61JPG") << QByteArray("t.\x83\x61JPG");
        // "表" (95 5C) after the last dot stays whole; the letter after it is upper-cased.
        QTest::newRow("cp932 backslash trail") << QByteArray("a.\x95\x5cx") << QByteArray("t") << QByteArray(".\x95\x5cX") << QByteArray("t.\x95\x5cX");
    }
    void newName()
    {
        QFETCH(QByteArray, opening);
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, extension);
        QFETCH(QByteArray, newName);
        QCOMPARE(RenameExtension(opening), extension);
        QCOMPARE(NewFileName(typed, opening), newName);
    }

    void join_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("folder") << QByteArray("/home/u/Photos") << QByteArray("trip.JPG") << QByteArray("/home/u/Photos/trip.JPG");
        QTest::newRow("ends in slash") << QByteArray("/home/u/Photos/") << QByteArray("trip.JPG") << QByteArray("/home/u/Photos/trip.JPG");
        QTest::newRow("root") << QByteArray("/") << QByteArray("trip.JPG") << QByteArray("/trip.JPG");
        QTest::newRow("bare extension") << QByteArray("/p") << QByteArray(".JPG") << QByteArray("/p/.JPG");
        QTest::newRow("cp932 folder") << "/" + kCp932Photo << QByteArray("a") << "/" + kCp932Photo + "/a";
    }
    void join()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, path);
        QCOMPARE(JoinFolderPath(folder, name), path);
    }

    void separator_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << QByteArray("trip") << false;
        QTest::newRow("blanks") << QByteArray("  ") << false;
        QTest::newRow("backslash") << QByteArray("a\\b") << false;
        QTest::newRow("slash") << QByteArray("a/b") << true;
        QTest::newRow("up a folder") << QByteArray("../trip") << true;
        QTest::newRow("trailing slash") << QByteArray("trip/") << true;
        QTest::newRow("NUL") << QByteArray("trip\0x", 6) << true;
        QTest::newRow("utf-8") << QString("旅/行").toUtf8() << true;
    }
    void separator()
    {
        QFETCH(QByteArray, typed);
        QFETCH(bool, refused);
        QCOMPARE(HoldsPathSeparator(typed), refused);
    }
};

QTEST_GUILESS_MAIN(TestRenameRules)
#include "test_rename_rules.moc"
