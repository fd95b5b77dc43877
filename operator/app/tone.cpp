// SPDX-License-Identifier: MIT
#include "tone.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QTimer>
#include <QtMath>

namespace kestrix {

bool playTone(int frequencyHz, int durationMs)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;

    QAudioFormat format;
    format.setSampleRate(44100);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;

    const int samples = format.sampleRate() * durationMs / 1000;
    QByteArray pcm(samples * 2, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(pcm.data());
    for (int i = 0; i < samples; ++i)
        out[i] = static_cast<qint16>(12000 * qSin(2 * M_PI * frequencyHz * i / format.sampleRate()));

    QBuffer buffer(&pcm);
    buffer.open(QIODevice::ReadOnly);
    QAudioSink sink(device, format);
    QEventLoop loop;
    // The beep blocks like the rest of the handler; only painting goes on.
    QObject::connect(&sink, &QAudioSink::stateChanged, &loop, [&](QAudio::State state) {
        if (state == QAudio::IdleState || state == QAudio::StoppedState)
            loop.quit();
    });
    QTimer::singleShot(durationMs + 1000, &loop, &QEventLoop::quit);
    sink.start(&buffer);
    if (sink.error() != QAudio::NoError)
        return false;
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    sink.stop();
    return true;
}

} // namespace kestrix
