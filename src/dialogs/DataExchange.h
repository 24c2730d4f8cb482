#pragma once

// Binds the field checks of FieldValidation to widgets. A dialog runs one
// exchange per OK press: loading fills the fields, saving reads and checks
// them. The first failure shows one "Validation Error" box, puts the focus on
// the failing field and ends the exchange: later calls on a failed exchange
// do nothing, and the caller keeps its values.

#include <QString>

class QLineEdit;
class QWidget;

class DataExchange
{
public:
    DataExchange(QWidget *dialog, bool saving) : m_dialog(dialog), m_saving(saving) {}

    bool Saving() const { return m_saving; }
    bool Failed() const { return m_failed; }
    bool Ok() const { return !m_failed; }
    QWidget *Dialog() const { return m_dialog; }

    // Shows the box (unless the exchange already failed) and marks the failure.
    void Fail(const QString &message, QWidget *control);

private:
    QWidget *m_dialog;
    bool m_saving;
    bool m_failed = false;
};

// Each returns false when the exchange has failed (now or before).
bool DDX_RequiredDouble(DataExchange &dx, QLineEdit *edit, const QString &name, bool required, double &value);
bool DDX_RequiredLong(DataExchange &dx, QLineEdit *edit, const QString &name, bool required, qint32 &value);
bool DDV_MustBeSelected(DataExchange &dx, const QString &name, bool orEntered, const QString &text,
                        QWidget *control = nullptr);
bool DDV_MustBeEntered(DataExchange &dx, const QString &name, const QString &text, QWidget *control = nullptr);
bool DDV_GreaterThanZeroDouble(DataExchange &dx, const QString &name, double value, QWidget *control = nullptr);
bool DDV_GreaterThanZeroLong(DataExchange &dx, const QString &name, qint32 value, QWidget *control = nullptr);
void ShowValidationError(DataExchange &dx, const QString &text, QWidget *control = nullptr);

// The "Validation Error" box alone (error icon, plain text).
void ShowValidationBox(QWidget *parent, const QString &text);
