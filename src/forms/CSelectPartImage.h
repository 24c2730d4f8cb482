#pragma once

// The one picture of a part quote or a parts inventory record. The forms keep
// one for their whole life and use it also unseen (the quick quote): the
// picture array is rebuilt after every change and always holds one picture,
// the trimmed path (empty for none), the title "part_image" and number "1".

#include "app/CPicture.h"
#include "app/Interfaces.h"

#include <QDialog>

class PictureBox;
class QLineEdit;
class QPushButton;

class CSelectPartImage : public QDialog
{
    Q_OBJECT
public:
    explicit CSelectPartImage(QWidget *parent = nullptr);

    int DoModal();
    // Keeps the path, loads the picture (a file that is no picture leaves none) and collects.
    void SetPictureFile(const QString &path);
    void ClearPicture();
    // The one-element array from the path.
    void CollectPictures();
    const QList<InvPicture> &Pictures() const { return m_pictures.Pictures(); }
    QString PictureFile() const { return m_path; }
    const CPicture &Image() const { return m_image; }

protected:
    void done(int result) override;

private:
    void OnBrowse();
    void OnClear();
    void TakeControls();
    void ShowPath();

    CPicture m_image;
    QString m_path;
    PictureCollection m_pictures{1};
    PictureBox *m_preview;
    QLineEdit *m_pathEdit;
    QPushButton *m_browse, *m_clear;
};
