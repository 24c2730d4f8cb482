#pragma once

// The part picker: the part names of one category (all of them for a
// category of 0 or less), a box to type a name, the first name beginning
// with the typed text selected as one types. A typed name no entry begins
// with is returned as typed, with index -1.

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

class PartSelectDlg : public QDialog
{
    Q_OBJECT
public:
    struct Choice
    {
        QString name;
        int index = -1;
    };
    // The first name beginning with the text, case ignored; -1 for none or an empty text.
    static int MatchPrefix(const QStringList &names, const QString &typed);
    // What OK takes from the typed text and the selected row.
    static Choice Choose(const QStringList &names, const QString &typed, int selected);

    PartSelectDlg(int categoryId, int preselect, QWidget *parent = nullptr);

    QString GetPartName() const { return m_choice.name; }
    int GetPartIndex() const { return m_choice.index; }
    int DoModal() { return exec(); }

    void accept() override;

private:
    QStringList m_names;
    Choice m_choice;
    QLineEdit *m_edit;
    QListWidget *m_list;
};
