// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The command line, and the one factor of the large mode.
#include "app/startup.h"

#include <QtTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("grandEcran");
        QTest::addColumn<int>("exitStatus"); // -1: the game runs
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList() << false << -1 << QString();
        QTest::newRow("large mode") << QStringList{"--grand-ecran"} << true << -1 << QString();
        // Qt's own options are left to the application object.
        QTest::newRow("Qt's options") << QStringList{"-platform", "offscreen", "--grand-ecran", "-reverse"} << true
                                      << -1 << QString();
        QTest::newRow("help") << QStringList{"--help"} << false << 0 << QStringLiteral("--grand-ecran");
        QTest::newRow("-h, despite the rest")
            << QStringList{"-h", "--grand-ecran"} << true << 0 << QStringLiteral("Options :");
        QTest::newRow("unknown option") << QStringList{"--grand-écran"} << false << 2
                                        << QStringLiteral("option inconnue : --grand-écran");
        QTest::newRow("unknown short option")
            << QStringList{"--grand-ecran", "-x"} << true << 2 << QStringLiteral("option inconnue : -x");
        QTest::newRow("a value where none is taken")
            << QStringList{"--grand-ecran=oui"} << true << 2 << QStringLiteral("--grand-ecran");
        QTest::newRow("stray argument") << QStringList{"niveaux"} << false << 2
                                        << QStringLiteral("argument inattendu : niveaux");
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, grandEcran);
        QFETCH(int, exitStatus);
        QFETCH(QString, message);
        const startup::Parsed parsed = startup::parse(QStringList{QStringLiteral("calivento")} + arguments);
        QCOMPARE(parsed.options.grandEcran, grandEcran);
        QCOMPARE(parsed.exitStatus.value_or(-1), exitStatus);
        QVERIFY2(parsed.message.contains(message), qPrintable(parsed.message));
        if (exitStatus == 2)
            QVERIFY(parsed.message.contains(QStringLiteral("calivento --help")));
    }

    void largeScale_data()
    {
        QTest::addColumn<QSizeF>("desktop");
        QTest::addColumn<double>("factor");
        QTest::newRow("1920 x 1080: 1440 x 1080") << QSizeF(1920, 1080) << 1.8;
        QTest::newRow("1024 x 768") << QSizeF(1024, 768) << 1.28;
        QTest::newRow("4:3, 1600 x 1200") << QSizeF(1600, 1200) << 2.0;
        QTest::newRow("portrait, width decides") << QSizeF(1080, 1920) << 1.35;
        QTest::newRow("the normal size") << QSizeF(800, 600) << 1.0;
        QTest::newRow("tiny, never below 1") << QSizeF(640, 480) << 1.0;
        QTest::newRow("no screen size") << QSizeF(0, 0) << 1.0;
    }
    void largeScale()
    {
        QFETCH(QSizeF, desktop);
        QFETCH(double, factor);
        QCOMPARE(startup::largeScale(desktop), factor);
        // The screens fit the desktop whenever they can.
        if (factor > 1) {
            QVERIFY(800 * factor <= desktop.width() + 1e-9);
            QVERIFY(600 * factor <= desktop.height() + 1e-9);
        }
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
