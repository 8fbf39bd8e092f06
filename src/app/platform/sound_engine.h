// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

class QThread;

namespace platform {

// Plays the game's sounds (resources::sound) through Qt Multimedia, one voice at a time (see
// Mixer). The audio device lives on a thread of its own: connecting to the sound server, a
// server that hangs or no server at all never hold up the caller. With no way to play, the
// engine goes silent and says so once on the terminal.
class SoundEngine
{
public:
    enum class State { Starting, Playing, Silent };

    SoundEngine();
    ~SoundEngine();
    SoundEngine(const SoundEngine &) = delete;
    SoundEngine &operator=(const SoundEngine &) = delete;

    // Both return at once; the latest call wins.
    void play(int id);
    void stop();

    State state() const;

    // What the device side did so far, for tests and benchmarks.
    struct Stats {
        int started = 0;         // plays whose first sample went to the device
        int dropped = 0;         // plays asked for too long before the device could take them
        qint64 lastDelayNs = 0;  // from play() to the handing over of the last started one
        qint64 framesHanded = 0; // frames handed to the device, silence included
    };
    Stats stats() const;

    // Ends the device side; the engine is silent afterwards. Safe to call more than once.
    void shutDown();

    // What the caller and the device side share; defined with the engine.
    struct Shared;

private:
    std::shared_ptr<Shared> m_shared;
    QThread *m_thread = nullptr;
};

// Asked on the engine's thread before the device is opened: whether the system's sound server
// answers in reasonable time. Gives up soon once stopping() is true. One per system.
bool soundServerAnswers(const std::function<bool()> &stopping);

// Ends the process once the application object is gone, without the libraries' own teardown:
// Qt Multimedia 6.4 frees its PulseAudio connection at unload while its PulseAudio thread may
// still be dispatching, which now and then crashes the program on its way out. Everything of
// ours is saved and closed by then; open output streams are flushed.
[[noreturn]] void endProcess(int status);

} // namespace platform
