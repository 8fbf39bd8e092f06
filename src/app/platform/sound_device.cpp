// SPDX-FileCopyrightText: 2026 Les Ateliers Calivento
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The audio device through Qt Multimedia: on Linux the whole of the sound module, which the
// program loads as the engine opens the device.
#include "sound_engine.h"

#include "resources/sounds.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QEventLoop>
#include <QThread>

namespace platform {

extern "C" DeviceEnd calivento_run_device(QIODevice *stream, int bufferMs, void (*playing)(void *), void *context)
{
    QThread *self = QThread::currentThread();
    // Qt's back end waits for the server with a lock held that the program's exit takes too:
    // a server that hangs would hang the exit. It is asked first, with a deadline.
    if (!soundServerAnswers([self] { return self->isInterruptionRequested(); }))
        return DeviceEnd::NoDevice;
    QAudioFormat format;
    format.setSampleRate(resources::pcmRate);
    format.setChannelCount(resources::pcmChannels);
    format.setSampleFormat(QAudioFormat::Int16);
    // Connects to the sound server: this may take long, or fail.
    QAudioSink sink(format);
    if (!sink.isNull() && !self->isInterruptionRequested()) {
        sink.setBufferSize(format.bytesForDuration(bufferMs * 1000));
        sink.start(stream);
    }
    if (sink.isNull() || sink.state() == QAudio::StoppedState)
        return DeviceEnd::NoDevice;
    playing(context);
    QEventLoop loop;
    bool lost = false;
    QObject::connect(&sink, &QAudioSink::stateChanged, &loop, [&](QAudio::State state) {
        if (state == QAudio::StoppedState && sink.error() != QAudio::NoError) {
            lost = true;
            loop.quit();
        }
    });
    loop.exec(); // until the thread is asked to quit
    sink.stop();
    return lost ? DeviceEnd::NoDevice : DeviceEnd::Asked;
}

} // namespace platform
