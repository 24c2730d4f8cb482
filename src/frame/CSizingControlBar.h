#pragma once

#include <QDockWidget>

// The flat caption of a docking bar: its title in a small font on a caption
// colour strip (the active colour while the focus is inside the bar) and a
// button that hides the bar.
class FlatCaption : public QWidget
{
    Q_OBJECT
public:
    explicit FlatCaption(QDockWidget *bar);
    // "Tahoma" when the system has it, else "Arial", else the default family.
    static QString CaptionFamily(const QStringList &families);
    bool IsActive() const { return m_active; }
    void SetActive(bool active);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect ButtonRect() const;

    QDockWidget *m_bar;
    QString m_family;
    bool m_active = false;
};

// A docking bar of the main window: docks at any side or floats, is resized
// by its edges (Qt's dock separators) under the flat caption.
class CSizingControlBarCF : public QDockWidget
{
    Q_OBJECT
public:
    CSizingControlBarCF(const QString &title, QWidget *parent);
    ~CSizingControlBarCF() override;
    FlatCaption *Caption() const { return m_caption; }

private:
    void OnFocusChanged(QWidget *old, QWidget *now);
    FlatCaption *m_caption;
};
