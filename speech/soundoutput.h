#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

namespace speech {

// Where the speaker's sound goes: the computer's sound device (deviceOutput()), or memory (MemoryOutput) in the
// tests and the benchmark. Used on the thread the speaker lives on.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Why sound cannot be played (there is no sound device), in a sentence for the user; empty when it can. Quick
    // after the first call, which may have to reach the sound system.
    virtual QString problem() = 0;
    // Plays the 16-bit mono samples at sampleRate that samples holds and is yet to receive (it says readyRead),
    // until it is at its end. Returns why it cannot, or empty.
    virtual QString start(QIODevice* samples, int sampleRate) = 0;
    // Stops at once, dropping what has not been played, and lets go of the samples' device.
    virtual void stop() = 0;
};

// Qt Multimedia's audio output to the system's default sound device.
std::unique_ptr<SoundOutput> deviceOutput();

// Keeps what it is given to play, read as it arrives the way a sound device reads it.
class MemoryOutput : public SoundOutput
{
public:
    // What problem() says, as a missing device would; empty: none.
    void setProblem(const QString& problem) { problem_ = problem; }
    // Called with the byte count each time samples arrive.
    void setOnSamples(std::function<void(qsizetype)> onSamples) { onSamples_ = std::move(onSamples); }

    QString problem() override { return problem_; }
    QString start(QIODevice* samples, int sampleRate) override;
    void stop() override;

    // Everything played since the last start (until a stop), and how often playing started and stopped.
    const QByteArray& played() const { return played_; }
    int sampleRate() const { return sampleRate_; }
    int starts() const { return starts_; }
    int stops() const { return stops_; }

private:
    void take();
    void detach();

    QString problem_;
    std::function<void(qsizetype)> onSamples_;
    QIODevice* samples_ = nullptr;
    QByteArray played_;
    int sampleRate_ = 0;
    int starts_ = 0;
    int stops_ = 0;
};

} // namespace speech
