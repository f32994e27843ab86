#include "soundoutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>

namespace speech {

namespace {

// The sound system's buffer, in milliseconds of sound: short, so that a word starts soon after its first samples.
constexpr int kBufferMs = 100;
// How often samples that did not fit into the buffer are offered again.
constexpr int kRefillMs = 10;

// The samples are written to the sink as they arrive (Qt's push mode) rather than read by it: the sink reads every
// 20 ms, which would hold the first sound of a word back by as much.
class DeviceOutput : public SoundOutput
{
public:
    DeviceOutput()
    {
        refill_.setSingleShot(true);
        refill_.setInterval(kRefillMs);
        QObject::connect(&refill_, &QTimer::timeout, [this] { write(); });
    }

    QString problem() override
    {
        if (QMediaDevices::defaultAudioOutput().isNull())
            return QStringLiteral("Greek cannot be read aloud: there is no sound device.");
        return {};
    }

    QString start(QIODevice* samples, int sampleRate) override
    {
        stop();
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
            device_ = device;
        }
        // Asked for at every start: Qt 6.4's PulseAudio sink otherwise asks for the buffer the last start got, which
        // the server makes smaller each time.
        sink_->setBufferSize(format.bytesForDuration(kBufferMs * 1000));
        input_ = sink_->start();
        if (!input_ || sink_->error() != QAudio::NoError) {
            input_ = nullptr;
            return QStringLiteral("Greek cannot be read aloud: the sound device %1 cannot be opened.")
                .arg(device.description());
        }
        samples_ = samples;
        QObject::connect(samples_, &QIODevice::readyRead, samples_, [this] { write(); });
        write();
        return {};
    }

    void stop() override
    {
        refill_.stop();
        if (samples_)
            QObject::disconnect(samples_, &QIODevice::readyRead, nullptr, nullptr);
        samples_ = nullptr;
        input_ = nullptr; // the sink's own, gone when it stops
        if (sink_)
            sink_->stop();
    }

private:
    // Writes what has arrived as far as the buffer takes it, and comes back for the rest.
    void write()
    {
        if (!samples_ || !input_)
            return;
        char chunk[8192];
        for (qint64 room = sink_->bytesFree(); room > 0 && samples_->bytesAvailable() > 0; room = sink_->bytesFree()) {
            const qint64 read = samples_->read(chunk, std::min<qint64>(room, sizeof chunk));
            if (read <= 0 || input_->write(chunk, read) < read)
                break;
        }
        if (samples_->bytesAvailable() > 0)
            refill_.start();
    }

    QAudioDevice device_;
    std::unique_ptr<QAudioSink> sink_;
    QIODevice* input_ = nullptr;
    QIODevice* samples_ = nullptr;
    QTimer refill_;
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
