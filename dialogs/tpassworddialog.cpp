#include "tpassworddialog.h"

#include "errorbox.h"
#include "placement.h"
#include "protectedfile.h"
#include "session.h"
#include "ui_tpassworddialog.h"
#include "windowscaling.h"

#include <QByteArray>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// Copies of a password made on its way to the engine are overwritten before their memory is given back.
void wipe(void* data, std::size_t size)
{
    explicit_bzero(data, size);
}

void wipe(std::string& text)
{
    wipe(text.data(), text.size());
}

// Hands the password in text to one of the session's list operations. An empty text is never handed over.
void handOver(const QString& text, void (cardstore::Session::*operation)(const std::string&))
{
    if (text.isEmpty())
        return;
    std::string password = karte::passwordForEngine(text);
    const auto wipeCopy = qScopeGuard([&password] { wipe(password); });
    (cardstore::Session::instance().*operation)(password);
}

} // namespace

namespace karte {

std::string passwordForEngine(const QString& text)
{
    const auto limit = static_cast<qsizetype>(cardstore::protectedformat::kMaxPasswordLength);
    qsizetype end = 0;
    for (qsizetype characters = 0; end < text.size() && characters < limit; ++characters)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate() ? 2 : 1;
    QByteArray utf8 = QStringView(text).left(end).toUtf8();
    std::string password(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    wipe(utf8.data(), static_cast<std::size_t>(utf8.size()));
    return password;
}

bool requestPassword()
{
    TPasswordDialog prompt;
    return prompt.exec() == QDialog::Accepted;
}

} // namespace karte

TPasswordDialog::TPasswordDialog(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TPasswordDialog>())
{
    ui->setupUi(this);
    karte::scaleToScreen(this, karte::kPasswordPromptDesignDpi);
    setFixedSize(size());
    karte::centreOnScreen(this);
    ui->Edit->setFocus();

    using karte::connectHandler;
    connectHandler(ui->Edit, &QLineEdit::textChanged, this, &TPasswordDialog::EditChange);
    connectHandler(ui->AddButton, &QPushButton::clicked, this, &TPasswordDialog::AddButtonClick);
    connectHandler(ui->RemoveButton, &QPushButton::clicked, this, &TPasswordDialog::RemoveButtonClick);
    connectHandler(ui->RemoveAllButton, &QPushButton::clicked, this, &TPasswordDialog::RemoveAllButtonClick);
    connectHandler(ui->OKButton, &QPushButton::clicked, this, &TPasswordDialog::OKButtonClick);
    connect(ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TPasswordDialog::~TPasswordDialog()
{
    const QSignalBlocker quiet(ui->Edit);
    clearEdit();
}

void TPasswordDialog::clearEdit()
{
    // The copy shares the box's text; once the box has let go of it, the copy is its only holder and can be
    // overwritten in place.
    QString text = ui->Edit->text();
    ui->Edit->setText(QString());
    if (text.isDetached())
        std::fill(text.begin(), text.end(), QChar());
}

void TPasswordDialog::EditChange(QObject* /*sender*/)
{
    const bool hasText = !ui->Edit->text().isEmpty();
    ui->AddButton->setEnabled(hasText);
    ui->RemoveButton->setEnabled(hasText);
    ui->OKButton->setEnabled(hasText || passwordAdded_);
}

void TPasswordDialog::AddButtonClick(QObject* /*sender*/)
{
    const QString text = ui->Edit->text();
    if (text.isEmpty())
        return;
    // A password the engine refuses leaves the box as it was and counts as nothing added.
    handOver(text, &cardstore::Session::addPassword);
    passwordAdded_ = true;
    clearEdit();
    ui->Edit->setFocus();
}

void TPasswordDialog::RemoveButtonClick(QObject* /*sender*/)
{
    handOver(ui->Edit->text(), &cardstore::Session::removePassword);
    clearEdit();
    ui->Edit->setFocus();
}

void TPasswordDialog::RemoveAllButtonClick(QObject* /*sender*/)
{
    cardstore::Session::instance().removeAllPasswords();
    ui->Edit->setFocus();
}

void TPasswordDialog::OKButtonClick(QObject* /*sender*/)
{
    // The prompt closes with OK whatever the engine makes of the password: a refusal is shown, and the open is
    // tried again all the same.
    try {
        handOver(ui->Edit->text(), &cardstore::Session::addPassword);
    } catch (const std::exception& error) {
        karte::showException(error);
    }
    accept();
}
