// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The listening screen's costs: the time from a click on a picture to its sound, and the memory
// the screen takes on top of the menu.
//   bench_listen
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "screens/listen/form_ecouter.h"
#include "screens/menu/form_choix_instruments.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Lets the screens paint and the deferred work run.
void settle()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(10);
    }
}

// Passes every sound on to the game's own, noting when the call came.
class TimedSound final : public platform::Sound
{
public:
    explicit TimedSound(std::unique_ptr<platform::Sound> inner)
        : m_inner(std::move(inner))
    {
    }
    void play(platform::SoundId id) override
    {
        calledAt = clock.nsecsElapsed();
        m_inner->play(id);
    }
    QElapsedTimer clock;
    qint64 calledAt = -1;

private:
    std::unique_ptr<platform::Sound> m_inner;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    auto *sound = new TimedSound(platform::nativeSound());
    platform::services().sound.reset(sound);
    sound->clock.start();

    // The pointer starts out of the way: a picture under it has its phrase decoded at once.
    QCursor::setPos(0, 0);
    Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
    menu.Show();
    settle();
    const long atMenu = residentKilobytes();
    emit menu.Command_ecouter.Click();
    Form_ecouter &screen = forms::get<Form_ecouter>();
    settle();
    const long atListening = residentKilobytes();
    std::printf("memory (VmRSS): menu %.1f MB, listening screen %.1f MB, %+.2f MB (target at most +4 MB)\n",
                atMenu / 1024.0, atListening / 1024.0, (atListening - atMenu) / 1024.0);

    // Clicks on each picture in turn, as the mouse gives them: from the button's release to the
    // sound's play() call.
    std::vector<double> later;
    double first = -1;
    for (int i = 0; i < 48; ++i) {
        forms::Image &picture = screen.picture(i % 24);
        const QPoint centre = picture.rect().center();
        // The pointer comes to rest on the picture a moment before the click, as a hand's does.
        QTest::mouseMove(&picture, centre);
        QTest::qWait(150);
        QTest::mousePress(&picture, Qt::LeftButton, {}, centre);
        const qint64 released = sound->clock.nsecsElapsed();
        QTest::mouseRelease(&picture, Qt::LeftButton, {}, centre);
        const double ms = (sound->calledAt - released) / 1e6;
        if (first < 0)
            first = ms;
        else
            later.push_back(ms);
        settle();
    }
    std::printf("click to play(): first %.3f ms, later ones median %.3f ms, worst %.3f ms over %zu\n", first,
                median(later), *std::max_element(later.begin(), later.end()), later.size());
    const long afterAll = residentKilobytes();
    std::printf("memory after hearing all 24: %.1f MB, %+.2f MB on the menu\n", afterAll / 1024.0,
                (afterAll - atMenu) / 1024.0);
    forms::Screens::instance().unloadAll();
    std::fflush(stdout);
    // The sound service goes while the application still stands.
    platform::services().sound.reset();
    return 0;
}
