// The Reader's work through its real window, on Qt's offscreen platform, over the same set of 100,000 studied cards
// as the rows without the window (part of karte-bench-reader): the window opened, a chapter opened with its glosses,
// the next word chosen, What to read next, a chapter saved as a PDF. Each timed action includes the repaint it
// causes; the opening reports the memory the window holds.

#include "readerset.h"

#include "clock.h"
#include "location.h"
#include "newtestament.h"
#include "reading.h"
#include "table.h"
#include "tdatasource.h"
#include "text.h"
#include "treaderform.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>

namespace {

// Lets the window repaint what the action changed, as the event loop would before the user sees it.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

double heapMegabytes()
{
    return static_cast<double>(mallinfo2().uordblks) / (1 << 20);
}

const nttext::Text& text()
{
    return *karte::newTestament().text();
}

const nttext::ReadingText& reading()
{
    return *karte::newTestament().reading();
}

// The Reader over the studied set, as the main window hands it over.
struct ReaderWindow
{
    ReaderWindow()
        : clock(benchsets::kReadingTime)
    {
        table.setTableName(benchsets::readerSet(text()));
        table.open();
        source.setDataSet(&table);
        reader.setDataSource(&source);
        reader.setNewTestament(&karte::newTestament());
        reader.setClock(&clock);
    }
    void open()
    {
        reader.show();
        settle();
    }

    cardstore::Table table;
    TDataSource source;
    learning::ManualClock clock;
    TReaderForm reader;
};

int longestChapter()
{
    int longest = 0;
    for (int chapter = 1; chapter < reading().chapterCount(); ++chapter)
        if (reading().chapter(chapter).words > reading().chapter(longest).words)
            longest = chapter;
    return longest;
}

// The window shown: the set's cards, their lemmas and memories read, the reading state read, the chapter last read
// opened. The first opening reads the text for reading as well; the heap it leaves held is the window's.
void BM_ReaderWindowOpen(benchmark::State& state)
{
    ReaderWindow window;
    const double before = heapMegabytes();
    window.open();
    state.counters["held_MB"] = heapMegabytes() - before;
    window.reader.hide();
    settle();
    for (auto _ : state) {
        window.open();
        window.reader.hide();
        settle();
    }
}

// A chapter opened with its glosses, footnotes and coverage sentence, laid out and painted. Arg 0 goes through every
// chapter in turn (the mean over all 260); arg 1 opens the longest each time.
void BM_ReaderWindowOpenChapter(benchmark::State& state)
{
    ReaderWindow window;
    window.open();
    const int longest = longestChapter();
    int next = 0;
    for (auto _ : state) {
        window.reader.openChapter(state.range(0) == 0 ? next++ % reading().chapterCount() : longest);
        settle();
    }
    if (state.range(0) == 1)
        state.SetLabel(reading().chapterName(longest));
}

// The next word chosen in John 1: marked in the text, its gloss marked, its panel filled, and painted.
void BM_ReaderWindowNextWord(benchmark::State& state)
{
    ReaderWindow window;
    window.open();
    const int chapter = *reading().findChapter(3, 1);
    window.reader.openChapter(chapter);
    settle();
    const nttext::Chapter& john1 = reading().chapter(chapter);
    int place = 0;
    for (auto _ : state) {
        place = (place + 1) % john1.words;
        window.reader.chooseWord(john1.firstWord + place);
        settle();
    }
}

// What to read next: the 260 chapters ranked and listed, and the list shown.
void BM_ReaderWindowWhatToReadNext(benchmark::State& state)
{
    ReaderWindow window;
    window.open();
    for (auto _ : state) {
        window.reader.showNext();
        settle();
        window.reader.showReading();
        settle();
    }
}

// A chapter written as a PDF with its glosses: John 1 (arg 0), or the longest chapter (arg 1).
void BM_ReaderWindowPdf(benchmark::State& state)
{
    ReaderWindow window;
    window.open();
    const int chapter = state.range(0) == 0 ? *reading().findChapter(3, 1) : longestChapter();
    const QString path = QDir::temp().filePath(QStringLiteral("karte-bench-reader.pdf"));
    for (auto _ : state)
        window.reader.writePdf(path, chapter, chapter, false);
    state.counters["KB"] = static_cast<double>(std::filesystem::file_size(path.toStdString())) / 1024;
    state.SetLabel(reading().chapterName(chapter));
    std::filesystem::remove(path.toStdString());
}

} // namespace

BENCHMARK(BM_ReaderWindowOpen)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderWindowOpenChapter)->ArgName("longest")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderWindowNextWord)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReaderWindowWhatToReadNext)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReaderWindowPdf)->ArgName("longest")->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);

// The windows need an application; they run on the offscreen platform unless told otherwise.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
