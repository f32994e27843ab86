#include "books.h"
#include "cardtable.h"
#include "clock.h"
#include "errors.h"
#include "filedialogs.h"
#include "messagebox.h"
#include "reading.h"
#include "session.h"
#include "table.h"
#include "tdatasource.h"
#include "text.h"
#include "tpassworddialog.h"
#include "treaderform.h"
#include "ui_treaderform.h"

#include <QFileInfo>

// Studying from the Reader: the word's card reviewed out of turn in the Study window, or a card made for a word the
// set has none for; and the chapter's words studied first.

namespace {

// At most size characters of text, cut where a character ends.
std::string cutTo(const std::string& text, int size)
{
    const QString whole = QString::fromStdString(text);
    return whole.size() <= size ? text : whole.left(size).toStdString();
}

// A card's field texts, in the set's field order: the word as a dictionary lists it, its gloss and its count.
std::vector<std::string> cardTexts(const cardstore::Table& table, const nttext::Text& text, int lemma)
{
    std::vector<std::string> texts(static_cast<std::size_t>(table.fieldCount()));
    const std::pair<const char*, std::string> values[] = {
        { "Language", cutTo(text.lexicalForm(lemma), 150) },
        { "English", cutTo(text.gloss(lemma), 100) },
        { "Frequency", std::to_string(text.count(lemma)) },
    };
    for (const auto& [field, value] : values)
        if (const int index = table.fieldIndex(field); index >= 0)
            texts[static_cast<std::size_t>(index)] = value;
    return texts;
}

} // namespace

void TReaderForm::studyIt()
{
    if (chosen_ < 0 || !reading_)
        return;
    const int lemma = reading_->word(chosen_).lemma;
    if (const std::int64_t card = knowledge_.progress(lemma).card; card != 0)
        Q_EMIT studyCard(card);
    else
        addCard(lemma);
}

void TReaderForm::prepareChapter()
{
    if (chapter_ < 0 || !reading_)
        return;
    const nttext::Chapter& shown = reading_->chapter(chapter_);
    const std::string_view code = nttext::bookNames()[static_cast<std::size_t>(shown.book)].code;
    Q_EMIT studyChapter(QString::fromUtf8(code.data(), static_cast<qsizetype>(code.size())), shown.number);
}

void TReaderForm::addCard(int lemma)
{
    cardstore::Table& table = *source_->dataSet();
    const QString word = QString::fromStdString(text()->lexicalForm(lemma));
    const QString card = QStringLiteral("%1 — %2").arg(word, QString::fromStdString(text()->gloss(lemma)));
    if (table.takesCards()) {
        if (!table.canModify())
            throw cardstore::Error("This card set cannot be written: no card can be added to it");
        table.checkBrowseMode();
        table.insert();
        const std::vector<std::string> texts = cardTexts(table, *text(), lemma);
        for (std::size_t field = 0; field < texts.size(); ++field)
            if (!texts[field].empty())
                table.setFieldText(static_cast<int>(field), texts[field]);
        table.post();
        cards_.push_back({ table.recordKey(), lemma, std::nullopt });
        knowledge_ = learning::LemmaKnowledge(cards_, text()->lemmaCount(), clock().nowMs());
        added_ = QStringLiteral("Added %1 to this set as a new card: Study It reviews it.").arg(card);
        Q_EMIT cardsAdded();
    } else {
        karte::MessageRequest offer;
        offer.title = QStringLiteral("Study It");
        offer.text = QStringLiteral("The built-in set, NT Frequency, takes no cards of your own. Add a card for %1 "
                                    "to a set of your own?")
                         .arg(card);
        offer.icon = QMessageBox::Question;
        offer.buttons = QMessageBox::Yes | QMessageBox::No;
        offer.defaultButton = QMessageBox::Yes;
        if (karte::MessageBoxes::ask(offer, this) != QMessageBox::Yes || !setDialog_->execute(this))
            return;
        const QString path = setDialog_->fileName();
        if (cardstore::Session::instance().isBuiltInSet(path.toStdString()))
            throw cardstore::Error("The built-in set takes no cards of your own: choose or name a set of your own");
        QString outcome;
        addCardTo(path, lemma, outcome);
        added_ = outcome;
    }
    showWord(false);
    showNotes();
    announce(added_);
}

bool TReaderForm::addCardTo(const QString& path, int lemma, QString& outcome)
{
    const QString setName = QFileInfo(path).fileName();
    const QString word = QString::fromStdString(text()->lexicalForm(lemma));
    cardstore::Table set;
    set.setTableName(path.toStdString());
    set.onPasswordRequired = [] { return karte::requestPassword(); };
    if (QFileInfo::exists(path)) {
        set.open();
        // A set that names the word already keeps its card: a second would only be studied twice.
        bool has = false;
        const int greek = set.fieldIndex("Language");
        set.visitRecords([&](std::int64_t, const std::vector<cardstore::Value>& values) {
            if (greek >= 0 && static_cast<std::size_t>(greek) < values.size())
                if (const auto* side = std::get_if<std::string>(&values[static_cast<std::size_t>(greek)]))
                    has = has || text()->lemmaOfCard(*side) == lemma;
        });
        if (has) {
            outcome = QStringLiteral("%1 has a card for %2 already.").arg(setName, word);
            return false;
        }
    } else {
        set.setTableType(cardstore::TableType::Paradox);
        set.fieldDefs() = cardstore::cardFieldDefs();
        set.indexDefs() = { cardstore::englishIndexDef() };
        set.createTable();
        set.open();
    }
    set.appendRecords({ cardTexts(set, *text(), lemma) });
    outcome = QStringLiteral("Added %1 to %2 as a new card.").arg(word, setName);
    return true;
}
