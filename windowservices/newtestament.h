#pragma once

#include <QString>

#include <memory>

namespace nttext {
class ReadingText;
class Text;
} // namespace nttext

namespace karte {

// The Greek New Testament's companion file, from which the Study, Progress and Reader windows take verses, forms,
// books and counts, and the text word by word that the Reader shows. It is read the first time a window asks for it,
// not at start-up, and kept from then on.
class NewTestament
{
public:
    NewTestament();
    ~NewTestament();
    NewTestament(const NewTestament&) = delete;
    NewTestament& operator=(const NewTestament&) = delete;

    // Null when the file cannot be read: studying goes on without verses, forms and books, and problem() says why.
    const nttext::Text* text() const;
    QString problem() const;
    // The text word by word, for the Reader and the study of a chapter: read the first time a window asks for it
    // and checked against text(). Null when either file cannot be read; readingProblem() says why.
    const nttext::ReadingText* reading() const;
    QString readingProblem() const;

private:
    void load() const;
    void loadReading() const;

    mutable bool loaded_ = false;
    mutable std::unique_ptr<nttext::Text> text_;
    mutable QString problem_;
    mutable bool readingLoaded_ = false;
    mutable std::unique_ptr<nttext::ReadingText> reading_;
    mutable QString readingProblem_;
};

// The one the program reads for the run and hands to the windows that show the text.
const NewTestament& newTestament();

} // namespace karte
