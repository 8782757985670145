// Record editing for the libraries' windows: changes stay in the dataset's transaction until
// saved, the status button tells saved from unsaved, and a row is locked as editing starts.
// Every service works in the dataset's own transaction (the connection's default one when
// the dataset names none), so one window never saves, discards or unlocks another's work.

#include "datamodule/TabX.h"

#include "datamodule/PulsanteStato.h"
#include "fb/Errore.h"
#include "fb/Istruzioni.h"
#include "fb/Valori.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Protezione.h"

#include <QRegularExpression>
#include <QTimer>

namespace {

const QString AvvisoBlocco = QStringLiteral(
    "Attenzione: altri utenti stanno lavorando su questo record. Provare ad aggiornare la griglia. Nel caso in cui "
    "questo messaggio riapparisse, provare ad editare il record in un secondo momento.");

const QString DomandaSalvataggio = QStringLiteral(
    "Attenzione: sono state fatte delle modifiche che non sono state ancora salvate. Prima di aggiornare la griglia "
    "si desidera salvare gli aggiornamenti?");

void RiavviaTransazione(fb::TTransazione* transazione) {
    if (transazione == nullptr)
        return;
    if (transazione->InTransaction())
        transazione->Rollback();
    transazione->StartTransaction();
}

// Ending a transaction ends what its datasets were doing: an edit in progress is dropped
// with it, and the rows are read again by whoever goes on.
void AnnullaTransazione(fb::TDataSet& dataset) {
    dataset.Close();
    RiavviaTransazione(dataset.TransazioneEffettiva());
}

bool InModifica(const fb::TDataSet& dataset) {
    return dataset.State() == fb::TDataSet::Modifica || dataset.State() == fb::TDataSet::Inserimento;
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

QString AvvisoModifichePerse(const QString& campo, const QList<QVariant>& chiavi) {
    if (chiavi.isEmpty())
        return QStringLiteral("Il collegamento con l'archivio si è interrotto: la griglia viene riletta. Ripetere "
                              "l'operazione.");
    QStringList elenco;
    for (const QVariant& chiave : chiavi)
        elenco.append(chiave.isValid() ? fb::TestoValore(chiave) : QStringLiteral("(nuovo)"));
    return QStringLiteral("Il collegamento con l'archivio si è interrotto prima del salvataggio: le modifiche ai "
                          "record con ") +
           campo + QLatin1Char(' ') + elenco.join(QStringLiteral(", ")) +
           QStringLiteral(" non sono state salvate. La griglia viene riletta: ripetere le modifiche.");
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

void TTabXForm::SeModifichePerse(fb::TDataSet& dataset, const fb::TBookmark& segnalibro, TPulsanteStato& pulsante,
                                 bool rileggiSubito) {
    const QList<QVariant> chiavi = dataset.ModifichePerse();
    if (chiavi.isEmpty())
        return;
    const QString campo = dataset.FieldDefs().empty() ? QString() : dataset.FieldDefs().front().Nome;
    if (InModifica(dataset))
        dataset.Cancel();
    dataset.DimenticaModifiche();
    MostraVerde(pulsante);
    piattaforma::MostraAvviso(AvvisoModifichePerse(campo, chiavi));
    RileggiDopoPerdita(dataset, segnalibro, pulsante, rileggiSubito);
}

void TTabXForm::RileggiDopoPerdita(fb::TDataSet& dataset, const fb::TBookmark& segnalibro, TPulsanteStato& pulsante,
                                   bool subito) {
    if (subito) {
        AggiornaTabella(dataset, segnalibro, segnalibro.Valido());
    } else {
        // The dataset is entering edit mode: it is read again once that is over. The status
        // button lives in the window, so the re-read goes with it.
        QTimer::singleShot(0, &pulsante, [this, &dataset, segnalibro] {
            piattaforma::EseguiProtetto([&] { AggiornaTabella(dataset, segnalibro, segnalibro.Valido()); });
        });
    }
    throw piattaforma::EAbort();
}

void TTabXForm::PostaOScarta(fb::TDataSet& dataset) {
    if (!InModifica(dataset))
        return;
    try {
        dataset.Post();
    } catch (...) {
        if (dataset.State() == fb::TDataSet::Inserimento)
            dataset.Cancel();
        throw;
    }
}

void TTabXForm::PreparaTransazioneFinestra(fb::TTransazione& transazione) {
    transazione.DefaultDatabase = &IBDatabase1;
    transazione.Params = IBTransaction1.Params;
}

void TTabXForm::AggiornaTabella(fb::TDataSet& dataset, fb::TBookmark segnalibro, bool riposiziona) {
    dataset.Close();
    RiavviaTransazione(dataset.TransazioneEffettiva());
    // Whatever the transaction held is gone by choice: nothing is left to report as lost.
    dataset.DimenticaModifiche();
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
    const fb::TBookmark qui = dataset.Active() ? dataset.GetBookmark() : fb::TBookmark();
    // Work lost with a connection is never written again without its lock.
    SeModifichePerse(dataset, qui, pulsante, true);
    try {
        const bool aperto = dataset.Active();
        if (aperto) {
            PostaOScarta(dataset);
            segnalibro = dataset.GetBookmark();
        }
        if (transazione && transazione->InTransaction())
            transazione->Commit();
        riposiziona = aperto;
    } catch (const fb::EErroreDB&) {
        SeModifichePerse(dataset, qui, pulsante, true);
        throw;
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

void TTabXForm::SalvaOScarta(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                             TPulsanteStato& pulsante) {
    if (pulsante.Tag != 1)
        return;
    if (piattaforma::ChiediConferma(DomandaSalvataggio)) {
        ChiudiTransazione(dataset, segnalibro, riposiziona, pulsante);
        return;
    }
    // Discarded: the window shows that nothing is left to save.
    AnnullaTransazione(dataset);
    MostraVerde(pulsante);
}

bool TTabXForm::Elimina(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                        TPulsanteStato& pulsante) {
    // A row still being added is not stored: there is nothing to delete but the row itself.
    if (dataset.State() == fb::TDataSet::Inserimento) {
        dataset.Cancel();
        return false;
    }
    const fb::TBookmark locale = dataset.Active() ? dataset.GetBookmark() : fb::TBookmark();
    const QVariant chiave = locale.Chiave;
    SalvaOScarta(dataset, segnalibro, riposiziona, pulsante);
    AggiornaTabella(dataset, locale, riposiziona);
    if (dataset.IsEmpty()) {
        piattaforma::MostraInformazione(QStringLiteral("La tabella è vuota"));
        return false;
    }
    if (!piattaforma::ChiediConferma(QStringLiteral("Conferma la cacellazione del record?")))
        return false;
    if (!locale.Valido() || !dataset.Locate(dataset.FieldDefs().front().Nome, chiave)) {
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
    } catch (const piattaforma::EAbort&) {
        throw; // already told
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
    SalvaOScarta(dataset, segnalibro, riposiziona, pulsante);
    try {
        AggiornaTabella(dataset, segnalibro, riposiziona);
        if (dataset.ClassName() == QStringLiteral("TIBTable")) {
            dataset.Close();
            static_cast<fb::TIBTable&>(dataset).EmptyTable();
        } else {
            fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
            query.SQL.Add(QStringLiteral("DELETE FROM ") + tabella);
            query.ExecSQL();
        }
        ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    } catch (const piattaforma::EAbort&) {
        throw;
    } catch (const std::exception&) {
        piattaforma::MostraMessaggio(QStringLiteral("Impossibile azzerare la tabella!"));
    }
}

void TTabXForm::Chiudi(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                       TPulsanteStato& pulsante) {
    if (pulsante.Tag != 1)
        return;
    // Yes saves: a save that fails goes on as an error and the window stays open with its edit.
    if (!chiusuraSenzaDomande_ && piattaforma::ChiediConferma(QStringLiteral("Salvare le modifiche apportate?"))) {
        ChiudiTransazione(dataset, segnalibro, riposiziona, pulsante);
        return;
    }
    fb::TTransazione* transazione = dataset.TransazioneEffettiva();
    dataset.Close();
    if (transazione && transazione->InTransaction())
        transazione->Rollback();
    dataset.DimenticaModifiche();
    MostraVerde(pulsante);
}

void TTabXForm::AggiornamentoDaPulsante(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                        TPulsanteStato& pulsante) {
    SalvaOScarta(dataset, segnalibro, riposiziona, pulsante);
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
}

void TTabXForm::EventoBeforeEditDataSet(fb::TDataSet& dataset, TPulsanteStato& pulsante, const QString& tabella) {
    const fb::TBookmark qui = dataset.GetBookmark();
    SeModifichePerse(dataset, qui, pulsante, false);
    const fb::TCampoDataSet& chiave = dataset.Fields(0);
    if (chiave.IsNull()) {
        // A row without a key cannot be locked either.
        piattaforma::MostraAvviso(AvvisoBlocco);
        throw piattaforma::EAbort();
    }
    const QString nome = fb::NomeColonna(chiave.FieldName());
    const QString valore = ValoreChiave(chiave);
    fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
    query.SQL.Add(QStringLiteral("UPDATE ") + tabella);
    query.SQL.Add(QStringLiteral("SET ") + nome + QLatin1Char('=') + valore);
    query.SQL.Add(QStringLiteral("WHERE ") + nome + QLatin1Char('=') + valore);
    try {
        query.ExecSQL();
    } catch (const fb::EErroreDB& errore) {
        if (errore.ConnessionePersa()) {
            SeModifichePerse(dataset, qui, pulsante, false);
            piattaforma::MostraAvviso(AvvisoModifichePerse(QString(), {}));
            RileggiDopoPerdita(dataset, qui, pulsante, false);
        }
        if (!errore.ConflittoDiBlocco())
            throw; // not another user: the engine's own reason
        piattaforma::MostraAvviso(AvvisoBlocco);
        throw piattaforma::EAbort();
    }
    // Attached again on the way, the connection may have lost earlier work of this dataset.
    SeModifichePerse(dataset, qui, pulsante, false);
    MostraRosso(pulsante);
}
