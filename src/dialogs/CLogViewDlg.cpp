#include "CLogViewDlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

QString CLogViewDlg::ExpandTabs(const QString &line)
{
    if (!line.contains(u'\t'))
        return line;
    QString out;
    out.reserve(line.size() + 16);
    for (const QChar c : line) {
        if (c != u'\t') {
            out += c;
            continue;
        }
        const int column = int(out.size());
        const int extra = qMin(8, 10 - (column + 1) % 10);
        out += QString(extra + 1, u' ');
    }
    return out;
}

QStringList CLogViewDlg::ReadLogLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes[stop - 1] == '\r')
            --stop;
        lines.append(ExpandTabs(QString::fromUtf8(bytes.constData() + start, stop - start)));
        start = end + 1;
    }
    return lines;
}

CLogViewDlg::CLogViewDlg(const QString &path, QWidget *parent) : QDialog(parent), m_path(path)
{
    setObjectName(QStringLiteral("CLogViewDlg"));
    setWindowTitle(QStringLiteral("Log View"));
    auto *layout = new QVBoxLayout(this);
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("logList"));
    // Every row is one line of one font: the view need not measure them.
    m_list->setUniformItemSizes(true);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new QStringListModel(ReadLogLines(path), this);
    m_list->setModel(m_model);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLogViewDlg::accept);
    resize(640, 420);
    m_list->scrollToBottom();
}

QStringList CLogViewDlg::Lines() const
{
    return m_model->stringList();
}
