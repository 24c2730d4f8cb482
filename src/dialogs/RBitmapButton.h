#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QString>

class QButtonGroup;

// A button drawn from two images with per-pixel alpha (normal and checked)
// over the button face. Buttons of one named group check exclusively: the
// name maps to one QButtonGroup shared by every live button of the program.
class RBitmapButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit RBitmapButton(QWidget *parent = nullptr);
    ~RBitmapButton() override;

    void SetImages(const QImage &normal, const QImage &checked);
    void SetUserValue(int value) { m_userValue = value; }
    // False for an empty name; otherwise the button leaves its old group.
    bool SetGroup(const QString &name);
    QString Group() const { return m_group; }
    void SetChecked(bool on);
    bool IsChecked() const { return isChecked(); }

    // Live members of a group (tests, diagnostics).
    static int GroupSize(const QString &name);
    static int GroupCount();
    QSize sizeHint() const override { return {60, 60}; }

signals:
    // Left-button release over the button: its user value.
    void ctxButtonClicked(int userValue);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void LeaveGroup();

    int m_userValue = -1;
    QImage m_normal;
    QImage m_checked;
    QString m_group;
};
