// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The game screen's costs: how true a round's length is to its nominal length, what one beat and
// one drop cost in CPU time, how much of the screen a beat repaints, and whether anything is
// decoded during play.
//   bench_game [--quick]
#include "app/forms/screens.h"
#include "resources/resources.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_perdu_instruments.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Sums the area of every paint of the game screen and its controls.
struct PaintedArea : QObject {
    qint64 pixels = 0;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Paint && widget && widget->window()->objectName() == "Form_instruments")
            for (const QRect &r : static_cast<QPaintEvent *>(event)->region())
                pixels += qint64(r.width()) * r.height();
        return false;
    }
};

Form_instruments &startGame(game::GameId id, int level)
{
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    menu.levelLabel(id, 1).setEnabled(true);
    menu.levelLabel(id, level).setEnabled(true);
    emit menu.levelLabel(id, level).Click();
    return forms::get<Form_instruments>();
}

void endGame()
{
    forms::Screens::instance().unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Plays a round with no drop until the points reach 0 and returns how long that took (ms).
double roundLength(game::GameId id, int level)
{
    Form_instruments &screen = startGame(id, level);
    QEventLoop loop;
    QElapsedTimer clock;
    QObject::connect(&screen.Timer1, &forms::Timer::tick, &loop, [&] {
        if (screen.Timer1.Interval() <= 40)
            loop.quit();
    });
    clock.start();
    // The round began when the menu set the interval, a moment ago.
    loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    endGame();
    return ms;
}

void roundLengths(bool quick)
{
    std::printf("round length against its nominal length (sum of the waits from the start value down to 41 ms)\n");
    struct Case {
        game::GameId id;
        int level;
    };
    std::vector<Case> cases{{game::GameId::Cordes, 3}, {game::GameId::Vents, 3}, {game::GameId::Cordes, 2},
                            {game::GameId::Cordes, 1}};
    if (quick)
        cases.resize(1);
    for (bool busy : {false, true}) {
        std::atomic<bool> stop{false};
        std::thread spinner;
        if (busy)
            spinner = std::thread([&] {
                volatile unsigned long x = 0;
                while (!stop.load(std::memory_order_relaxed))
                    x = x + 1;
            });
        for (const Case &c : cases) {
            const int start = game::startInterval(c.id, c.level);
            const double nominal = (start + 41) * (start - 41 + 1) / 2.0;
            const double took = roundLength(c.id, c.level);
            std::printf("  start %4d ms, %-9s nominal %9.0f ms, took %9.1f ms, off by %+.3f %%\n", start,
                        busy ? "core busy" : "idle", nominal, took, 100.0 * (took - nominal) / nominal);
        }
        stop = true;
        if (spinner.joinable())
            spinner.join();
    }
}

void beatsAndDrops()
{
    const int decodedBefore = resources::decodeCount();
    Form_instruments &screen = startGame(game::GameId::Tous, 1);
    QCoreApplication::processEvents();
    const int decodedAtStart = resources::decodeCount();
    screen.Timer1.setEnabled(false);  // we beat by hand

    PaintedArea area;
    qApp->installEventFilter(&area);
    constexpr int beats = 500;
    const double cpu0 = threadCpuMs();
    for (int i = 0; i < beats; ++i) {
        emit screen.Timer1.tick();
        QCoreApplication::processEvents();  // the repaint
    }
    const double perBeat = (threadCpuMs() - cpu0) / beats;
    qApp->removeEventFilter(&area);
    const double areaShare = double(area.pixels) / beats / (800.0 * 600.0);

    // A wrong drop and a right one on each picture in turn; the board is reset between.
    auto *source = screen.findChild<forms::Label *>(QStringLiteral("L_violon"));
    std::vector<forms::Image *> pictures;
    for (forms::Image *image : screen.findChildren<forms::Image *>())
        if (image->acceptsDrops())
            pictures.push_back(image);
    constexpr int rounds = 200;
    double dropCpu = 0;
    int drops = 0;
    for (int r = 0; r < rounds; ++r) {
        screen.Timer1.setInterval(1041);
        for (forms::Image *picture : pictures) {
            if (!picture->Visible())
                continue;
            const double t0 = threadCpuMs();
            emit picture->DragDrop(source);
            dropCpu += threadCpuMs() - t0;
            ++drops;
        }
        screen.Command_visible.press();
        screen.modeButton(game::GameId::Tous).press();
    }
    std::printf("one beat (tick + repaint): %.4f ms CPU, repaints %.2f %% of the screen (targets < 0.2 ms, < 5 %%)\n",
                perBeat, 100 * areaShare);
    std::printf("one drop: %.4f ms CPU over %d drops (target < 1 ms)\n", dropCpu / drops, drops);
    std::printf("pictures decoded: %d before the game screen, %d when it was up, %d after %d beats and %d drops\n",
                decodedBefore, decodedAtStart, resources::decodeCount(), beats, drops);
    endGame();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const bool quick = argc > 1 && QByteArray(argv[1]) == "--quick";
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    beatsAndDrops();
    roundLengths(quick);
    return 0;
}
