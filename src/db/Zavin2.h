#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// Two-field input dialog. OK ends it with 1, Cancel (or Escape) with 2; closing it any other
// way leaves 0. Only 1 counts as confirmed.
class TZavIn2Form : public QDialog {
    Q_OBJECT
public:
    static constexpr int RisultatoOk = 1;
    static constexpr int RisultatoAnnulla = 2;

    explicit TZavIn2Form(QWidget* owner = nullptr);

    QFrame* Bevel1;
    QLabel* Label1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QPushButton* ButtonOK;
    QPushButton* ButtonCancel;

protected:
    void showEvent(QShowEvent* evento) override;
    void changeEvent(QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

private:
    void CentraSulloSchermo();
};
