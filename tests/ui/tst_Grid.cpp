#include "ui/FitTextDelegate.h"

#include <QFontMetrics>
#include <QtTest>

// Narrow columns draw their texts narrower, never cut.
class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void stretchToFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("room");
        QTest::addColumn<bool>("squeezed");
        QTest::newRow("fits") << QStringLiteral("1,000") << 200 << false;
        QTest::newRow("amount over its column") << QStringLiteral("9,999,999,999") << 63 << true;
        QTest::newRow("name over its column") << QStringLiteral("東都信用金庫 蒲田支店") << 107 << true;
        QTest::newRow("empty") << QString() << 10 << false;
    }

    void stretchToFit()
    {
        QFETCH(QString, text);
        QFETCH(int, room);
        QFETCH(bool, squeezed);
        QFont font;
        font.setPixelSize(13);
        const int stretch = FitTextDelegate::stretchToFit(font, text, room);
        QCOMPARE(stretch < 100, squeezed);
        const int needed = QFontMetrics(font).horizontalAdvance(text);
        QVERIFY(needed * stretch / 100 <= room || stretch == 50);
    }
};

QTEST_MAIN(TestGrid)
#include "tst_Grid.moc"
