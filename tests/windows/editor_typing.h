#pragma once

// Typing into the data-bound text boxes, and reading back what a card set holds, for the tests of the text box,
// the navigator bar and the card editor.

#include "cardsets.h"
#include "table.h"
#include "textforms.h"

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

namespace editortest {

// Types the text one character at a time as key presses that carry it, as a keyboard layout for the script would;
// QTest's own typing knows Latin-1 only.
inline void typeText(QWidget* widget, const QString& text)
{
    for (char32_t character : text.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        const bool asciiKey = character < 0x80 && QChar(character).isLetterOrNumber();
        const int key = asciiKey ? int(QChar(character).toUpper().unicode()) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &release);
    }
}

// The cards of the set at path in its primary order, read through a table of their own; the frequency is empty
// when the card has none.
inline std::vector<testsupport::Card> readCards(const std::string& path)
{
    cardstore::Table table;
    table.setTableName(path);
    table.setReadOnly(true);
    table.open();
    std::vector<testsupport::Card> cards;
    if (table.recordCount() == 0)
        return cards;
    table.first();
    do {
        const std::string frequency = table.fieldText("Frequency");
        cards.push_back({ table.fieldText("English"), table.fieldText("Language"),
            frequency.empty() ? std::nullopt : cardstore::parseFloat(frequency) });
        table.next();
    } while (!table.eof());
    return cards;
}

inline std::vector<std::string> englishOf(const std::vector<testsupport::Card>& cards)
{
    std::vector<std::string> english;
    for (const testsupport::Card& card : cards)
        english.push_back(card.english);
    return english;
}

} // namespace editortest
