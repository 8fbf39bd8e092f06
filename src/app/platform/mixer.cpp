// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "mixer.h"

#include <algorithm>

namespace platform {

void Mixer::play(const resources::Pcm *sound)
{
    if (sound && sound->frames() == 0)
        sound = nullptr;
    if (!m_voice) {
        start(sound);
        return;
    }
    // Cut short: fade out first, then the latest sound asked for, from its start.
    if (!m_cut) {
        m_cut = true;
        m_fadeLeft = fadeFrames;
    }
    m_next = sound;
}

void Mixer::start(const resources::Pcm *sound)
{
    m_voice = sound;
    m_frame = 0;
    m_cut = false;
    m_fadeLeft = 0;
    m_next = nullptr;
}

void Mixer::render(qint16 *out, qsizetype frames)
{
    constexpr int ch = resources::pcmChannels;
    qsizetype done = 0;
    while (done < frames && m_voice) {
        const qint16 *in = m_voice->samples.data() + m_frame * ch;
        qsizetype n = std::min(frames - done, m_voice->frames() - m_frame);
        if (m_cut) {
            // The gain falls by one step a frame, from whole to one step above silence.
            n = std::min(n, m_fadeLeft);
            for (qsizetype f = 0; f < n; ++f, --m_fadeLeft)
                for (int c = 0; c < ch; ++c)
                    out[(done + f) * ch + c] = static_cast<qint16>(in[f * ch + c] * m_fadeLeft / fadeFrames);
        } else {
            std::copy(in, in + n * ch, out + done * ch);
        }
        done += n;
        m_frame += n;
        if (m_frame == m_voice->frames() || (m_cut && m_fadeLeft == 0))
            start(m_next);
    }
    std::fill(out + done * ch, out + frames * ch, qint16(0));
}

} // namespace platform
