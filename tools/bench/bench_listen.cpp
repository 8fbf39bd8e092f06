// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen's costs: the time from a click on a picture to the first sample of its
// sound handed to the audio device, and the memory the screen takes on top of the menu.
//   bench_listen
// Run it with a sound server (a null sink will do): with no audio device only the time to the
// engine's play() call can be measured, and that is what it then reports.
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "app/platform/sound_engine.h"
#include "probe.h"
#include "screens/listen/form_ecouter.h"
#include "screens/menu/form_choix_instruments.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Lets the screens paint and the deferred work run.
void settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(10);
    }
}

// The game's own engine, noting when each play() call came.
class TimedSound final : public platform::Sound
{
public:
    void play(platform::SoundId id) override
    {
        calledAt = clock.nsecsElapsed();
        engine.play(static_cast<int>(id));
    }
    void stop() override { engine.stop(); }
    platform::SoundEngine engine;
    QElapsedTimer clock;
    qint64 calledAt = -1;
};

struct Figures {
    std::vector<double> ms;
    void print(const char *what) const
    {
        std::vector<double> v = ms;
        std::sort(v.begin(), v.end());
        if (v.empty()) {
            std::printf("  %-46s none\n", what);
            return;
        }
        std::printf("  %-46s median %7.3f ms, worst %7.3f ms over %zu\n", what, v[v.size() / 2], v.back(), v.size());
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    auto *sound = new TimedSound;
    platform::services().sound.reset(sound);
    sound->clock.start();

    // The pointer starts out of the way: a picture under it has its phrase decoded at once.
    QCursor::setPos(0, 0);
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    settle();
    const long atMenu = statusKilobytes("VmRSS");
    emit menu.Command_ecouter.Click();
    Form_ecouter &screen = forms::get<Form_ecouter>();
    settle();
    const long atListening = statusKilobytes("VmRSS");
    std::printf("memory (VmRSS): menu %.1f MB, listening screen %.1f MB, %+.2f MB (target at most +4 MB)\n",
                atMenu / 1024.0, atListening / 1024.0, (atListening - atMenu) / 1024.0);

    QElapsedTimer waiting;
    waiting.start();
    while (sound->engine.state() == platform::SoundEngine::State::Starting && waiting.elapsed() < 10000)
        settle();
    const bool device = sound->engine.state() == platform::SoundEngine::State::Playing;
    std::printf("%s\n", device ? "click to the first sample handed to the audio device (target < 30 ms):"
                               : "no audio device: click to the engine's play() call only:");

    // Each picture twice: its first click decodes its phrase, the second finds it decoded.
    Figures firstOfEach, later, toPlay;
    int lost = 0;
    for (int i = 0; i < 48; ++i) {
        forms::Image &picture = screen.picture(i % 24);
        const QPoint centre = picture.rect().center();
        // The pointer comes to rest on the picture a moment before the click, as a hand's does.
        QTest::mouseMove(&picture, centre);
        QTest::qWait(150);
        const int startedBefore = sound->engine.stats().started;
        QTest::mousePress(&picture, Qt::LeftButton, {}, centre);
        const qint64 released = sound->clock.nsecsElapsed();
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, centre);
        const double toCall = (sound->calledAt - released) / 1e6;
        toPlay.ms.push_back(toCall);
        if (device) {
            waiting.restart();
            while (sound->engine.stats().started == startedBefore && waiting.elapsed() < 2000)
                QThread::usleep(200);
            const platform::SoundEngine::Stats stats = sound->engine.stats();
            if (stats.started == startedBefore)
                ++lost;
            else
                (i < 24 ? firstOfEach : later).ms.push_back(toCall + stats.lastDelayNs / 1e6);
        }
        settle();
        // Lets most of the phrase play, as a child would listen.
        QTest::qWait(300);
    }
    if (device) {
        firstOfEach.print("first click on each picture (phrase decoded)");
        later.print("second click on each picture");
        std::printf("  plays that never reached the device: %d\n", lost);
    }
    toPlay.print("click to play()");
    const long afterAll = statusKilobytes("VmRSS");
    std::printf("memory after hearing all 24: %.1f MB, %+.2f MB on the menu\n", afterAll / 1024.0,
                (afterAll - atMenu) / 1024.0);
    forms::Screens::instance().unloadAll();
    std::fflush(stdout);
    // The engine goes while the application still stands.
    platform::services().sound.reset();
    return 0;
}
