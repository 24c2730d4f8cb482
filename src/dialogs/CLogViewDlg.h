#pragma once

// Shows a text file (the import log) one line per row, tabs expanded so the
// columns line up, scrolled to the last line. A file that cannot be read
// shows an empty list.

#include <QDialog>
#include <QStringList>

class QListView;
class QStringListModel;

class CLogViewDlg : public QDialog
{
    Q_OBJECT
public:
    // Each tab becomes a space with 10 - (column + 1) % 10 more before it,
    // never more than 8, the column counted in the expanded line.
    static QString ExpandTabs(const QString &line);
    // The file's lines, expanded; the CR of a CR LF is dropped.
    static QStringList ReadLogLines(const QString &path);

    explicit CLogViewDlg(const QString &path, QWidget *parent = nullptr);
    int DoModal() { return exec(); }
    QStringList Lines() const;

private:
    QString m_path;
    QListView *m_list;
    QStringListModel *m_model;
};
