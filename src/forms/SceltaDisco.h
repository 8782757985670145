#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QShowEvent;

// The choice of the drive under which the user's stored paths are reached. OK ends with
// RisultatoOk only when the chosen drive's root exists; the caller reads DiscoScelto and
// decides.
class TSceltaDiscoForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int RisultatoOk = 1;
    static constexpr int RisultatoCancel = 2;

    explicit TSceltaDiscoForm(QWidget* owner);

    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    // The machine's drives, one lower-case letter each.
    QComboBox* ComboDisco;
    QLabel* Label1;

    // The current drive of ComboDisco, a lower-case letter; empty when the list is empty.
    QString DiscoScelto() const;
    // Makes the drive current when the list has it, whatever the case of the letter;
    // false, and the current drive unchanged, when it does not.
    bool ImpostaDisco(const QString& lettera);

    void ButtonOkClick();
    void ButtonCancelClick();

    // Closing the window any other way counts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* evento) override;

private:
    void CreaComponenti();
    void CaricaUnita();
};

// The value with the drive letter of its first path (the character just before the first
// ":\") replaced by lettera; a value where nothing stands before ":\", or without one,
// comes back as it was.
QString CambiaLetteraDisco(const QString& valore, QChar lettera);
