#include "readerset.h"

#include "studiedsets.h"
#include "text.h"

#include <sqlite3.h>

#include <filesystem>

namespace benchsets {

const std::string& readerSet(const nttext::Text& text)
{
    static const std::string path = [&text] {
        const std::string studied = studiedSet(100'000);
        const std::string copy = studied + ".reader.SDB";
        std::filesystem::copy_file(studied, copy, std::filesystem::copy_options::overwrite_existing);
        sqlite3* db = nullptr;
        sqlite3_open(copy.c_str(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* update = nullptr;
        sqlite3_prepare_v2(db, "UPDATE cards SET f1 = ? WHERE id = ?", -1, &update, nullptr);
        for (int lemma = 0; lemma < text.lemmaCount(); ++lemma) {
            sqlite3_bind_text(update, 1, text.lemma(lemma).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(update, 2, lemma + 1);
            sqlite3_step(update);
            sqlite3_reset(update);
        }
        sqlite3_finalize(update);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return copy;
    }();
    return path;
}

} // namespace benchsets
