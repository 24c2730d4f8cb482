#include "CSelectPartImage.h"

#include "PictureSlots.h"

#include "app/WaitCursor.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSelectPartImage::CSelectPartImage(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CSelectPartImage"));
    setWindowTitle(QStringLiteral("Part image"));
    auto *top = new QVBoxLayout(this);
    m_preview = new PictureBox(&m_image, this);
    m_preview->setObjectName(QStringLiteral("previewBox"));
    m_preview->setMinimumSize(240, 180);
    top->addWidget(m_preview, 1);
    auto *row = new QGridLayout;
    auto *title = new QLabel(QStringLiteral("Select part image >>"), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    m_pathEdit = new QLineEdit(this);
    m_pathEdit->setObjectName(QStringLiteral("pathEdit"));
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setFixedWidth(30);
    m_clear = new QPushButton(QStringLiteral("X"), this);
    m_clear->setObjectName(QStringLiteral("clearButton"));
    m_clear->setFixedWidth(30);
    row->addWidget(title, 0, 0);
    row->addWidget(m_pathEdit, 0, 1);
    row->addWidget(m_browse, 0, 2);
    row->addWidget(m_clear, 0, 3);
    row->setColumnStretch(1, 1);
    top->addLayout(row);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    top->addWidget(buttons);
    connect(m_browse, &QPushButton::clicked, this, &CSelectPartImage::OnBrowse);
    connect(m_clear, &QPushButton::clicked, this, &CSelectPartImage::OnClear);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    CollectPictures();
}

void CSelectPartImage::done(int result)
{
    // OK, Cancel and Escape alike keep what was chosen.
    TakeControls();
    QDialog::done(result);
}

int CSelectPartImage::DoModal()
{
    ShowPath();
    return exec() == QDialog::Accepted ? MsgBox::IdOk : MsgBox::IdCancel;
}

void CSelectPartImage::ShowPath()
{
    m_pathEdit->setText(m_path);
}

void CSelectPartImage::SetPictureFile(const QString &path)
{
    m_path = path.trimmed();
    m_image.Destroy();
    if (!m_path.isEmpty()) {
        WaitCursor wait;
        LoadPictureFile(m_image, m_path);
    }
    ShowPath();
    m_preview->update();
    CollectPictures();
}

void CSelectPartImage::ClearPicture()
{
    SetPictureFile(QString());
}

void CSelectPartImage::CollectPictures()
{
    m_pictures.SetPicture(0, m_path.trimmed(), QStringLiteral("part_image"));
    m_pictures.CollectPictures();
}

void CSelectPartImage::OnBrowse()
{
    const QString path = PictureSlots::ChooseFile();
    if (path.isEmpty())
        return;
    CPicture image;
    if (!PictureSlots::TakeFile(this, path, image))
        return;
    m_image = image;
    m_path = path;
    ShowPath();
    m_preview->update();
    CollectPictures();
}

void CSelectPartImage::OnClear()
{
    m_path.clear();
    m_image.Destroy();
    ShowPath();
    m_preview->update();
    CollectPictures();
}

void CSelectPartImage::TakeControls()
{
    WaitCursor wait;
    const QString typed = m_pathEdit->text().trimmed();
    if (typed != m_path) {
        // A typed path counts like a chosen one: only a picture is taken.
        CPicture image;
        if (typed.isEmpty() || LoadPictureFile(image, typed)) {
            m_path = typed;
            m_image = image;
        }
    }
    CollectPictures();
}
