// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sound_engine.h"

#include "mixer.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QIODevice>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A play still waiting after this long (the server hung, then came back) is not started: a
// chime long after its drop would only confuse. A stream's first second can pass before the
// server takes more than its first buffer, so the limit lies well above that.
constexpr qint64 staleNs = 3'000'000'000;
// How much the server keeps queued: the delay between a sound being handed over and heard.
constexpr int bufferMs = 80;
// How long shutting down waits for a device side stuck in a call to the server.
constexpr int shutDownWaitMs = 500;
// From the device opening to the fanfare's decoding: the game's start is over by then.
constexpr int fanfareDecodeDelayMs = 3000;
constexpr int stopId = -1;

} // namespace

struct SoundEngine::Shared {
    QMutex lock; // held only to copy a few numbers, never around a call to the device
    quint64 serial = 0;
    int id = stopId;
    qint64 askedNs = 0;
    std::atomic<State> state{State::Starting};
    std::atomic<int> started{0};
    std::atomic<int> dropped{0};
    std::atomic<qint64> lastDelayNs{0};
    std::atomic<qint64> framesHanded{0};

    void ask(int newId)
    {
        const QMutexLocker guard(&lock);
        ++serial;
        id = newId;
        askedNs = nowNs();
    }
};

namespace {

// The stream the audio device pulls: the mixer's output, silence between sounds.
class MixerDevice final : public QIODevice
{
public:
    explicit MixerDevice(std::shared_ptr<SoundEngine::Shared> shared)
        : m_shared(std::move(shared))
    {
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        constexpr int frameBytes = resources::pcmChannels * 2;
        const qsizetype frames = maxSize / frameBytes;
        const bool starting = takeRequest();
        m_mixer.render(reinterpret_cast<qint16 *>(data), frames);
        if (starting) {
            m_shared->lastDelayNs = nowNs() - m_askedNs;
            ++m_shared->started;
        }
        m_shared->framesHanded += frames;
        return frames * frameBytes;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Hands the latest request to the mixer; true when a sound starts in this buffer.
    bool takeRequest()
    {
        quint64 serial;
        int id;
        {
            const QMutexLocker guard(&m_shared->lock);
            serial = m_shared->serial;
            id = m_shared->id;
            m_askedNs = m_shared->askedNs;
        }
        if (serial == m_seen)
            return false;
        m_seen = serial;
        if (id != stopId && nowNs() - m_askedNs > staleNs) {
            ++m_shared->dropped;
            id = stopId;
        }
        const resources::Pcm *sound = id == stopId ? nullptr : &resources::sound(id);
        m_mixer.play(sound);
        return sound && sound->frames() > 0;
    }

    std::shared_ptr<SoundEngine::Shared> m_shared;
    Mixer m_mixer;
    quint64 m_seen = 0;
    qint64 m_askedNs = 0;
};

class DeviceThread final : public QThread
{
public:
    explicit DeviceThread(std::shared_ptr<SoundEngine::Shared> shared)
        : m_shared(std::move(shared))
    {
        setObjectName(QStringLiteral("sound"));
    }

protected:
    void run() override
    {
        QAudioFormat format;
        format.setSampleRate(resources::pcmRate);
        format.setChannelCount(resources::pcmChannels);
        format.setSampleFormat(QAudioFormat::Int16);
        MixerDevice device(m_shared);
        device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);

        // Qt's back end waits for the server with a lock held that the program's exit takes too:
        // a server that hangs would hang the exit. It is asked first, with a deadline.
        if (!soundServerAnswers([this] { return isInterruptionRequested(); })) {
            goSilent();
            return;
        }
        // Connects to the sound server: this may take long, or fail.
        QAudioSink sink(format);
        if (!sink.isNull() && !isInterruptionRequested()) {
            sink.setBufferSize(format.bytesForDuration(bufferMs * 1000));
            sink.start(&device);
        }
        if (sink.isNull() || sink.state() == QAudio::StoppedState) {
            goSilent();
            return;
        }
        m_shared->state = SoundEngine::State::Playing;
        // Decoded before they are first wanted rather than as they start: the drop's sound at
        // once; the fanfare, raised from a slower rate, takes as much work as the game's whole
        // start, so it waits until the menu is up (it is first wanted at the end of a round).
        resources::sound(103);
        QTimer::singleShot(fanfareDecodeDelayMs, [] { resources::sound(101); });
        connect(&sink, &QAudioSink::stateChanged, &sink, [this, &sink](QAudio::State state) {
            if (state == QAudio::StoppedState && sink.error() != QAudio::NoError) {
                goSilent();
                quit();
            }
        });
        exec();
        sink.stop();
    }

private:
    void goSilent()
    {
        if (m_shared->state.exchange(SoundEngine::State::Silent) != SoundEngine::State::Silent &&
            !isInterruptionRequested())
            qWarning("calivento: no sound server answers; playing on without sound");
    }

    std::shared_ptr<SoundEngine::Shared> m_shared;
};

// Engines still running when the application object goes: their device side must end first.
std::vector<SoundEngine *> &liveEngines()
{
    static std::vector<SoundEngine *> engines;
    return engines;
}

void shutDownAll()
{
    for (SoundEngine *engine : liveEngines())
        engine->shutDown();
}

} // namespace

SoundEngine::SoundEngine()
    : m_shared(std::make_shared<Shared>())
    , m_thread(new DeviceThread(m_shared))
{
    qAddPostRoutine(shutDownAll);
    liveEngines().push_back(this);
    m_thread->start();
}

SoundEngine::~SoundEngine()
{
    shutDown();
    std::erase(liveEngines(), this);
}

void SoundEngine::shutDown()
{
    if (!m_thread)
        return;
    m_thread->requestInterruption();
    m_thread->quit();
    if (m_thread->wait(shutDownWaitMs))
        delete m_thread;
    // Otherwise the thread is stuck in a call to a server that does not answer: it is left to
    // end with the process, and keeps what it uses alive through m_shared.
    m_thread = nullptr;
    m_shared->state = State::Silent;
}

void SoundEngine::play(int id)
{
    m_shared->ask(id);
}

void SoundEngine::stop()
{
    m_shared->ask(stopId);
}

SoundEngine::State SoundEngine::state() const
{
    return m_shared->state;
}

SoundEngine::Stats SoundEngine::stats() const
{
    return {m_shared->started, m_shared->dropped, m_shared->lastDelayNs, m_shared->framesHanded};
}

void endProcess(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace platform
