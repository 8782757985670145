#include "app/MessaggiQt.h"

#include <QApplication>
#include <QMessageBox>

using piattaforma::Risposta;
using piattaforma::TipoMessaggio;

Risposta MessaggiQt::Mostra(TipoMessaggio tipo, const QString& testo, const QString& titolo) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(testo);
    box.setWindowTitle(titolo.isEmpty() ? QApplication::applicationName() : titolo);
    switch (tipo) {
    case TipoMessaggio::Errore:
        box.setIcon(QMessageBox::Critical);
        break;
    case TipoMessaggio::Avviso:
        box.setIcon(QMessageBox::Warning);
        break;
    case TipoMessaggio::Informazione:
        box.setIcon(QMessageBox::Information);
        break;
    case TipoMessaggio::Conferma:
        box.setIcon(QMessageBox::Question);
        break;
    case TipoMessaggio::Semplice:
        break;
    }
    if (tipo == TipoMessaggio::Conferma) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Risposta::Si : Risposta::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Risposta::Ok;
}
