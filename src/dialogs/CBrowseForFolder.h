#pragma once

// The folder picker: the desktop's folder dialog started at a root (or at an
// initial folder for CSBDestination); the chosen path and its display name.

#include <QString>

class QWidget;

class CBrowseForFolder
{
public:
    CBrowseForFolder(QWidget *owner = nullptr, const QString &root = QString(), const QString &title = QString());
    virtual ~CBrowseForFolder() = default;

    // Shows the dialog; true with a chosen folder.
    bool SelectFolder();
    QString GetSelectedFolder() const { return m_path; }
    QString GetDisplayName() const { return m_displayName; }

    // Only while the dialog is closed.
    void SetOwner(QWidget *owner) { m_owner = owner; }
    void SetRoot(const QString &root) { m_root = root; }
    void SetTitle(const QString &title) { m_title = title; }

    // Replaces the desktop dialog (tests); returns the previous chooser.
    using Chooser = QString (*)(QWidget *owner, const QString &title, const QString &start);
    static Chooser SetChooser(Chooser chooser);

protected:
    // Where the dialog starts.
    virtual QString StartFolder() const { return m_root; }

private:
    QWidget *m_owner;
    QString m_root;
    QString m_title;
    QString m_path;
    QString m_displayName;
};

class CSBDestination : public CBrowseForFolder
{
public:
    explicit CSBDestination(QWidget *owner = nullptr, const QString &title = QString());
    void SetInitialSelection(const QString &path) { m_initial = path; }

protected:
    QString StartFolder() const override { return m_initial; }

private:
    QString m_initial;
};
