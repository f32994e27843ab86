#include "speaker.h"

#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace speech {

namespace {

// After the first chunk, which goes to the sound device at once, the samples travel to it in batches of this many
// milliseconds: a verse is then a few dozen events rather than hundreds.
constexpr int kBatchMs = 200;

// The text to read, or the voice to load ahead of one.
struct Job
{
    std::uint64_t generation = 0;
    std::string text;
    Voice voice = Voice::Erasmian;
    int wordsPerMinute = kNormalWordsPerMinute;
    bool prepareOnly = false;
};

} // namespace

// The samples of one text as the sound device reads them: what has arrived so far, to its end once synthesis is
// done.
class SampleStream : public QIODevice
{
public:
    SampleStream() { open(QIODevice::ReadOnly); }

    void append(const QByteArray& samples)
    {
        pending_.append(samples);
        Q_EMIT readyRead();
    }
    void finish()
    {
        finished_ = true;
        Q_EMIT readyRead();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending_.size() - read_ + QIODevice::bytesAvailable(); }
    bool atEnd() const override { return finished_ && read_ == pending_.size() && QIODevice::atEnd(); }

protected:
    qint64 readData(char* data, qint64 most) override
    {
        const qint64 count = std::min(most, static_cast<qint64>(pending_.size() - read_));
        std::copy_n(pending_.constData() + read_, count, data);
        read_ += count;
        // What has been read goes, now and then, rather than at every read.
        if (read_ == pending_.size() || read_ > (1 << 16)) {
            pending_.remove(0, read_);
            read_ = 0;
        }
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray pending_;
    qsizetype read_ = 0;
    bool finished_ = false;
};

struct Speaker::Worker
{
    explicit Worker(Speaker* speaker)
        : speaker(speaker)
        , thread([this] { run(); })
    {
    }
    ~Worker()
    {
        {
            const std::lock_guard lock(mutex);
            quit = true;
            current = 0;
        }
        wake.notify_one();
        thread.join();
    }

    void post(Job job)
    {
        {
            const std::lock_guard lock(mutex);
            // A text waiting is replaced: only the newest is read. Loading a voice ahead is left to the text.
            if (job.prepareOnly && pending)
                return;
            if (!job.prepareOnly)
                current = job.generation;
            pending = std::move(job);
        }
        wake.notify_one();
    }
    void cancel()
    {
        const std::lock_guard lock(mutex);
        current = 0;
        if (pending && !pending->prepareOnly)
            pending.reset();
    }

    void run()
    {
        std::optional<Synthesizer> synthesizer;
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return quit || pending; });
                if (quit)
                    return;
                job = std::move(*pending);
                pending.reset();
            }
            if (!synthesizer)
                synthesizer.emplace();
            const std::string problem = synthesizer->problem(job.voice);
            if (!job.prepareOnly)
                read(*synthesizer, job, problem);
        }
    }

    void read(Synthesizer& synthesizer, const Job& job, const std::string& problem)
    {
        if (!problem.empty()) {
            tell(job.generation, Outcome::Unavailable, problem);
            return;
        }
        const int sampleRate = synthesizer.sampleRate();
        const std::size_t batch = static_cast<std::size_t>(sampleRate) * kBatchMs / 1000;
        std::vector<std::int16_t> samples;
        bool first = true;
        const auto send = [&] {
            QByteArray bytes(reinterpret_cast<const char*>(samples.data()),
                static_cast<qsizetype>(samples.size() * sizeof(std::int16_t)));
            samples.clear();
            QMetaObject::invokeMethod(
                speaker,
                [speaker = speaker, generation = job.generation, bytes, sampleRate] {
                    speaker->received(generation, bytes, sampleRate);
                },
                Qt::QueuedConnection);
        };
        const Outcome outcome = synthesizer.synthesize(job.text, job.voice, job.wordsPerMinute, [&](Samples chunk) {
            if (current.load() != job.generation)
                return false;
            // Silence before the first sound is left out: the sound comes sooner, and a text with nothing to say
            // never reaches the sound device.
            if (first && std::all_of(chunk.begin(), chunk.end(), [](std::int16_t sample) { return sample == 0; }))
                return true;
            samples.insert(samples.end(), chunk.begin(), chunk.end());
            if (first || samples.size() >= batch) {
                send();
                first = false;
            }
            return true;
        });
        if (outcome == Outcome::Stopped)
            return;
        if (!samples.empty())
            send();
        tell(job.generation, outcome, outcome == Outcome::Unavailable ? synthesizer.problem(job.voice) : "");
    }

    void tell(std::uint64_t generation, Outcome outcome, const std::string& problem)
    {
        QMetaObject::invokeMethod(
            speaker,
            [speaker = speaker, generation, outcome, problem = QString::fromStdString(problem)] {
                speaker->ended(generation, outcome, problem);
            },
            Qt::QueuedConnection);
    }

    Speaker* speaker;
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Job> pending;
    std::atomic<std::uint64_t> current { 0 }; // the text to read; 0: none
    bool quit = false;
    std::thread thread; // last: it starts once the rest is ready
};

Speaker::Speaker(std::unique_ptr<SoundOutput> output, QObject* parent)
    : QObject(parent)
    , output_(std::move(output))
    , worker_(std::make_unique<Worker>(this))
{
}

Speaker::~Speaker()
{
    worker_.reset();
    if (playing_)
        output_->stop();
}

void Speaker::prepare(Voice voice)
{
    worker_->post({ 0, {}, voice, kNormalWordsPerMinute, true });
    output_->problem();
}

void Speaker::say(const QString& text, Voice voice, int speedPercent)
{
    stop();
    if (const QString problem = output_->problem(); !problem.isEmpty()) {
        Q_EMIT unavailable(problem);
        return;
    }
    const int wordsPerMinute = static_cast<int>(static_cast<long long>(kNormalWordsPerMinute) * speedPercent / 100);
    worker_->post({ ++generation_, text.toStdString(), voice, wordsPerMinute, false });
}

void Speaker::stop()
{
    worker_->cancel();
    ++generation_;
    if (playing_)
        output_->stop();
    playing_ = false;
    stream_.reset();
}

void Speaker::received(std::uint64_t generation, const QByteArray& samples, int sampleRate)
{
    if (generation != generation_)
        return;
    if (!stream_) {
        stream_ = std::make_unique<SampleStream>();
        stream_->append(samples);
        playing_ = true;
        if (const QString problem = output_->start(stream_.get(), sampleRate); !problem.isEmpty())
            giveUp(problem);
        return;
    }
    stream_->append(samples);
}

void Speaker::ended(std::uint64_t generation, Outcome outcome, const QString& problem)
{
    if (generation != generation_)
        return;
    if (outcome == Outcome::Unavailable) {
        giveUp(
            problem.isEmpty() ? QStringLiteral("Greek cannot be read aloud: the speech synthesiser failed.") : problem);
        return;
    }
    if (stream_)
        stream_->finish();
    Q_EMIT finished();
}

void Speaker::giveUp(const QString& reason)
{
    stop();
    Q_EMIT unavailable(reason);
}

} // namespace speech
