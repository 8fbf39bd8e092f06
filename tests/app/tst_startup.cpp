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
        const auto row = [](const char *tag, QStringList arguments, bool large, int status, const char *message) {
            QTest::newRow(tag) << arguments << large << status << message;
        };
        // Qt's own options are left to the application object.
        row("Qt's options", {"-platform", "offscreen", "--grand-ecran", "-reverse"}, true, -1, "");
        row("-h, despite the rest", {"-h", "--grand-ecran"}, true, 0, "Options :");
        row("unknown option", {"--grand-écran"}, false, 2, "option inconnue : --grand-écran");
        row("unknown short option", {"--grand-ecran", "-x"}, true, 2, "option inconnue : -x");
        row("a value where none is taken", {"--grand-ecran=oui"}, true, 2, "valeur inattendue après « --grand-ecran »");
        row("a value missing", {"--grand-ecran", "-platform"}, true, 2, "valeur manquante après « -platform »");
        row("stray argument", {"niveaux"}, false, 2, "argument inattendu : niveaux");
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

    // The largest 4:3 area: on 1920 x 1080 the height decides (1440 x 1080), on a portrait
    // desktop the width; never below 1, also when the screen's size is unknown.
    void largeScale()
    {
        QCOMPARE(QList<double>({startup::largeScale({1920, 1080}), startup::largeScale({1080, 1920}),
                                startup::largeScale({640, 480}), startup::largeScale({0, 0})}),
                 QList<double>({1.8, 1.35, 1.0, 1.0}));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
