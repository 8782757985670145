#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;
class QResizeEvent;
class QShowEvent;
class QToolButton;
class QWidget;
class TTabXForm;

// The companies of the logged-in user split into enabled and disabled ones, with the two
// buttons that move them across. OK ends it with 1, Cancel (or Escape) with 2; the caller
// reads DitteDisattive and marks the parameter text.
class TAbilitaDitteForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int RisultatoOk = 1;
    static constexpr int RisultatoAnnulla = 2;

    TAbilitaDitteForm(QWidget* owner, TTabXForm* dataModule);

    QWidget* PanelAbilitaDitte;
    QLabel* Label1;
    QLabel* Label2;
    QToolButton* ButtonDisattiva;
    QToolButton* ButtonAttiva;
    QListWidget* ListBoxAttive;
    QListWidget* ListBoxDisattive;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;

    QStringList DitteAttive() const;
    QStringList DitteDisattive() const;

    void ButtonDisattivaClick();
    void ButtonAttivaClick();
    void ButtonOkClick();
    void ButtonCancelClick();
    // Escape and the close box end as Cancel does.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void CreaComponenti();
    void CaricaDitte();

    TTabXForm* TabXForm;
};
