#include "app/PulsantePredefinito.h"

#include <QApplication>
#include <QKeyEvent>

TPulsantePredefinito::TPulsantePredefinito(QWidget* pagina, QPushButton* pulsante)
    : QObject(pagina), pulsante_(pulsante) {}

void TPulsantePredefinito::Imposta(QWidget* pagina, QPushButton* pulsante) {
    pulsante->setDefault(true); // the look of a default button
    pagina->installEventFilter(new TPulsantePredefinito(pagina, pulsante));
}

// Controls that have no use for Enter leave the key press unaccepted, so it climbs to the
// page; a line edit, a list and a combo box all do.
bool TPulsantePredefinito::eventFilter(QObject* oggetto, QEvent* evento) {
    if (evento->type() != QEvent::KeyPress)
        return QObject::eventFilter(oggetto, evento);
    const auto* tasto = static_cast<QKeyEvent*>(evento);
    if (tasto->key() != Qt::Key_Return && tasto->key() != Qt::Key_Enter)
        return false;
    QPushButton* daPremere = qobject_cast<QPushButton*>(QApplication::focusWidget());
    if (!daPremere)
        daPremere = pulsante_;
    if (!daPremere || !daPremere->isVisible() || !daPremere->isEnabled())
        return false;
    if (!tasto->isAutoRepeat())
        daPremere->click();
    return true;
}
