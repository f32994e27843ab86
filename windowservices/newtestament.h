#pragma once

#include <QString>

#include <memory>

namespace nttext {
class Text;
}

namespace karte {

// The Greek New Testament's companion file, from which the Study and Progress windows take verses, forms, books and
// counts. It is read the first time a window asks for it, not at start-up, and kept from then on.
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

private:
    void load() const;

    mutable bool loaded_ = false;
    mutable std::unique_ptr<nttext::Text> text_;
    mutable QString problem_;
};

// The one the program reads for the run and hands to the windows that show the text.
const NewTestament& newTestament();

} // namespace karte
