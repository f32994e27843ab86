#pragma once

#include <QObject>

#include <functional>
#include <utility>
#include <vector>

namespace cardstore {
class Table;
}

// The link between one table and the controls that show its current record. It listens to the table and passes
// each notification on: first to the bound controls (through its signals), then to its own handlers.
//
// The handlers are plain calls, not signals, because they may raise: an error raised by OnDataChange travels
// back through the table operation that caused the change, to the command that started it, which is where the
// program reports it. The bound controls never raise.
//
// A data source must not outlive the table it is bound to.
class TDataSource : public QObject
{
    Q_OBJECT

public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    void setDataSet(cardstore::Table* table);
    cardstore::Table* dataSet() const { return table_; }
    // Whether the bound table is open, so that controls have a record to show.
    bool active() const;

    // Runs after the bound controls have shown a data change (the table opened, refreshed, moved, or a field of
    // the current record written); fieldIndex is the written field, or -1 for a change of the whole record.
    std::function<void(int fieldIndex)> OnDataChange;
    // Runs after a change of the table's record state, including its closing.
    std::function<void()> OnStateChange;

    // Controls holding text the user typed register here to write it into the record when the table asks for
    // it, before a post or a move. Unlike the signals, an updater may raise: a text its field refuses ends the
    // table operation that asked, and that operation's caller reports it.
    int addRecordUpdater(std::function<void()> updater);
    void removeRecordUpdater(int id);

    // While disabled (the calls nest), the bound controls are not told of the records a walk passes over: a walk
    // over a big set would otherwise lay out every card's text in every control, hidden ones included. The
    // handlers still run at every move. Enabling again tells the controls once, if anything changed meanwhile,
    // so they show the record the walk ended on.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabledCount_ > 0; }

Q_SIGNALS:
    // The current record, or one field of it (fieldIndex >= 0), is to be shown anew.
    void dataChanged(int fieldIndex);
    // The table's record state changed; active() tells whether it is still open.
    void stateChanged();
    // Controls holding text the user typed are to write it into the record now.
    void updateRecord();
    // The controls have been enabled again, after dataChanged told them of the record the walk ended on.
    void controlsEnabled();

private:
    void tellControls(int fieldIndex);

    cardstore::Table* table_ = nullptr;
    int listenerId_ = 0;
    std::vector<std::pair<int, std::function<void()>>> updaters_;
    int nextUpdaterId_ = 1;
    int disabledCount_ = 0;
    bool changedWhileDisabled_ = false;
};

// Disables a data source's controls for as long as it lives, so that they are enabled again however the walk ends.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(TDataSource& source)
        : source_(source)
    {
        source_.disableControls();
    }
    ~ControlsDisabled() { source_.enableControls(); }
    ControlsDisabled(const ControlsDisabled&) = delete;
    ControlsDisabled& operator=(const ControlsDisabled&) = delete;

private:
    TDataSource& source_;
};
