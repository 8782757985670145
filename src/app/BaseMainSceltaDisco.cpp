// The disk choice: the drive letter of every stored path of the selected user changes in one
// step, from the access page, before the login.

#include "app/BaseMain.h"

#include "datamodule/TabX.h"
#include "db/Lotto.h"
#include "fb/Valori.h"
#include "forms/SceltaDisco.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"

#include <QTimer>

#include <memory>
#include <vector>

namespace {

const QString Operazione = QStringLiteral("SceltaDisco");
const QString ErroreUpdate = QStringLiteral("Errore interno di UPDATE: impossibile modificare la "
                                            "lettera disco nelle impostazioni dell'utente");

struct RigaPercorso {
    QString Intestazione;
    QString Parametro;
    QString Valore;
};

} // namespace

void TBaseMainForm::ButtonSceltaDiscoClick() {
    // A second click while a choice or a login runs does nothing; a close waits for the end.
    if (SceltaDiscoInCorso || LoginInCorso)
        return;
    SceltaDiscoInCorso = true;
    const std::unique_ptr<TBaseMainForm, void (*)(TBaseMainForm*)> fine(
        this, [](TBaseMainForm* f) { f->FineSceltaDisco(); });
    // Read once: the user whose password is checked is the one whose paths change.
    const QString nome = GetNomeUtente();
    const QString password = GetPassword();
    const auto nega = [this] {
        piattaforma::MostraErrore(
            QStringLiteral("Operazione negata: scegliere un'utente ed inserire l'eventuale "
                           "password. Fare attenzione al maiuscolo / minuscolo"));
        SetPassword(QString());
    };
    if (!TabXForm->VerificaPasswordUser(nome, password)) {
        nega();
        return;
    }

    // A fresh snapshot: the rows and the last disk as other workstations left them, so that
    // no row committed since the window opened is skipped or meets an update conflict.
    RiavviaTransazioneAux();
    QueryAux->ApriSQL({QStringLiteral("SELECT CODICE,ULTIMODISCOSCELTO FROM UTENTI"),
                       QStringLiteral("WHERE NOMEUTENTE=") + fb::Quota(nome)});
    const bool trovato = !QueryAux->Eof();
    const QString codice =
        trovato ? QueryAux->FieldByName(QStringLiteral("CODICE")).AsString() : QString();
    const QString ultimo =
        trovato ? QueryAux->FieldByName(QStringLiteral("ULTIMODISCOSCELTO")).AsString() : QString();
    QueryAux->Close();
    // Removed by another workstation, which the password check's older snapshot may not
    // see yet: there is nobody whose paths could change.
    if (codice.isEmpty()) {
        nega();
        return;
    }

    QString lettera;
    {
        TSceltaDiscoForm dialogo(this);
        dialogo.ImpostaDisco(DiscoProposto(ultimo));
        if (dialogo.exec() != TSceltaDiscoForm::RisultatoOk)
            return;
        lettera = dialogo.DiscoScelto();
    }
    if (!RiscriviPercorsi(codice, lettera))
        return;

    // The data module's reads must see the rows just committed.
    RiavviaTransazione(*TabXForm->QueryNorvane.Transaction);
    TabXForm->ScriviNorvane(codice.toInt());
    piattaforma::MostraInformazione(QStringLiteral("Aggiornamento percorsi effettuato"));
}

void TBaseMainForm::FineSceltaDisco() {
    SceltaDiscoInCorso = false;
    if (ChiusuraRinviata && !LoginInCorso) {
        ChiusuraRinviata = false;
        QTimer::singleShot(0, this, &TBaseMainForm::close);
    }
}

// The stored letter when its root is there, else the drive the program runs from.
QString TBaseMainForm::DiscoProposto(const QString& ultimoDisco) {
    const QString memorizzata = ultimoDisco.left(1);
    if (!memorizzata.isEmpty() && piattaforma::DirectoryEsiste(memorizzata + QStringLiteral(":\\")))
        return memorizzata.toLower();
    return piattaforma::LetteraUnitaProgramma().left(1).toLower();
}

bool TBaseMainForm::RiscriviPercorsi(const QString& codiceUtente, const QString& lettera) {
    // Without ESCAPE the backslash is an ordinary character of the pattern: any value that
    // holds ":\" somewhere.
    QueryAux->ApriSQL(
        {QStringLiteral("SELECT * FROM TABNORVANE"),
         QStringLiteral("WHERE (UTENTE=") + fb::Quota(codiceUtente) + QStringLiteral(")AND"),
         QStringLiteral("(VALORE LIKE '%:\\%')")});
    // All rows read first: a failed update restarts the transaction, which closes the query.
    std::vector<RigaPercorso> righe;
    for (QueryAux->First(); !QueryAux->Eof(); QueryAux->Next())
        righe.push_back({QueryAux->FieldByName(QStringLiteral("INTESTAZIONE")).AsString(),
                         QueryAux->FieldByName(QStringLiteral("PARAMETRO")).AsString(),
                         QueryAux->FieldByName(QStringLiteral("VALORE")).AsString()});
    QueryAux->Close();

    const QChar nuovaLettera = lettera.isEmpty() ? QChar() : lettera.at(0).toLower();
    TLottoIstruzioni lotto(*QueryAux2, *TransazioneAux, Operazione);
    for (const RigaPercorso& riga : righe) {
        if (!lotto.Esegui(
                {QStringLiteral("UPDATE TABNORVANE SET VALORE=") +
                     fb::Quota(CambiaLetteraDisco(riga.Valore, nuovaLettera)),
                 QStringLiteral("WHERE (UTENTE=") + fb::Quota(codiceUtente) +
                     QStringLiteral(")AND"),
                 QStringLiteral("(INTESTAZIONE=") + fb::Quota(riga.Intestazione) +
                     QStringLiteral(")AND"),
                 QStringLiteral("(PARAMETRO=") + fb::Quota(riga.Parametro) + QLatin1Char(')')},
                ErroreUpdate))
            return false;
    }
    if (!lotto.Esegui({QStringLiteral("UPDATE UTENTI SET ULTIMODISCOSCELTO=") +
                           fb::Quota(QString(nuovaLettera)),
                       QStringLiteral("WHERE CODICE=") + fb::Quota(codiceUtente)},
                      ErroreUpdate))
        return false;
    return lotto.Commit();
}
