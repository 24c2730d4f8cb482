#pragma once

#include <QWidget>

class RBitmapButton;

// The two market buttons, "Car Parts" and "Cars", in one radio group.
class VMContextChanger : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PartsButtonId = 176;
    static constexpr int CarsButtonId = 177;

    explicit VMContextChanger(QWidget *parent = nullptr);
    RBitmapButton *PartsButton() const { return m_parts; }
    RBitmapButton *CarsButton() const { return m_cars; }
    // Presses the button of a mode, releasing the other.
    void Press(int mode);

signals:
    // A button was clicked: the market it stands for.
    void marketClicked(int mode);

private:
    RBitmapButton *m_parts;
    RBitmapButton *m_cars;
};
