// The inputs with which the fuzzers (fuzz/) once broke a promise, replayed through the same
// operations and checks: tests/data/fuzz/<target>/, one file an input. Each is kept with what it
// taught; every one must now pass every check.

#include "FuzzTargets.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList Inputs(const char* target)
{
    const QString folder = QFINDTESTDATA(QStringLiteral("data/fuzz/") + QString::fromLatin1(target));
    QStringList files;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        files << info.absoluteFilePath();
    return files;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestFuzzRegressions : public QObject {
    Q_OBJECT

private slots:
    void jpeg_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList inputs = Inputs("fuzz_jpeg");
        QVERIFY(!inputs.isEmpty());
        for (const QString& path : inputs)
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
    void jpeg()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const JpegTargetOutcome outcome = RunJpegTarget(Bytes(path), QFile::encodeName(dir.filePath("photo.jpg")));
        QVERIFY2(outcome.violation.isEmpty(), qPrintable(outcome.violation));
    }

    // Corrupt entropy data in a multi-scan file, decoded with the input offered a little at a
    // time: libjpeg-turbo's picture of it differs from the one it makes of the data offered at
    // once (its Huffman decoder takes another path for a short buffer), both of them the whole
    // picture's rows. Such data is no longer compared with libjpeg's plain loop.
    void corruptMultiScanDecodesEveryRow()
    {
        const JpegTargetOutcome outcome = RunJpegTarget(Bytes(QFINDTESTDATA("data/fuzz/fuzz_jpeg/corrupt-multi-scan.jpg")));
        QCOMPARE(outcome.loadError, QString());
        QCOMPARE(QSize(outcome.width, outcome.height), QSize(32, 24));
        QCOMPARE(outcome.colour, QStringLiteral("24 rows"));
        QCOMPARE(outcome.quantised, QStringLiteral("24 rows"));
    }

    void details_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString& path : Inputs("fuzz_details"))
            QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
    void details()
    {
        if (!QTest::currentDataTag())
            QSKIP("no input kept for fuzz_details");
        QFETCH(QString, path);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const DetailsTargetOutcome outcome = RunDetailsTarget(Bytes(path), QFile::encodeName(dir.filePath("photo.jpg")));
        QVERIFY2(outcome.violation.isEmpty(), qPrintable(outcome.violation));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzz_regressions.moc"
