// The contacts agenda that the menu program may open after login.

#include "FinestraLibreria.h"

#include <quendra/Funzioni.h>

#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QWidget* CreaAgenda(int32_t utente) {
    auto* finestra = new QWidget;
    finestra->setObjectName(QStringLiteral("ContattAgendaForm"));
    finestra->setWindowTitle(QStringLiteral("Agenda contatti"));
    auto* layout = new QVBoxLayout(finestra);

    auto* labelUtente = new QLabel(QStringLiteral("Contatti dell'utente %1").arg(utente), finestra);
    labelUtente->setObjectName(QStringLiteral("LabelUtente"));
    layout->addWidget(labelUtente);

    auto* listaContatti = new QListWidget(finestra);
    listaContatti->setObjectName(QStringLiteral("ListaContatti"));
    listaContatti->addItems({QStringLiteral("Bianchi Laura - 02 4455 1200"),
                             QStringLiteral("D'Angelo Marco - 06 3321 8890"),
                             QStringLiteral("Esposito Anna - 081 772 0143"),
                             QStringLiteral("Ferrari Paolo - 051 609 2271"),
                             QStringLiteral("Ricci Giulia - 055 218 4436")});
    layout->addWidget(listaContatti);
    finestra->resize(360, 260);
    return finestra;
}

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowContattAgendaFormX(int32_t utente, int32_t idFinestra) {
    MostraFinestraLibreria(CreaAgenda(utente), idFinestra);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowContattAgendaFormD(int32_t utente) {
    MostraFinestraLibreria(CreaAgenda(utente), std::nullopt);
    return 0;
}
