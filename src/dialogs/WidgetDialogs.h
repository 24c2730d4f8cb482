#pragma once

// The widget implementation of the core's dialogs interface: main() installs
// one with theApp().SetDialogs(...). Every method runs on the main thread (the
// core routes worker-thread calls through its UiDispatcher) and blocks in its
// own modal loop until the member answers.

#include "app/Interfaces.h"

#include <QPointer>

#include <functional>
#include <QWidget>

class WidgetDialogs : public IDialogs
{
public:
    // The window that owns the boxes while the core's main-window flag is set.
    void SetMainWindow(QWidget *window) { m_mainWindow = window; }

    int MessageBox(const QString &text, const QString &caption, unsigned flags) override;
    // text is the box's caption, detail its message.
    int MessageDlg(const QString &text, const QString &detail, int *flag, int mode, int icon) override;
    int MessageDlg2(const QString &text, const QString &detail, int *flag, int mode, int icon) override;
    // Both button texts empty: a Yes/No question; else two buttons with those texts.
    int LinkMessageDlg(const LinkBoxRequest &request) override;
    int LoginDlg(int mode) override;
    // Opens the sheet through the opener main() gives; without one answers 0 (not confirmed).
    int ProfileSheet(const QString &caption, bool editing) override;
    void SetProfileSheetOpener(std::function<int(const QString &caption, bool editing)> opener)
    {
        m_profileSheet = std::move(opener);
    }
    int SubscribeMsgDlg(const QString &notice, bool disableBuyPasses) override;
    QString GetOpenFileName(const QString &title, const QString &filter, const QString &file) override;
    QString GetSaveFileName(const QString &title, const QString &filter, const QString &defaultExt,
                            const QString &file) override;
    std::unique_ptr<IProgress> CreateProgress() override;

private:
    QWidget *Owner() const;

    QPointer<QWidget> m_mainWindow;
    std::function<int(const QString &, bool)> m_profileSheet;
};
