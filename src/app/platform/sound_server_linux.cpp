// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Whether the PulseAudio server answers: part of the sound module, beside the device.
#include "sound_engine.h"

#include <QElapsedTimer>
#include <pulse/context.h>
#include <pulse/mainloop.h>

namespace platform {

namespace {

// How long a sound server may take to answer before the game plays on without sound.
constexpr int serverWaitMs = 5000;

} // namespace

// The PulseAudio server, or PipeWire's stand-in for it, which Qt Multimedia plays through here.
bool soundServerAnswers(const std::function<bool()> &stopping)
{
    pa_mainloop *loop = pa_mainloop_new();
    pa_context *context = loop ? pa_context_new(pa_mainloop_get_api(loop), "calivento") : nullptr;
    bool ready = false;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0) {
        QElapsedTimer clock;
        clock.start();
        while (!stopping() && clock.elapsed() < serverWaitMs) {
            // Waits at most 20 ms at a time, so that stopping is seen soon.
            if (pa_mainloop_prepare(loop, 20000) < 0 || pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
                break;
            const pa_context_state_t state = pa_context_get_state(context);
            ready = state == PA_CONTEXT_READY;
            if (ready || !PA_CONTEXT_IS_GOOD(state))
                break;
        }
        pa_context_disconnect(context);
    }
    if (context)
        pa_context_unref(context);
    if (loop)
        pa_mainloop_free(loop);
    return ready;
}

} // namespace platform
