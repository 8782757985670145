// Record editing for the libraries' windows: changes stay in the transaction until saved,
// the status button tells saved from unsaved, and a row is locked as editing starts.

#include "datamodule/TabX.h"

#include "datamodule/PulsanteStato.h"
#include "fb/Errore.h"
#include "fb/Istruzioni.h"
#include "fb/Valori.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"

#include <QRegularExpression>

namespace {

void RiavviaTransazione(fb::TTransazione* transazione) {
    if (transazione == nullptr)
        return;
    if (transazione->InTransaction())
        transazione->Rollback();
    transazione->StartTransaction();
}

// Ending a transaction ends what its datasets were doing: an edit in progress is dropped
// with it, and the rows are read again by whoever goes on.
void AnnullaTransazionePredefinita(fb::TDataSet& dataset) {
    dataset.Close();
    if (dataset.Database)
        RiavviaTransazione(dataset.Database->DefaultTransaction());
}

void PostaSeInModifica(fb::TDataSet& dataset) {
    if (dataset.State() == fb::TDataSet::Modifica || dataset.State() == fb::TDataSet::Inserimento)
        dataset.Post();
}

// How the lock statement writes the key: a number as it stands; any other value as a
// quoted literal, so that a text key locks its own row and nothing else runs.
QString ValoreChiave(const fb::TCampoDataSet& chiave) {
    const QString testo = chiave.AsString();
    static const QRegularExpression numero(QStringLiteral("^-?[0-9]+$"));
    if (chiave.Genere() == fb::TGenere::Intero && numero.match(testo).hasMatch())
        return testo;
    return fb::Quota(testo);
}

} // namespace

void TTabXForm::MostraVerde(TPulsanteStato& pulsante) const {
    pulsante.CaricaImmagine(FileVerde);
    pulsante.Tag = 0;
}

void TTabXForm::MostraRosso(TPulsanteStato& pulsante) const {
    pulsante.CaricaImmagine(FileRosso);
    pulsante.Tag = 1;
}

void TTabXForm::AggiornaTabella(fb::TDataSet& dataset, fb::TBookmark segnalibro, bool riposiziona) {
    dataset.Close();
    RiavviaTransazione(dataset.TransazioneEffettiva());
    dataset.Open();
    if (riposiziona) {
        try {
            dataset.GotoBookmark(segnalibro);
        } catch (const std::exception&) {
            // The row is gone: the dataset stays on its first row.
        }
    }
    if (dataset.ClassName() == QStringLiteral("TIBTable")) {
        auto& tabella = static_cast<fb::TIBTable&>(dataset);
        const auto indici = tabella.IndexDefs();
        tabella.IndexName = indici.empty() ? QString() : indici.front().Nome;
    }
}

void TTabXForm::ChiudiTransazione(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                  TPulsanteStato& pulsante) {
    fb::TTransazione* transazione = dataset.TransazioneEffettiva();
    if (dataset.Active()) {
        PostaSeInModifica(dataset);
        segnalibro = dataset.GetBookmark();
        if (transazione && transazione->InTransaction())
            transazione->Commit();
        riposiziona = true;
    } else {
        if (transazione && transazione->InTransaction())
            transazione->Commit();
        riposiziona = false;
    }
    MostraVerde(pulsante);
}

void TTabXForm::ChiudiTransEAggiorna(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                     TPulsanteStato& pulsante) {
    ChiudiTransazione(dataset, segnalibro, riposiziona, pulsante);
    AggiornaTabella(dataset, segnalibro, riposiziona);
}

void TTabXForm::Annulla(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                        TPulsanteStato& pulsante) {
    if (pulsante.Tag != 1 ||
        !piattaforma::ChiediConferma(QStringLiteral("Conferma l'annullamento delle modifiche apportate?")))
        return;
    MostraVerde(pulsante);
    AggiornaTabella(dataset, segnalibro, riposiziona);
}

bool TTabXForm::Elimina(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                        TPulsanteStato& pulsante) {
    const fb::TBookmark locale = dataset.Active() ? dataset.GetBookmark() : fb::TBookmark();
    const QVariant chiave = locale.Chiave;
    AggiornaTabella(dataset, locale, riposiziona);
    if (dataset.IsEmpty()) {
        piattaforma::MostraInformazione(QStringLiteral("La tabella è vuota"));
        return false;
    }
    if (!piattaforma::ChiediConferma(QStringLiteral("Conferma la cacellazione del record?")))
        return false;
    if (!dataset.Locate(dataset.FieldDefs().front().Nome, chiave)) {
        piattaforma::MostraAvviso(QStringLiteral(
            "Questo record è già stato cancellato da un altro utente in un'altra sessione di lavoro"));
        return false;
    }
    bool eliminato = false;
    try {
        dataset.Delete();
        ChiudiTransazione(dataset, segnalibro, riposiziona, pulsante);
        eliminato = true;
        AggiornaTabella(dataset, locale, riposiziona);
    } catch (const std::exception&) {
        piattaforma::MostraAvviso(QStringLiteral(
            "Impossibile cancellare questo record, altri utenti stanno lavorando su questo record."));
    }
    return eliminato;
}

void TTabXForm::Azzera(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                       TPulsanteStato& pulsante, const QString& tabella) {
    if (!piattaforma::ChiediConferma(QStringLiteral("Confermare l'azzeramento della tabella?")))
        return;
    try {
        AggiornaTabella(dataset, segnalibro, riposiziona);
        if (dataset.ClassName() == QStringLiteral("TIBTable")) {
            dataset.Close();
            static_cast<fb::TIBTable&>(dataset).EmptyTable();
        } else {
            fb::TQuery query(dataset.Database);
            query.SQL.Add(QStringLiteral("DELETE FROM ") + tabella);
            query.ExecSQL();
        }
        ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    } catch (const std::exception&) {
        piattaforma::MostraMessaggio(QStringLiteral("Impossibile azzerare la tabella!"));
    }
}

void TTabXForm::Chiudi(fb::TDataSet& dataset, fb::TBookmark& /*segnalibro*/, bool& /*riposiziona*/,
                       TPulsanteStato& pulsante) {
    if (pulsante.Tag != 1 || piattaforma::ChiediConferma(QStringLiteral("Salvare le modifiche apportate?")))
        return;
    if (dataset.Database && dataset.Database->DefaultTransaction() &&
        dataset.Database->DefaultTransaction()->InTransaction())
        AnnullaTransazionePredefinita(dataset);
}

void TTabXForm::AggiornamentoDaPulsante(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                        TPulsanteStato& pulsante) {
    if (pulsante.Tag == 1) {
        if (piattaforma::ChiediConferma(QStringLiteral(
                "Attenzione: sono state fatte delle modifiche che non sono state ancora salvate. Prima di "
                "aggiornare la griglia si desidera salvare gli aggiornamenti?"))) {
            PostaSeInModifica(dataset);
            MostraVerde(pulsante);
        } else {
            AnnullaTransazionePredefinita(dataset);
        }
    }
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
}

void TTabXForm::EventoBeforeEditDataSet(fb::TDataSet& dataset, TPulsanteStato& pulsante, const QString& tabella) {
    const fb::TCampoDataSet& chiave = dataset.Fields(0);
    const QString nome = fb::NomeColonna(chiave.FieldName());
    bool bloccato = false;
    if (!chiave.IsNull()) {
        const QString valore = ValoreChiave(chiave);
        fb::TQuery query(dataset.Database);
        query.SQL.Add(QStringLiteral("UPDATE ") + tabella);
        query.SQL.Add(QStringLiteral("SET ") + nome + QLatin1Char('=') + valore);
        query.SQL.Add(QStringLiteral("WHERE ") + nome + QLatin1Char('=') + valore);
        try {
            query.ExecSQL();
            bloccato = true;
        } catch (const fb::EErroreDB&) {
        }
    }
    if (!bloccato) {
        // A row without a key cannot be locked either.
        piattaforma::MostraAvviso(QStringLiteral(
            "Attenzione: altri utenti stanno lavorando su questo record. Provare ad aggiornare la griglia. Nel "
            "caso in cui questo messaggio riapparisse, provare ad editare il record in un secondo momento."));
        throw piattaforma::EAbort();
    }
    MostraRosso(pulsante);
}
