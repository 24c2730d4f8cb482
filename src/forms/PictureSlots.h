#pragma once

// What the picture dialog and the car pictures page share: the preview that
// paints a picture scaled down to fit, the file chooser, and taking a chosen
// file only when it loads as a picture.

#include "app/CPicture.h"

#include <QWidget>

class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(const CPicture *image, QWidget *parent = nullptr);
    QSize sizeHint() const override { return {160, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const CPicture *m_image;
};

namespace PictureSlots {

// BMP and JPEG files, their extensions in either case.
QString FileFilter();
// The file-open dialog for a picture; empty when cancelled.
QString ChooseFile();
// Loads the file into `image` under a wait cursor. A file that is no picture
// leaves `image` as it was and says so in a box; false then.
bool TakeFile(QWidget *parent, const QString &path, CPicture &image);

} // namespace PictureSlots
