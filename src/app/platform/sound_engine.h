// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform.h"

#include <QtGlobal>
#include <functional>
#include <memory>

class QIODevice;
class QThread;

namespace platform {

// Plays the game's sounds (resources::sound) through the audio device, one voice at a time (see
// Mixer). The device lives on a thread of its own: connecting to the sound server, a server that
// hangs or no server at all never hold up the caller, and neither does a sound still being
// decoded: it starts once it is. With no way to play, the engine goes silent and says so once
// on the terminal.
//
// The device is opened through Qt Multimedia, which with its sound-server client is a good
// share of the program's start: it is loaded on the engine's thread as the device is opened, and
// on Linux from a module of its own (calivento_sound), so that the program starts without it.
class SoundEngine
{
public:
    enum class State { Starting, Playing, Silent };
    // Now, or once the windows on show have painted: the game's start does not wait for the
    // audio device, and the first sound asked for opens it at once all the same.
    enum class Open { Now, AfterFirstPaint };

    explicit SoundEngine(Open when = Open::Now);
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
        qint64 soundFrames = 0;  // of those, frames that carried a sound
    };
    Stats stats() const;

    // Ends the device side; the engine is silent afterwards. Safe to call more than once.
    void shutDown();

    // What the caller and the device side share; defined with the engine.
    struct Shared;

private:
    void open();

    std::shared_ptr<Shared> m_shared;
    QThread *m_thread = nullptr;
    bool m_opened = false;
    std::unique_ptr<QObject> m_opener;
};

// Asked on the engine's thread before the device is opened: whether the system's sound server
// answers in reasonable time. Gives up soon once stopping() is true. One per system.
bool soundServerAnswers(const std::function<bool()> &stopping);

// How the device ended: asked to, or it could not play (no server, no device, the server gone).
enum class DeviceEnd { Asked = 0, NoDevice = 1 };

// Plays the stream (resources::pcmRate, stereo, 16 bits) through the audio device on the
// calling thread until that thread is asked to quit, keeping bufferMs queued in the server;
// calls playing() once the device takes the stream. On Linux this lives in the sound module
// and is found by name.
extern "C" Q_DECL_EXPORT DeviceEnd calivento_run_device(QIODevice *stream, int bufferMs, void (*playing)(void *),
                                                        void *context);
using RunDevice = decltype(&calivento_run_device);

} // namespace platform
