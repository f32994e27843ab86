#pragma once

#include <QLabel>
#include <QPointer>

#include <string>

class TDataSource;

// A label that shows one field of the current record of its data source, as the field's display text. The text
// is drawn as it is (an '&' is a character, never an access-key mark). A hidden label keeps following the
// record, so showing it shows the current card at once. With no open table, or no field of that name, it is
// empty.
class TDBText : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString dataField READ dataField WRITE setDataField)
    Q_PROPERTY(bool autoSize READ autoSize WRITE setAutoSize)

public:
    explicit TDBText(QWidget* parent = nullptr);

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const { return source_; }
    void setDataField(const QString& name);
    QString dataField() const { return dataField_; }
    // Whether the label takes the size of its text whenever the text changes. The size follows once control is
    // back in the event loop, so a walk over a whole set measures the text once, not once a card.
    void setAutoSize(bool on);
    bool autoSize() const { return autoSize_; }

private:
    void showField(int changedField);
    void showRecord();
    void fitSizeLater();

    QPointer<TDataSource> source_;
    QString dataField_;
    std::string fieldName_; // dataField_ as the engine names fields

    bool autoSize_ = false;
    bool sizePending_ = false;
};
