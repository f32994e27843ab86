// karte-bench-speech: how soon the Greek read aloud starts to sound.
//
// Through the real Study window on Qt's offscreen platform, over a fresh copy of the built-in set: the time from
// Ctrl+R on the card to the first samples reaching the sound output, which keeps them in memory (the speaker's seam
// for a sound device), or with --device to the sound device's first read of them, when they go to the sound server
// (whose own buffer, 100 ms at most, comes on top).
// The first press right after the window opens is reported apart: it may wait for the voice the window loads as
// it opens. Then the speaker alone, as the Reader will use it, for a word and a verse; and espeak-ng's synthesis
// alone: its first chunk and the whole text, for a word, a verse and 500 characters. Medians of --runs runs.

#include "application.h"
#include "messagebox.h"
#include "programwindows.h"
#include "speaker.h"
#include "synthesis.h"
#include "tform1.h"
#include "tstudyform.h"

#include <QAction>
#include <QElapsedTimer>
#include <QIODevice>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const QString kWord = QStringLiteral("λόγος");
const QString kVerse = QStringLiteral("Ἐν ἀρχῇ ἦν ὁ λόγος, καὶ ὁ λόγος ἦν πρὸς τὸν θεόν, καὶ θεὸς ἦν ὁ λόγος.");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The moment the first samples of a text reached the sound output.
struct FirstSound
{
    std::optional<Clock::time_point> at;
    void heard()
    {
        if (!at)
            at = Clock::now();
    }
};

// The sound device, noting when it first reads a text's samples: the moment they reach the sound server.
class DeviceProbe : public speech::SoundOutput
{
public:
    explicit DeviceProbe(FirstSound& first)
        : first_(first)
    {
    }

    QString problem() override { return device_->problem(); }
    QString start(QIODevice* samples, int sampleRate) override
    {
        tap_ = std::make_unique<Tap>(samples, first_);
        return device_->start(tap_.get(), sampleRate);
    }
    void stop() override
    {
        device_->stop();
        tap_.reset();
    }

private:
    class Tap : public QIODevice
    {
    public:
        Tap(QIODevice* samples, FirstSound& first)
            : samples_(samples)
            , first_(first)
        {
            open(QIODevice::ReadOnly);
            connect(samples, &QIODevice::readyRead, this, &QIODevice::readyRead);
        }
        bool isSequential() const override { return true; }
        qint64 bytesAvailable() const override { return samples_->bytesAvailable() + QIODevice::bytesAvailable(); }
        bool atEnd() const override { return samples_->atEnd() && QIODevice::atEnd(); }

    protected:
        qint64 readData(char* data, qint64 most) override
        {
            const qint64 count = samples_->read(data, most);
            if (count > 0)
                first_.heard();
            return count;
        }
        qint64 writeData(const char*, qint64) override { return -1; }

    private:
        QIODevice* samples_;
        FirstSound& first_;
    };

    FirstSound& first_;
    std::unique_ptr<speech::SoundOutput> device_ = speech::deviceOutput();
    std::unique_ptr<Tap> tap_;
};

struct Listener
{
    Listener(speech::Speaker& speaker, FirstSound& first)
        : first(first)
    {
        QObject::connect(&speaker, &speech::Speaker::finished, &speaker, [this] { ++finished; });
        QObject::connect(&speaker, &speech::Speaker::unavailable, &speaker, [](const QString& reason) {
            std::fprintf(stderr, "karte-bench-speech: %s\n", qPrintable(reason));
            std::exit(1);
        });
    }

    // Milliseconds from asking to the first samples at the output; waits for the whole text to be made and, on a
    // sound device, read.
    double firstSound(const std::function<void()>& ask)
    {
        first.at.reset();
        const int before = finished;
        const auto start = Clock::now();
        ask();
        while (!first.at || finished == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return milliseconds(start, *first.at);
    }

    FirstSound& first;
    int finished = 0;
};

struct Synthesised
{
    double firstChunk;
    double whole;
};

Synthesised synthesise(const std::string& text)
{
    speech::Synthesizer synthesizer;
    std::optional<Clock::time_point> first;
    const auto start = Clock::now();
    synthesizer.synthesize(text, speech::Voice::Erasmian, speech::kNormalWordsPerMinute, [&](speech::Samples) {
        if (!first)
            first = Clock::now();
        return true;
    });
    const auto end = Clock::now();
    return { milliseconds(start, first.value_or(end)), milliseconds(start, end) };
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    bool onDevice = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::string(argv[i]) == "--device") {
            onDevice = true;
        } else {
            std::fprintf(stderr, "usage: karte-bench-speech [--runs N] [--device]\n");
            return 2;
        }
    }
    const fs::path data = fs::temp_directory_path() / ("karte-bench-speech-" + std::to_string(::getpid()));
    fs::create_directories(data);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    karte::Application application(argc, argv);
    karte::MessageBoxes::setResponder([](const karte::MessageRequest& request) -> QMessageBox::StandardButton {
        std::fprintf(stderr, "karte-bench-speech: unexpected message: %s\n", qPrintable(request.text));
        std::exit(1);
    });

    FirstSound first;
    std::unique_ptr<speech::SoundOutput> output;
    if (onDevice) {
        output = std::make_unique<DeviceProbe>(first);
    } else {
        auto memory = std::make_unique<speech::MemoryOutput>();
        memory->setOnSamples([&first](qsizetype) { first.heard(); });
        output = std::move(memory);
    }
    speech::Speaker speaker(std::move(output));
    Listener listener(speaker, first);
    double firstPress = 0;
    std::vector<double> presses;
    {
        karte::ProgramWindows windows;
        windows.mainWindow().show();
        TStudyForm& study = *windows.studyWindow();
        study.setSpeaker(&speaker);
        windows.mainWindow().findChild<QAction*>(QStringLiteral("Study1"))->trigger();
        study.activateWindow();
        if (!QTest::qWaitForWindowActive(&study)) {
            std::fprintf(stderr, "karte-bench-speech: the Study window did not become active\n");
            return 1;
        }
        firstPress = listener.firstSound([&] { QTest::keyClick(&study, Qt::Key_R, Qt::ControlModifier); });
        for (int run = 0; run < runs; ++run)
            presses.push_back(listener.firstSound([&] { QTest::keyClick(&study, Qt::Key_R, Qt::ControlModifier); }));
        study.close();
    }

    std::vector<double> word, verse;
    for (int run = 0; run < runs; ++run) {
        word.push_back(listener.firstSound([&] { speaker.say(kWord, speech::Voice::Erasmian); }));
        verse.push_back(listener.firstSound([&] { speaker.say(kVerse, speech::Voice::Erasmian); }));
    }

    const std::string longText = (kVerse + QLatin1Char(' ')).repeated(7).left(500).toStdString();
    std::vector<double> wordFirst, wordWhole, verseFirst, verseWhole, longFirst, longWhole;
    for (int run = 0; run < runs; ++run) {
        const Synthesised w = synthesise(kWord.toStdString());
        const Synthesised v = synthesise(kVerse.toStdString());
        const Synthesised l = synthesise(longText);
        wordFirst.push_back(w.firstChunk);
        wordWhole.push_back(w.whole);
        verseFirst.push_back(v.firstChunk);
        verseWhole.push_back(v.whole);
        longFirst.push_back(l.firstChunk);
        longWhole.push_back(l.whole);
    }

    std::printf("Greek read aloud, to %s: medians of %d runs, in milliseconds\n",
        onDevice ? "the sound device's first read" : "the sound output in memory", runs);
    std::printf("| | first sound | whole text made |\n|---|---:|---:|\n");
    std::printf("| Ctrl+R in the Study window (ὁ), first press as the window opens | %.2f | |\n", firstPress);
    std::printf("| Ctrl+R in the Study window (ὁ) | %.2f | |\n", median(presses));
    std::printf("| Speaker, a word (λόγος) | %.2f | |\n", median(word));
    std::printf("| Speaker, a verse (John 1:1) | %.2f | |\n", median(verse));
    std::printf("| Synthesis alone, a word | %.3f | %.2f |\n", median(wordFirst), median(wordWhole));
    std::printf("| Synthesis alone, a verse | %.3f | %.2f |\n", median(verseFirst), median(verseWhole));
    std::printf("| Synthesis alone, 500 characters | %.3f | %.2f |\n", median(longFirst), median(longWhole));
    std::error_code ignored;
    fs::remove_all(data, ignored);
    return 0;
}
