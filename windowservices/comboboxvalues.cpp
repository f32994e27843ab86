#include "comboboxvalues.h"

#include "announcement.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPointer>
#include <QTimer>

namespace karte {

namespace {

// The description the layout gives the box, which follows the value.
const char kDescriptionProperty[] = "karteDescriptionAfterValue";

void describeWithValue(QComboBox* box)
{
    const QString description = box->property(kDescriptionProperty).toString();
    const QString value = box->currentText();
    box->setAccessibleDescription(value.isEmpty() ? description
            : description.isEmpty()               ? value
                                                  : value + QLatin1String(". ") + description);
}

// Boxes filled while their window was hidden, with their signals blocked, are described anew as it shows.
class DescribeOnShow : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Once the window's own showing handlers have filled them.
        if (event->type() == QEvent::Show)
            QTimer::singleShot(0, watched, [window = static_cast<QWidget*>(watched)] {
                for (QComboBox* box : window->findChildren<QComboBox*>())
                    if (box->property(kDescriptionProperty).isValid() && !box->hasFocus())
                        describeWithValue(box);
            });
        return false;
    }
};

} // namespace

void keepComboBoxValuesReadable(QWidget* window)
{
    window->installEventFilter(new DescribeOnShow(window));
    for (QComboBox* box : window->findChildren<QComboBox*>()) {
        box->setProperty(kDescriptionProperty, box->accessibleDescription());
        describeWithValue(box);
        QObject::connect(box, &QComboBox::currentIndexChanged, box, [box] {
            // A description that changes while the box has the focus is said again whole; the value alone is
            // said instead, before what the change brings about.
            if (box->hasFocus() && box->isVisible())
                announceFirst(box, box->currentText());
            else
                describeWithValue(box);
        });
        QObject::connect(qApp, &QApplication::focusChanged, box, [box = QPointer<QComboBox>(box)](QWidget* old) {
            if (box && old == box)
                describeWithValue(box);
        });
    }
}

} // namespace karte
