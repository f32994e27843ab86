#include "cardexport.h"

#include "exporter.h"
#include "workprogress.h"

#include <QFileInfo>

namespace karte {

std::size_t exportCards(cardstore::Table& set, const QString& path, QWidget* parent)
{
    interchange::ExportSettings settings;
    settings.format = interchange::exportFormatFor(path.toStdString());
    // Only a file that was there when the Save dialog asked about it is replaced; one that another program puts
    // there meanwhile is kept, and the export refused.
    settings.overwrite = QFileInfo::exists(path);
    WorkProgress progress(parent, QStringLiteral("Export Cards"), { interchange::Phase::Writing });
    progress.setPhaseText(interchange::Phase::Writing, QStringLiteral("Writing %1...").arg(QFileInfo(path).fileName()));
    return interchange::exportSet(set, path.toStdString(), settings, progress.callback());
}

} // namespace karte
