#include "tdatasource.h"

#include "table.h"

TDataSource::TDataSource(QObject* parent)
    : QObject(parent)
{
}

TDataSource::~TDataSource()
{
    if (table_)
        table_->removeListener(listenerId_);
}

void TDataSource::setDataSet(cardstore::Table* table)
{
    if (table_ == table)
        return;
    if (table_)
        table_->removeListener(listenerId_);
    table_ = table;
    listenerId_ = 0;
    if (table_) {
        listenerId_ = table_->addListener([this](cardstore::DataEvent event, int fieldIndex) {
            switch (event) {
            case cardstore::DataEvent::DataSetChange:
            case cardstore::DataEvent::RecordChange:
                tellControls(-1);
                if (OnDataChange)
                    OnDataChange(-1);
                break;
            case cardstore::DataEvent::FieldChange:
                tellControls(fieldIndex);
                if (OnDataChange)
                    OnDataChange(fieldIndex);
                break;
            case cardstore::DataEvent::StateChange:
            case cardstore::DataEvent::Closed:
                Q_EMIT stateChanged();
                if (OnStateChange)
                    OnStateChange();
                break;
            case cardstore::DataEvent::UpdateRecord: {
                Q_EMIT updateRecord();
                // An updater may unregister another while it runs, so walk a copy.
                const auto updaters = updaters_;
                for (const auto& [id, updater] : updaters)
                    updater();
                break;
            }
            }
        });
    }
    Q_EMIT stateChanged();
}

int TDataSource::addRecordUpdater(std::function<void()> updater)
{
    updaters_.emplace_back(nextUpdaterId_, std::move(updater));
    return nextUpdaterId_++;
}

void TDataSource::removeRecordUpdater(int id)
{
    std::erase_if(updaters_, [id](const auto& entry) { return entry.first == id; });
}

void TDataSource::tellControls(int fieldIndex)
{
    if (disabledCount_ > 0)
        changedWhileDisabled_ = true;
    else
        Q_EMIT dataChanged(fieldIndex);
}

void TDataSource::disableControls()
{
    ++disabledCount_;
}

void TDataSource::enableControls()
{
    if (disabledCount_ == 0 || --disabledCount_ > 0)
        return;
    if (changedWhileDisabled_) {
        changedWhileDisabled_ = false;
        Q_EMIT dataChanged(-1);
    }
    Q_EMIT controlsEnabled();
}

bool TDataSource::active() const
{
    return table_ && table_->active();
}
