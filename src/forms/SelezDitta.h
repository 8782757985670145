#pragma once

#include "../forms/Ancore.h"

#include <QDialog>
#include <QRect>
#include <QSize>

class QEvent;
class QGroupBox;
class QListWidget;
class QPushButton;
class QShowEvent;
class QResizeEvent;
class TTabXForm;

// The list of the current user's companies. OK ends with Accepted only while a line is
// selected; the caller reads DittaScelta and decides.
class TSelezDittaForm : public QDialog {
    Q_OBJECT
public:
    // In mode "SMALL" the dialog is scaled to the screen; an empty schermo means the primary
    // screen's size.
    TSelezDittaForm(QWidget* owner, const QString& modalita, TTabXForm* dataModule,
                    QSize schermo = {});

    QGroupBox* GroupBox1;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QListWidget* ListBoxSelDitta;

    // The text of the selected line, empty when none is selected.
    QString DittaScelta() const;

    void ButtonOkClick();
    void ButtonCancelClick();
    void ListBoxSelDittaDblClick();
    // Enter typed in the list presses OK; other keys are left to the list.
    bool ListBoxSelDittaKeyPress(int tasto);

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;
    void resizeEvent(QResizeEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void CreaComponenti();
    void CaricaDitte();
    void SelezionaDittaCorrente();
    void ScalaPerSchermo(QSize schermo);
    // The designed anchors: group box and list follow the size of what holds them.
    void RegistraAncore();
    // Keeps the two buttons inside the group box, however small the dialog is made.
    void DisponiPulsanti();
    bool RigaSelezionata() const;

    TTabXForm* TabXForm;
    TAncore Ancore;
    // The buttons as designed (scaled in the compact mode), and the scale in percent.
    QRect okProgettato_;
    QRect cancelProgettato_;
    int centesimi_ = 100;
};
