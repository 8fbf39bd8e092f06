// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The application layer: the command line and the large mode's factor, drags, keyboard geometry,
// and timers.
#include "app/forms/image.h"
#include "app/forms/label.h"
#include "app/forms/navigation.h"
#include "app/forms/screens.h"
#include "app/forms/timer.h"
#include "app/startup.h"
#include "support/fakes.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {
class TestScreen : public forms::Form
{
public:
    TestScreen()
        : Form(QStringLiteral("TestScreen"), 6000, 4500)
        , back(this, QStringLiteral("back"), {0, 0, 3000, 3000}, QPixmap(), true)
        , front(this, QStringLiteral("front"), {1500, 1500, 3000, 3000}, QPixmap(), true)
        , name(this, QStringLiteral("name"), QStringLiteral("Le violon"), {4500, 3000, 1200, 375}, {})
    {
        name.setDragAutomatic(true);
        for (forms::Image *image : {&back, &front})
            connect(image, &forms::Control::DragDrop, this, [this, image](forms::Control *source) {
                drops << image->objectName() + '<' + source->objectName();
            });
        stackTopmostFirst({&front, &back});
    }

    forms::Image back;
    forms::Image front;
    forms::Label name;
    QStringList drops;
};
} // namespace

class TestApp : public fakes::ScreenTest
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

    // The largest 4:3 area in physical pixels, and never more, whatever scaling is in force: on
    // 1920 x 1080 the height decides (1440 x 1080), on a portrait screen the width.
    void largeScale_data()
    {
        QTest::addColumn<QSizeF>("desktop"); // as Qt measures it with the current factor in force
        QTest::addColumn<double>("ratio");
        QTest::addColumn<double>("current"); // QT_SCALE_FACTOR, 1 when not set
        QTest::addColumn<double>("factor");
        QTest::newRow("1920 x 1080") << QSizeF(1920, 1080) << 1.0 << 1.0 << 1.8;
        QTest::newRow("portrait") << QSizeF(1080, 1920) << 1.0 << 1.0 << 1.35;
        QTest::newRow("QT_SCALE_FACTOR=1.5") << QSizeF(1280, 720) << 1.5 << 1.5 << 1.8;
        QTest::newRow("smaller than the screens") << QSizeF(640, 480) << 1.0 << 1.0 << 0.8;
        QTest::newRow("size unknown") << QSizeF(0, 0) << 1.0 << 1.5 << 1.5;
    }
    void largeScale()
    {
        QFETCH(QSizeF, desktop);
        QFETCH(double, ratio);
        QFETCH(double, current);
        QFETCH(double, factor);
        QCOMPARE(startup::largeScale(desktop, ratio, current), factor);
    }

    // Steps such as "press mouse name", "move second front": by the mouse or the first or second
    // finger down, at a place of the screen; "disable screen" takes the screen away and gives it
    // back at once.
    void drags_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("drops");
        const auto row = [](const char *tag, const char *steps, QStringList drops) {
            QTest::newRow(tag) << steps << drops;
        };
        row("the mouse, onto the topmost picture", "press mouse name, move mouse front, release mouse front",
            {"front<name"});
        // A disabled screen never gets the release: the drag must end when it is disabled.
        row("the screen disabled", "press mouse name, move mouse back, disable screen, release mouse back", {});
        row("a second finger lifted over a picture",
            "press first name, press second name, move second front, release second front, move first back, "
            "release first back",
            {"back<name"});
    }
    void drags()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, drops);
        TestScreen &screen = forms::get<TestScreen>();
        screen.Show();
        const QHash<QString, QPoint> places{{"name", screen.name.geometry().center()},
                                            {"front", fakes::exposedPoint(screen.front)}, // over the back one too
                                            {"back", fakes::exposedPoint(screen.back)}};
        const auto outline = [&screen] { return screen.findChild<QWidget *>(QStringLiteral("dragOutline")); };
        static QPointingDevice *fingers = QTest::createTouchDevice();
        // The label must take the fingers itself, not a mouse made up from the first one.
        QCoreApplication::setAttribute(Qt::AA_SynthesizeMouseForUnhandledTouchEvents, false);
        auto synthesiseAgain =
            qScopeGuard([] { QCoreApplication::setAttribute(Qt::AA_SynthesizeMouseForUnhandledTouchEvents, true); });
        QSet<int> down; // the fingers on the screen
        for (const QString &step : steps.split(QStringLiteral(", "))) {
            const QStringList word = step.split(' ');
            if (word[1] == "screen") {
                screen.setEnabled(false);
                QVERIFY(!screen.dragSource()); // over at once, not when the screen comes back
                screen.Show();
                screen.setEnabled(true);
                continue;
            }
            enum { Press, Move, Release };
            const int action = QStringList{"press", "move", "release"}.indexOf(word[0]);
            const QPoint at = places[word[2]];
            const QPoint local = screen.name.mapFrom(&screen, at);
            if (word[1] == "mouse") { // every event to the label, as a real drag's
                const QTest::MouseAction mouse[] = {QTest::MousePress, QTest::MouseMove, QTest::MouseRelease};
                QTest::mouseEvent(mouse[action], &screen.name, action == Move ? Qt::NoButton : Qt::LeftButton, {},
                                  local);
            } else {
                // The second finger comes first in the events: the label must pick its own by number.
                const int id = word[1] == "first" ? 1 : 0;
                auto touch = QTest::touchEvent(&screen, fingers);
                for (int other : std::as_const(down))
                    if (other != id)
                        touch.stationary(other);
                if (action == Press)
                    touch.press(id, at);
                else if (action == Move)
                    touch.move(id, at);
                else
                    touch.release(id, at);
                if (action == Release)
                    down.remove(id);
                else
                    down.insert(id);
            }
            if (action == Move && word[1] != "second") // the outline follows what drags
                QCOMPARE(outline()->geometry().center(), at);
        }
        QCOMPARE(screen.drops, drops);
        QVERIFY(!screen.dragSource());
        QVERIFY(!outline()->isVisible());
        QCOMPARE(screen.name.pos(), QPoint(300, 200)); // the label itself stayed put
    }

    // What Tab and the arrows choose. The Tab order from no control going back, from one just
    // hidden, with none open, with none at all. The arrows from (100, 100) among targets 0 right and
    // a little up, 1 far right on the line, 2 straight down, 3 down and far left, 4 straight up: the
    // distance across counts twice, so going up the one straight above beats the nearer one aside.
    // The aims at a frame left round a small control on top (its widest band, below the small one)
    // and at a control wholly covered (none).
    void keyboardTargets()
    {
        using namespace forms::nav;
        const QList<bool> some{false, true, false, true, true};
        QCOMPARE(QList<int>({nextInOrder(some, -1, false), nextInOrder(some, 2, true),
                             nextInOrder({false, false}, 0, true), nextInOrder({}, -1, false)}),
                 QList<int>({4, 3, -1, -1}));
        QList<int> nearest;
        for (Direction d : {Direction::Right, Direction::Down, Direction::Left, Direction::Up})
            nearest << nearestInDirection({{140, 90}, {300, 100}, {100, 160}, {20, 180}, {100, 40}}, {100, 100}, d);
        QCOMPARE(nearest, QList<int>({0, 2, 3, 4}));
        QList<QPoint> aims;
        for (const QRegion &part : uncoveredParts({{10, 0, 80, 80}, {0, 0, 100, 100}, {20, 20, 10, 10}}))
            aims << aimPoint(part).value_or(QPoint(-1, -1));
        QCOMPARE(aims, QList<QPoint>({{49, 39}, {49, 89}, {-1, -1}}));
    }

    // The work done in a tick shortens the next wait instead of adding to it, as each wait counts
    // from when its tick was due; after a stall (a suspended machine, a stopped process) the beat
    // starts afresh instead of firing the missed ticks in a burst. An interval of 0 stops it. The
    // game sets the interval inside each tick, which must not upset the beat.
    void timerKeepsItsBeat()
    {
        forms::Timer timer(nullptr, QStringLiteral("t"), 0);
        QEventLoop loop; // a real event loop: QTest's waits sleep between their rounds
        int ticks = 0;
        int work = 15; // ms
        connect(&timer, &forms::Timer::tick, this, [&] {
            QTest::qSleep(work);
            timer.setInterval(20);
            if (++ticks == 30)
                loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        timer.setInterval(20);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        // 30 waits of 20 ms, then the last tick's work: 615 ms; waits counted from the end of each
        // tick's work would take 1050 ms. A loaded machine makes the last tick late, never early.
        const double took = clock.nsecsElapsed() / 1e6;
        QVERIFY2(ticks == 30 && took >= 612 && took <= 800, qPrintable(QStringLiteral("%1 ms").arg(took)));

        work = 0;
        QTest::qSleep(700); // the process stopped: 35 ticks overdue
        ticks = 0;
        QTest::qWait(25);
        QVERIFY2(ticks <= 4, qPrintable(QString::number(ticks)));
        timer.setInterval(0); // stops it, rather than ticking at every turn of the event loop
        QVERIFY(!timer.isRunning());
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
