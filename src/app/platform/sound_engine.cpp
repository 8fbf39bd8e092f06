// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sound_engine.h"

#include "after_paint.h"
#include "mixer.h"

#include <QCoreApplication>
#include <QDir>
#include <QIODevice>
#include <QLibrary>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <chrono>
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
// Should no window ever paint, the device opens after this long all the same.
constexpr int openAnywayMs = 2000;
constexpr int stopId = -1;
constexpr int noId = -2;

} // namespace

struct SoundEngine::Shared {
    QMutex lock; // held only to copy a few numbers, never around a decode or a call to the device
    quint64 serial = 0;
    int id = stopId;
    qint64 askedNs = 0;
    std::atomic<State> state{State::Starting};
    std::atomic<int> started{0};
    std::atomic<int> dropped{0};
    std::atomic<qint64> lastDelayNs{0};
    std::atomic<qint64> framesHanded{0};
    std::atomic<qint64> soundFrames{0};

    void ask(int newId)
    {
        const QMutexLocker guard(&lock);
        ++serial;
        id = newId;
        askedNs = nowNs();
    }
};

namespace {

// The stream the audio device pulls: the mixer's output, silence between sounds. It only ever
// looks a sound up (resources::decodedSound); one not decoded yet waits here, in silence, and
// starts with the first buffer after its decoding ends.
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
        takeRequest();
        const bool starting = startIfDecoded();
        const bool sounding = !m_mixer.silent();
        m_mixer.render(reinterpret_cast<qint16 *>(data), frames);
        if (starting) {
            m_shared->lastDelayNs = nowNs() - m_askedNs;
            ++m_shared->started;
        }
        m_shared->framesHanded += frames;
        if (sounding)
            m_shared->soundFrames += frames;
        return frames * frameBytes;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Takes the latest request: a stop at once, a sound as soon as it is decoded. What plays is
    // cut at once either way.
    void takeRequest()
    {
        quint64 serial;
        int id;
        qint64 askedNs;
        {
            const QMutexLocker guard(&m_shared->lock);
            serial = m_shared->serial;
            id = m_shared->id;
            askedNs = m_shared->askedNs;
        }
        if (serial == m_seen)
            return;
        m_seen = serial;
        m_askedNs = askedNs;
        m_pending = id == stopId ? noId : id;
        m_mixer.stop();
    }

    // True when the waiting sound starts in this buffer.
    bool startIfDecoded()
    {
        if (m_pending == noId)
            return false;
        if (nowNs() - m_askedNs > staleNs) {
            ++m_shared->dropped;
            m_pending = noId;
            return false;
        }
        const resources::Pcm *sound = resources::decodedSound(m_pending);
        if (!sound)
            return false;
        m_pending = noId;
        m_mixer.play(sound);
        return sound->frames() > 0;
    }

    std::shared_ptr<SoundEngine::Shared> m_shared;
    Mixer m_mixer;
    quint64 m_seen = 0;
    qint64 m_askedNs = 0;
    int m_pending = noId;
};

// The device's opening, from the sound module beside the program on Linux (in a build tree for
// tests, from the build folder), linked in elsewhere.
RunDevice findDevice()
{
#ifdef CALIVENTO_SOUND_MODULE
    QStringList places{QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(CALIVENTO_SOUND_MODULE))};
#ifdef CALIVENTO_SOUND_MODULE_IN_BUILD
    places << QStringLiteral(CALIVENTO_SOUND_MODULE_IN_BUILD);
#endif
    for (const QString &place : places) {
        QLibrary module(place);
        if (auto run = reinterpret_cast<RunDevice>(module.resolve("calivento_run_device")))
            return run; // the module stays loaded: QLibrary unloads only when asked to
    }
    return nullptr;
#else
    return &calivento_run_device;
#endif
}

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
        // The chime is wanted at the first right drop, the fanfare only at a round's end.
        resources::decodeAhead({103, 101});
        MixerDevice device(m_shared);
        device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        const RunDevice runDevice = findDevice();
        if (!runDevice) {
            if (!isInterruptionRequested())
                qWarning("calivento: the sound module cannot be loaded; playing on without sound");
            m_shared->state = SoundEngine::State::Silent;
            return;
        }
        const DeviceEnd end = runDevice(
            &device, bufferMs,
            [](void *shared) { static_cast<SoundEngine::Shared *>(shared)->state = SoundEngine::State::Playing; },
            m_shared.get());
        if (m_shared->state.exchange(SoundEngine::State::Silent) != SoundEngine::State::Silent &&
            end == DeviceEnd::NoDevice && !isInterruptionRequested())
            qWarning("calivento: no sound server answers; playing on without sound");
    }

private:
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

SoundEngine::SoundEngine(Open when)
    : m_shared(std::make_shared<Shared>())
{
    qAddPostRoutine(shutDownAll);
    liveEngines().push_back(this);
    if (when == Open::Now)
        open();
    else
        m_opener = afterFirstPaint([this] { open(); }, openAnywayMs);
}

SoundEngine::~SoundEngine()
{
    shutDown();
    std::erase(liveEngines(), this);
}

void SoundEngine::open()
{
    if (m_opened)
        return;
    m_opened = true;
    m_thread = new DeviceThread(m_shared);
    m_thread->start();
}

void SoundEngine::shutDown()
{
    m_opened = true; // never opens again
    m_opener.reset();
    if (!m_thread) {
        m_shared->state = State::Silent;
        return;
    }
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
    if (!resources::decodedSound(id))
        resources::decodeSoon(id);
    m_shared->ask(id);
    open();
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
    return {m_shared->started, m_shared->dropped, m_shared->lastDelayNs, m_shared->framesHanded, m_shared->soundFrames};
}

} // namespace platform
