#pragma once

// A dialog's remembered placement: loaded when the dialog is built, applied
// once it is laid out, taken whenever the shown window moves or is resized,
// and saved when the dialog goes.

#include "app/XLayoutSettings.h"

#include <QObject>

class QWidget;

class FormPlacement : public QObject
{
public:
    FormPlacement(QWidget *window, const QString &name);
    ~FormPlacement() override;
    void Apply();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    XLayoutSettings m_layout;
};
