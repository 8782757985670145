#pragma once

#include <QToolButton>
#include <QWidget>

// An up/down button pair: two arrow buttons, one above the other, each half the height.
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TSpinButton(QWidget* parent);

    QToolButton* Su() const { return su_; }
    QToolButton* Giu() const { return giu_; }

signals:
    void UpClick();
    void DownClick();

protected:
    void resizeEvent(QResizeEvent* evento) override;

private:
    QToolButton* su_;
    QToolButton* giu_;
};
