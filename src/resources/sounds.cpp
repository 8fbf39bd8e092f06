// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sounds.h"
#include "phrases.h"

#include <QFile>
#include <QThreadPool>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <map>
#include <numbers>
#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace resources {

namespace {

quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}
quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

// Lanczos kernel with 16 lobes: a slower rate is raised to pcmRate without the mirror images of
// its spectrum that a straight line between samples would leave as hiss.
constexpr int lobes = 16;

double lanczos(double x)
{
    if (x == 0.0)
        return 1.0;
    const double px = std::numbers::pi * x;
    return lobes * std::sin(px) * std::sin(px / lobes) / (px * px);
}

std::vector<qint16> resample(const std::vector<qint16> &in, int channels, int rate)
{
    const qsizetype inFrames = static_cast<qsizetype>(in.size()) / channels;
    const qsizetype outFrames = inFrames * pcmRate / rate;
    std::vector<qint16> out(static_cast<size_t>(outFrames * pcmChannels));
    // An output frame falls between two source frames at one of a few phases; each phase's
    // weights are worked out once.
    std::map<qsizetype, std::array<double, 2 * lobes>> weights;
    for (qsizetype f = 0; f < outFrames; ++f) {
        // Exact arithmetic for the position, so frames that fall on a source frame copy it.
        const qsizetype whole = f * rate / pcmRate;
        const qsizetype phase = f * rate % pcmRate;
        auto [it, fresh] = weights.try_emplace(phase);
        if (fresh)
            for (int k = 0; k < 2 * lobes; ++k)
                it->second[static_cast<size_t>(k)] = lanczos(double(k - lobes + 1) - double(phase) / pcmRate);
        for (int c = 0; c < pcmChannels; ++c) {
            const int from = c % channels;
            double sum = 0;
            if (phase == 0) {
                sum = in[static_cast<size_t>(whole * channels + from)];
            } else {
                for (int k = 0; k < 2 * lobes; ++k) {
                    const qsizetype at = whole - lobes + 1 + k;
                    if (at >= 0 && at < inFrames)
                        sum += in[static_cast<size_t>(at * channels + from)] * it->second[static_cast<size_t>(k)];
                }
            }
            out[static_cast<size_t>(f * pcmChannels + c)] =
                static_cast<qint16>(std::clamp(std::lround(sum), -32768L, 32767L));
        }
    }
    return out;
}

QByteArray embedded(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Pcm decode(int id)
{
    if (id == 101)
        return decodeWav(embedded(QStringLiteral(":/sounds/win.wav")));
    if (id == 103)
        return decodeWav(embedded(QStringLiteral(":/sounds/drop.wav")));
    return {};
}

} // namespace

Pcm decodeWav(QByteArrayView bytes)
{
    if (bytes.size() < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        return {};
    int channels = 0;
    int rate = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArrayView id = bytes.sliced(at, 4);
        const qsizetype size = u32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > bytes.size())
                return {};
            const bool pcm16 = u16(bytes, body) == 1 && u16(bytes, body + 14) == 16;
            channels = u16(bytes, body + 2);
            rate = static_cast<int>(u32(bytes, body + 4));
            if (!pcm16 || channels < 1 || channels > 2 || rate < 1 || rate > pcmRate)
                return {};
        } else if (id == "data") {
            if (channels == 0)
                return {};
            const qsizetype frames = std::min(size, bytes.size() - body) / (2 * channels);
            std::vector<qint16> in(static_cast<size_t>(frames * channels));
            for (size_t i = 0; i < in.size(); ++i)
                in[i] = qFromLittleEndian<qint16>(bytes.data() + body + 2 * static_cast<qsizetype>(i));
            if (rate == pcmRate && channels == pcmChannels)
                return {std::move(in)};
            return {resample(in, channels, rate)};
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return {};
}

namespace {

// One sound's decoding. Its first taker decodes; the others wait on ready, the device's thread
// only reads it.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<const Pcm *> ready{nullptr};
    Pcm pcm;
};

constexpr int firstPhrase = 200;
constexpr int phraseSlots = 64;

Slot *slotFor(int id)
{
    // Never destroyed: a decoding thread may still be at work while the program ends.
    static auto &table = *new std::array<Slot, 2 + phraseSlots>;
    if (id == 101)
        return &table[0];
    if (id == 103)
        return &table[1];
    if (id >= firstPhrase && id < firstPhrase + phraseSlots)
        return &table[static_cast<size_t>(2 + id - firstPhrase)];
    return nullptr;
}

const Pcm &none()
{
    static const Pcm empty;
    return empty;
}

// Decodes into the slot if nobody has yet; false when someone else has it.
bool decodeInto(Slot &slot, int id)
{
    if (slot.taken.exchange(true))
        return false;
    slot.pcm = id >= firstPhrase ? decodePhrase(id) : decode(id);
    slot.ready.store(&slot.pcm, std::memory_order_release);
    slot.ready.notify_all();
    return true;
}

// Decoding ahead gives way to everything else, the sound device's thread and the screens first:
// on a busy computer a click must not wait for the CPU behind a phrase wanted later.
void giveWay()
{
#ifdef Q_OS_LINUX
    thread_local const bool done = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10) == 0 || true;
    (void)done;
#endif
}

// The ones that run ahead take turns on one thread; a sound wanted now never queues behind them.
QThreadPool &aheadPool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(1);
        return p;
    }();
    return *pool;
}

QThreadPool &soonPool()
{
    // As many as there are sounds: a child clicking from picture to picture waits for no other.
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(2 + phraseSlots);
        return p;
    }();
    return *pool;
}

} // namespace

const Pcm &sound(int id)
{
    Slot *slot = slotFor(id);
    if (!slot)
        return none();
    if (const Pcm *pcm = slot->ready.load(std::memory_order_acquire))
        return *pcm;
    if (!decodeInto(*slot, id))
        slot->ready.wait(nullptr, std::memory_order_acquire);
    return *slot->ready.load(std::memory_order_acquire);
}

const Pcm *decodedSound(int id)
{
    const Slot *slot = slotFor(id);
    return slot ? slot->ready.load(std::memory_order_acquire) : &none();
}

void decodeSoon(int id)
{
    Slot *slot = slotFor(id);
    if (!slot || slot->taken.load())
        return;
    soonPool().start([slot, id] { decodeInto(*slot, id); });
}

void decodeAhead(const std::vector<int> &ids)
{
    for (int id : ids)
        if (Slot *slot = slotFor(id); slot && !slot->taken.load())
            aheadPool().start([slot, id] {
                giveWay();
                decodeInto(*slot, id);
            });
}

} // namespace resources
