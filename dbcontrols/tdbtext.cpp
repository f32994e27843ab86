#include "tdbtext.h"

#include "table.h"
#include "tdatasource.h"

TDBText::TDBText(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void TDBText::setDataSource(TDataSource* source)
{
    if (source_ == source)
        return;
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &TDataSource::dataChanged, this, &TDBText::showField);
        connect(source_, &TDataSource::stateChanged, this, &TDBText::showRecord);
    }
    showRecord();
}

void TDBText::setDataField(const QString& name)
{
    dataField_ = name;
    fieldName_ = name.toStdString();
    showRecord();
}

void TDBText::setAutoSize(bool on)
{
    autoSize_ = on;
    if (autoSize_)
        adjustSize();
}

void TDBText::showField(int changedField)
{
    if (changedField < 0 || !source_ || !source_->active()
        || changedField == source_->dataSet()->fieldIndex(fieldName_))
        showRecord();
}

void TDBText::showRecord()
{
    QString shown;
    if (source_ && source_->active()) {
        const cardstore::Table& table = *source_->dataSet();
        // A table without the field is shown as an empty label; reading the field is left to the code that
        // needs it, which reports the missing field.
        int index = table.fieldIndex(fieldName_);
        if (index >= 0)
            shown = QString::fromStdString(table.fieldText(index));
    }
    if (shown == text())
        return;
    setText(shown);
    if (autoSize_)
        fitSizeLater();
}

void TDBText::fitSizeLater()
{
    if (sizePending_)
        return;
    sizePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            sizePending_ = false;
            if (autoSize_)
                adjustSize();
        },
        Qt::QueuedConnection);
}
