#include "DataExchange.h"

#include "FieldValidation.h"

#include <QLineEdit>
#include <QMessageBox>

void ShowValidationBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Validation Error"), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("validationErrorBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void DataExchange::Fail(const QString &message, QWidget *control)
{
    if (m_failed)
        return;
    m_failed = true;
    ShowValidationBox(m_dialog, message);
    if (control)
        control->setFocus(Qt::OtherFocusReason);
}

namespace {

bool Check(DataExchange &dx, const QString &message, QWidget *control)
{
    if (dx.Failed())
        return false;
    if (!dx.Saving() || message.isEmpty())
        return true;
    dx.Fail(message, control);
    return false;
}

} // namespace

bool DDX_RequiredDouble(DataExchange &dx, QLineEdit *edit, const QString &name, bool required, double &value)
{
    if (dx.Failed())
        return false;
    if (!dx.Saving()) {
        edit->setText(FieldValidation::FormatDouble(value));
        return true;
    }
    return Check(dx, FieldValidation::RequiredDouble(edit->text(), name, required, value), edit);
}

bool DDX_RequiredLong(DataExchange &dx, QLineEdit *edit, const QString &name, bool required, qint32 &value)
{
    if (dx.Failed())
        return false;
    if (!dx.Saving()) {
        edit->setText(FieldValidation::FormatLong(value));
        return true;
    }
    return Check(dx, FieldValidation::RequiredLong(edit->text(), name, required, value), edit);
}

bool DDV_MustBeSelected(DataExchange &dx, const QString &name, bool orEntered, const QString &text, QWidget *control)
{
    return Check(dx, dx.Saving() ? FieldValidation::MustBeSelected(name, orEntered, text) : QString(), control);
}

bool DDV_MustBeEntered(DataExchange &dx, const QString &name, const QString &text, QWidget *control)
{
    return Check(dx, dx.Saving() ? FieldValidation::MustBeEntered(name, text) : QString(), control);
}

bool DDV_GreaterThanZeroDouble(DataExchange &dx, const QString &name, double value, QWidget *control)
{
    return Check(dx, dx.Saving() ? FieldValidation::GreaterThanZeroDouble(name, value) : QString(), control);
}

bool DDV_GreaterThanZeroLong(DataExchange &dx, const QString &name, qint32 value, QWidget *control)
{
    return Check(dx, dx.Saving() ? FieldValidation::GreaterThanZeroLong(name, value) : QString(), control);
}

void ShowValidationError(DataExchange &dx, const QString &text, QWidget *control)
{
    dx.Fail(text, control);
}
