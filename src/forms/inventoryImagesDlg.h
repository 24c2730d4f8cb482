#pragma once

// The "Car Pictures" page of the car quote and car inventory sheet: six
// slots, each a file, a title and a preview. The slots live in a
// PictureCollection that XPoller::LoadCarImages fills and CollectPictures
// turns into six pictures, numbered 1 to 6, empty ones with an empty path
// (so that the savers delete a removed picture's files).

#include "dialogs/PropertySheet.h"

#include "app/CPicture.h"
#include "app/Interfaces.h"

#include <array>

class PictureBox;
class QLineEdit;
class QPushButton;

class inventoryImagesDlg : public PropertyPage
{
    Q_OBJECT
public:
    static constexpr int SlotCount = 6;

    explicit inventoryImagesDlg(QWidget *parent = nullptr);

    // The slots' files and titles; after changing them call ShowSlots.
    PictureCollection &Slots() { return m_slots; }
    // The controls and previews follow the slots (pictures loaded from their files).
    void ShowSlots();
    // Takes the controls' values and collects the six pictures.
    void CollectPictures();
    const QList<InvPicture> &Pictures() const { return m_slots.Pictures(); }
    // Every slot emptied (before the sheet reloads its record).
    void Reload();
    bool HasPictures() const;

    bool OnApply() override;
    void OnCancel() override;
    int OnQuerySiblings(int param) override;

private:
    struct Slot
    {
        CPicture image;
        QLineEdit *path = nullptr;
        QLineEdit *title = nullptr;
        PictureBox *preview = nullptr;
    };
    void Browse(int slot);
    void Clear(int slot);
    void TakeControls();

    PictureCollection m_slots{SlotCount};
    std::array<Slot, SlotCount> m_ui;
};
