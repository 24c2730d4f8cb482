#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// Hands a message with attachments to the member's mail program through
// xdg-email, which opens its compose window filled in. The maps are ordered by
// key; an address or path given twice keeps one entry with the last name.
// xdg-email has no sender or attachment-title options: the mail program uses
// its own account, and files are shown under their own names.
class CMailMsg
{
public:
    CMailMsg();
    virtual ~CMailMsg();

    // Whether the mail tool is available (found on PATH, or the path given).
    bool LoadMapi();

    // Each adds its entry only when the mail tool is available.
    void SetFrom(const QString &address, const QString &name);
    void AddTo(const QString &address, const QString &name);
    void AddCc(const QString &address, const QString &name);
    void AddBcc(const QString &address, const QString &name);
    void AddAttachment(const QString &path, const QString &title);
    void SetSubject(const QString &text) { m_subject = text; }
    void SetBody(const QString &text) { m_body = text; }

    // Runs the mail tool; true when it accepted the message (exit code 0).
    bool Send();

    // The tool's arguments for this message (every "to" address is passed).
    QStringList Arguments() const;

    // The tool to run: the override, else $KORVANT_XDG_EMAIL, else "xdg-email".
    static void SetProgram(const QString &program);
    static QString Program();

private:
    QString ResolvedProgram() const;

    QMap<QString, QString> m_from;
    QMap<QString, QString> m_to;
    QMap<QString, QString> m_cc;
    QMap<QString, QString> m_bcc;
    QMap<QString, QString> m_attachments;
    QString m_subject;
    QString m_body;
    bool m_loaded = false;
};
