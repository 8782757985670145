#pragma once

#include <QObject>
#include <QPointer>
#include <QPushButton>

// What a dialog gives its default button, for a page of an ordinary window: Enter pressed
// anywhere on the page that the focused control does not use presses the button. A push
// button that has the focus is pressed itself, as in a dialog.
class TPulsantePredefinito : public QObject {
public:
    static void Imposta(QWidget* pagina, QPushButton* pulsante);

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

private:
    TPulsantePredefinito(QWidget* pagina, QPushButton* pulsante);
    QPointer<QPushButton> pulsante_;
};
