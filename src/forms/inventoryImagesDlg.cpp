#include "inventoryImagesDlg.h"

#include "PictureSlots.h"

#include "app/WaitCursor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

inventoryImagesDlg::inventoryImagesDlg(QWidget *parent) : PropertyPage(QStringLiteral("Car Pictures"), parent)
{
    setObjectName(QStringLiteral("inventoryImagesDlg"));
    auto *top = new QVBoxLayout(this);
    auto *text = new QLabel(QStringLiteral("You may include up to six picture of the vehicle you are selling and type a "
                                           "brief description of the context of each photo."),
                            this);
    text->setWordWrap(true);
    top->addWidget(text);
    auto *grid = new QGridLayout;
    for (int i = 0; i < SlotCount; ++i) {
        Slot &s = m_ui[size_t(i)];
        auto *cell = new QWidget(this);
        cell->setObjectName(QStringLiteral("slot%1").arg(i + 1));
        auto *cl = new QGridLayout(cell);
        cl->setContentsMargins(2, 2, 2, 2);
        s.preview = new PictureBox(&s.image, cell);
        s.preview->setObjectName(QStringLiteral("preview%1").arg(i + 1));
        s.preview->setMinimumSize(150, 110);
        s.path = new QLineEdit(cell);
        s.path->setObjectName(QStringLiteral("path%1").arg(i + 1));
        s.path->setPlaceholderText(QStringLiteral("Picture %1").arg(i + 1));
        s.title = new QLineEdit(cell);
        s.title->setObjectName(QStringLiteral("title%1").arg(i + 1));
        s.title->setMaxLength(128);
        s.title->setPlaceholderText(QStringLiteral("Title"));
        auto *browse = new QPushButton(QStringLiteral("..."), cell);
        browse->setObjectName(QStringLiteral("browse%1").arg(i + 1));
        browse->setFixedWidth(28);
        auto *clear = new QPushButton(QStringLiteral("X"), cell);
        clear->setObjectName(QStringLiteral("clear%1").arg(i + 1));
        clear->setFixedWidth(28);
        cl->addWidget(s.preview, 0, 0, 1, 3);
        cl->addWidget(s.path, 1, 0);
        cl->addWidget(browse, 1, 1);
        cl->addWidget(clear, 1, 2);
        cl->addWidget(s.title, 2, 0, 1, 3);
        grid->addWidget(cell, i / 3, i % 3);
        connect(browse, &QPushButton::clicked, this, [this, i] { Browse(i); });
        connect(clear, &QPushButton::clicked, this, [this, i] { Clear(i); });
    }
    top->addLayout(grid, 1);
    m_slots.CollectPictures();
}

void inventoryImagesDlg::ShowSlots()
{
    WaitCursor wait;
    for (int i = 0; i < SlotCount; ++i) {
        Slot &s = m_ui[size_t(i)];
        const QString file = m_slots.File(i).trimmed();
        s.path->setText(file);
        s.title->setText(m_slots.Title(i));
        s.image.Destroy();
        if (!file.isEmpty())
            LoadPictureFile(s.image, file);
        s.preview->update();
    }
    m_slots.CollectPictures();
}

void inventoryImagesDlg::TakeControls()
{
    for (int i = 0; i < SlotCount; ++i) {
        const Slot &s = m_ui[size_t(i)];
        m_slots.SetPicture(i, s.path->text().trimmed(), s.title->text());
    }
}

void inventoryImagesDlg::CollectPictures()
{
    TakeControls();
    m_slots.CollectPictures();
    for (int i = 0; i < SlotCount; ++i)
        m_ui[size_t(i)].path->setText(m_slots.File(i));
}

void inventoryImagesDlg::Reload()
{
    for (int i = 0; i < SlotCount; ++i)
        m_slots.SetPicture(i, QString(), QString());
    ShowSlots();
}

bool inventoryImagesDlg::HasPictures() const
{
    for (int i = 0; i < SlotCount; ++i) {
        if (!m_ui[size_t(i)].path->text().trimmed().isEmpty())
            return true;
    }
    return false;
}

void inventoryImagesDlg::Browse(int slot)
{
    const QString file = PictureSlots::ChooseFile();
    if (file.isEmpty())
        return;
    Slot &s = m_ui[size_t(slot)];
    CPicture image;
    if (!PictureSlots::TakeFile(this, file, image))
        return;
    s.image = image;
    s.path->setText(file);
    s.preview->update();
}

void inventoryImagesDlg::Clear(int slot)
{
    Slot &s = m_ui[size_t(slot)];
    s.path->clear();
    s.title->clear();
    s.image.Destroy();
    s.preview->update();
    TakeControls();
}

bool inventoryImagesDlg::OnApply()
{
    WaitCursor wait;
    CollectPictures();
    return true;
}

void inventoryImagesDlg::OnCancel()
{
    WaitCursor wait;
    CollectPictures();
}

int inventoryImagesDlg::OnQuerySiblings(int)
{
    CollectPictures();
    return 0;
}
