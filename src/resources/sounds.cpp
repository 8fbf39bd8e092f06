// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sounds.h"
#include "phrases.h"

#include <QFile>
#include <QMutex>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

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

const Pcm &sound(int id)
{
    if (id >= 200)
        return phrase(id);
    // The engine asks from its own thread, tests from theirs.
    static QMutex lock;
    static std::map<int, Pcm> decoded;
    static const Pcm none;
    const QMutexLocker guard(&lock);
    auto it = decoded.find(id);
    if (it != decoded.end())
        return it->second;
    Pcm pcm = decode(id);
    if (pcm.samples.empty())
        return none;
    return decoded.emplace(id, std::move(pcm)).first->second;
}

} // namespace resources
