#include "soundoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace speech {

namespace {

// The sound system's buffer, in milliseconds of sound: short, so that a word starts soon after its first samples.
constexpr int kBufferMs = 100;

class DeviceOutput : public SoundOutput
{
public:
    QString problem() override
    {
        if (QMediaDevices::defaultAudioOutput().isNull())
            return QStringLiteral("Greek cannot be read aloud: there is no sound device.");
        return {};
    }

    QString start(QIODevice* samples, int sampleRate) override
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return problem();
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        // The sink is kept from one text to the next while the device and the rate stay the same: making one
        // reaches the sound system.
        if (!sink_ || device_ != device || sink_->format() != format) {
            sink_.reset();
            if (!device.isFormatSupported(format))
                return QStringLiteral("Greek cannot be read aloud: the sound device cannot play speech (%1 samples "
                                      "a second).")
                    .arg(sampleRate);
            sink_ = std::make_unique<QAudioSink>(device, format);
            sink_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
            device_ = device;
        }
        sink_->start(samples);
        if (sink_->error() != QAudio::NoError)
            return QStringLiteral("Greek cannot be read aloud: the sound device %1 cannot be opened.")
                .arg(device.description());
        return {};
    }

    void stop() override
    {
        if (sink_)
            sink_->stop();
    }

private:
    QAudioDevice device_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace

std::unique_ptr<SoundOutput> deviceOutput()
{
    return std::make_unique<DeviceOutput>();
}

QString MemoryOutput::start(QIODevice* samples, int sampleRate)
{
    detach();
    if (!problem_.isEmpty())
        return problem_;
    ++starts_;
    played_.clear();
    sampleRate_ = sampleRate;
    samples_ = samples;
    QObject::connect(samples, &QIODevice::readyRead, samples, [this] { take(); });
    take();
    return {};
}

void MemoryOutput::stop()
{
    ++stops_;
    detach();
}

void MemoryOutput::detach()
{
    if (samples_)
        QObject::disconnect(samples_, &QIODevice::readyRead, nullptr, nullptr);
    samples_ = nullptr;
}

void MemoryOutput::take()
{
    if (!samples_)
        return;
    const QByteArray arrived = samples_->readAll();
    played_.append(arrived);
    if (onSamples_ && !arrived.isEmpty())
        onSamples_(arrived.size());
}

} // namespace speech
