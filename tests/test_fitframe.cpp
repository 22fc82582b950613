#include "Fixtures.h"
#include "display/FitFrame.h"
#include "platform/Exception.h"
#include "platform/TImage.h"

#include <QtTest>
#include <fpu_control.h>

class TestFitFrame : public QObject {
    Q_OBJECT
private slots:
    void fitSize_data()
    {
        QTest::addColumn<qint64>("w");
        QTest::addColumn<qint64>("h");
        QTest::addColumn<qint64>("cw");
        QTest::addColumn<qint64>("ch");
        QTest::addColumn<qint64>("fitW");
        QTest::addColumn<qint64>("fitH");
        // The photo frames' worked example.
        QTest::newRow("main 800x600 (1.2, equal)") << 800LL << 600LL << 504LL << 378LL << 504LL << 378LL;
        QTest::newRow("main 480x360 (1.2, rounds below)") << 480LL << 360LL << 504LL << 378LL << 504LL << 377LL;
        QTest::newRow("previous 800x600 (1.3)") << 800LL << 600LL << 250LL << 186LL << 248LL << 186LL;
        QTest::newRow("main 400x600 (2.2)") << 400LL << 600LL << 504LL << 378LL << 252LL << 378LL;
        QTest::newRow("main 600x900 (2.2, rounds below)") << 600LL << 900LL << 504LL << 378LL << 251LL << 378LL;
        QTest::newRow("main 500x500 (square, 2.2)") << 500LL << 500LL << 504LL << 378LL << 378LL << 378LL;
        QTest::newRow("narrow main 600x800 (2.3)") << 600LL << 800LL << 300LL << 500LL << 300LL << 400LL;
        // Equality passes the test of each branch.
        QTest::newRow("portrait, cw == w") << 400LL << 600LL << 252LL << 378LL << 252LL << 378LL;
        QTest::newRow("landscape, one short of h (1.3)") << 800LL << 600LL << 504LL << 377LL << 502LL << 377LL;
        QTest::newRow("portrait, one short of w (2.3)") << 400LL << 600LL << 251LL << 378LL << 251LL << 376LL;
        QTest::newRow("square in a tall box (2.3)") << 500LL << 500LL << 186LL << 250LL << 186LL << 186LL;
    }
    void fitSize()
    {
        QFETCH(qint64, w);
        QFETCH(qint64, h);
        QFETCH(qint64, cw);
        QFETCH(qint64, ch);
        QFETCH(qint64, fitW);
        QFETCH(qint64, fitH);
        const FitSize fit = FitFrameSize(w, h, cw, ch);
        QCOMPARE(fit.width, fitW);
        QCOMPARE(fit.height, fitH);
    }

    // A library that left the x87 unit at double precision does not change the fit.
    void fitKeepsExtendedPrecision()
    {
        fpu_control_t saved;
        _FPU_GETCW(saved);
        const fpu_control_t doublePrecision = (saved & ~_FPU_EXTENDED) | _FPU_DOUBLE;
        _FPU_SETCW(doublePrecision);
        const FitSize fit = FitFrameSize(480, 360, 504, 378);
        fpu_control_t after;
        _FPU_GETCW(after);
        _FPU_SETCW(saved);
        QCOMPARE(fit, (FitSize{504, 377}));
        QCOMPARE(after, doublePrecision);
    }

    void divisionByZero_data()
    {
        QTest::addColumn<qint64>("cw");
        QTest::addColumn<qint64>("ch");
        QTest::addColumn<QString>("error");
        QTest::newRow("x / 0") << 504LL << 378LL << QStringLiteral("0 による浮動小数点数除算");
        QTest::newRow("0 / 0") << 504LL << 0LL << QStringLiteral("不正な浮動小数点数演算命令");
    }
    void divisionByZero()
    {
        QFETCH(qint64, cw);
        QFETCH(qint64, ch);
        QFETCH(QString, error);
        QString raised;
        try {
            FitFrameSize(0, 0, cw, ch);
        } catch (const Exception& e) {
            raised = e.Message();
        }
        QCOMPARE(raised, error);
    }

    // Applied to a box: one side changes, the position never.
    void fitFrameResizesBox_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("480x360") << 480 << 360 << QSize(504, 377);
        QTest::newRow("600x900") << 600 << 900 << QSize(251, 378);
        QTest::newRow("800x600") << 800 << 600 << QSize(504, 378);
    }
    void fitFrameResizesBox()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(QSize, fitted);
        FixtureFolder dir;
        dir.AddJpeg("p.jpg", {.width = w, .height = h, .quality = 50});
        auto picture = std::make_unique<TJPEGImage>();
        picture->LoadFromFile(dir.File("p.jpg"));
        TImage box;
        box.setGeometry(2, 2, 504, 378);
        box.SetPicture(std::move(picture));
        FitFrame(&box);
        QCOMPARE(box.size(), fitted);
        QCOMPARE(box.pos(), QPoint(2, 2));
        // Fitting the same picture again from the fit area gives the same size.
        box.resize(504, 378);
        FitFrame(&box);
        QCOMPARE(box.size(), fitted);
    }

    void fitFrameLeavesEmptyBox()
    {
        TImage box;
        box.setGeometry(2, 2, 504, 378);
        FitFrame(&box);
        QCOMPARE(box.geometry(), QRect(2, 2, 504, 378));
    }
};

QTEST_MAIN(TestFitFrame)
#include "test_fitframe.moc"
