#pragma once

#include "soundoutput.h"
#include "synthesis.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

namespace speech {

class SampleStream;

// Reads Greek aloud for the windows: the Study window's card, the Reader's word or verse. The text is synthesised
// on a thread of the speaker's own, so a window never waits for it, and its first chunk of sound is played as soon
// as it exists, while the rest is made. A new text stops the one being read. Where nothing can be heard (no sound
// device, the voice data missing) the speaker says why through unavailable() and nothing else happens.
class Speaker : public QObject
{
    Q_OBJECT

public:
    explicit Speaker(std::unique_ptr<SoundOutput> output = deviceOutput(), QObject* parent = nullptr);
    ~Speaker() override;

    // Loads the engine and the voice and finds the sound device ahead of the first text, which then sounds sooner.
    void prepare(Voice voice);
    // Reads text aloud (its first kMostCharacters characters) with voice at speedPercent of the voice's normal
    // speed, stopping whatever was being read.
    void say(const QString& text, Voice voice, int speedPercent = 100);
    // Stops reading at once.
    void stop();

Q_SIGNALS:
    // What say() was given cannot be heard, and why, in a sentence for the user: said once for each say().
    void unavailable(const QString& reason);
    // The text of the last say() has been made in full (its sound may still be playing), or there was nothing in
    // it to say.
    void finished();

private:
    struct Worker;

    void received(std::uint64_t generation, const QByteArray& samples, int sampleRate);
    void ended(std::uint64_t generation, Outcome outcome, const QString& problem);
    void giveUp(const QString& reason);

    std::unique_ptr<SoundOutput> output_;
    std::unique_ptr<SampleStream> stream_; // the samples of the text being read
    std::uint64_t generation_ = 0; // of the text being read; chunks of older ones are dropped
    bool playing_ = false;
    // Last: its thread ends first.
    std::unique_ptr<Worker> worker_;
};

} // namespace speech
