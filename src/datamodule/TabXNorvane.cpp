#include "datamodule/TabX.h"

#include "fb/Errore.h"
#include "fb/Valori.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Messaggi.h"

namespace {

// The three WHERE lines that pick one parameter of a user under a heading.
void AggiungiChiaveParametro(fb::TQuery& query, qint32 utente, const QString& intestazione,
                             const QString& nome) {
    query.SQL.Add(QStringLiteral("(UTENTE=") + fb::Quota(utente) + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(INTESTAZIONE=") + fb::Quota(intestazione) + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(PARAMETRO=") + fb::Quota(nome) + QLatin1Char(')'));
}

// The image the maker parameter editor reads back: a "[heading]" line opening each
// company, then NAME=VALUE lines, every line ended by a bare line feed.
QString ImmagineNorvane(fb::TQuery& query) {
    const QLatin1Char aCapo('\n');
    QString immagine;
    QString ultimaIntestazione;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString intestazione = query.FieldByName(QStringLiteral("INTESTAZIONE")).AsString();
        const QString parametro = query.FieldByName(QStringLiteral("PARAMETRO")).AsString();
        QString riga;
        bool tieni = true;
        if (intestazione != ultimaIntestazione) {
            if (!intestazione.isEmpty()) {
                riga = QLatin1Char('[') + intestazione + QLatin1Char(']') + aCapo;
                ultimaIntestazione = intestazione;
            } else {
                tieni = false;
            }
        }
        if (!parametro.isEmpty())
            riga += parametro + QLatin1Char('=') +
                    query.FieldByName(QStringLiteral("VALORE")).AsString();
        if (tieni)
            immagine += riga + aCapo;
    }
    return immagine;
}

} // namespace

void TTabXForm::CaricaParametro(const QString& nome, QString& valore) {
    if (ModoUtenti == SorgenteIni) {
        valore = piattaforma::LeggiIni(FileIniUtente(), Ditta, nome);
        return;
    }
    if (ModoUtenti != SorgenteDatabase)
        return;
    if (blocchiParametri_ > 0) {
        valore = ParametroInBlocco(nome);
        return;
    }

    // Read inside the running users transaction: no restart, so this sees the caller's
    // own uncommitted writes.
    QueryNorvane.Close();
    QueryNorvane.SQL.Clear();
    QueryNorvane.SQL.Add(QStringLiteral("SELECT VALORE FROM TABNORVANE WHERE"));
    AggiungiChiaveParametro(QueryNorvane, NumUser, Ditta, nome);
    QueryNorvane.Open();
    valore = QueryNorvane.Eof() ? QString()
                                : QueryNorvane.FieldByName(QStringLiteral("VALORE")).AsString();
}

TTabXForm::TParametriInBlocco::TParametriInBlocco(TTabXForm& modulo) : modulo_(modulo) {
    ++modulo_.blocchiParametri_;
}

TTabXForm::TParametriInBlocco::~TParametriInBlocco() {
    if (--modulo_.blocchiParametri_ == 0)
        modulo_.parametriLetti_ = {};
}

namespace {

// The engine compares texts as if the shorter were padded with blanks: "A " names "A".
QString SenzaBlanchiFinali(const QString& testo) {
    qsizetype fine = testo.size();
    while (fine > 0 && testo.at(fine - 1) == QLatin1Char(' '))
        --fine;
    return testo.left(fine);
}

} // namespace

const QString& TTabXForm::ParametroInBlocco(const QString& nome) {
    ParametriLetti& letti = parametriLetti_;
    if (!letti.Validi || letti.Utente != NumUser || letti.Ditta != Ditta ||
        letti.Transazione != TransazioneUser.Generazione()) {
        letti = {};
        fb::TQuery& query = IBDatabaseUser.Preparata({QStringLiteral("SELECT PARAMETRO, VALORE FROM TABNORVANE WHERE"),
                                                      QStringLiteral("(UTENTE=:UTENTE)AND"),
                                                      QStringLiteral("(INTESTAZIONE=:INTESTAZIONE)")},
                                                     &TransazioneUser);
        query.ParamByName(QStringLiteral("UTENTE")).AsString(QString::number(NumUser));
        query.ParamByName(QStringLiteral("INTESTAZIONE")).AsString(Ditta);
        query.Open();
        for (; !query.Eof(); query.Next()) {
            // A name that is NULL answers no question; of several rows of one name the first.
            if (query.Fields(0).IsNull())
                continue;
            const QString chiave = SenzaBlanchiFinali(query.Fields(0).AsString());
            if (!letti.Valori.contains(chiave))
                letti.Valori.insert(chiave, query.Fields(1).AsString());
        }
        query.Close();
        letti.Utente = NumUser;
        letti.Ditta = Ditta;
        // Read after the query, which starts the transaction when it is not active.
        letti.Transazione = TransazioneUser.Generazione();
        letti.Validi = true;
    }
    static const QString vuoto;
    const auto trovato = letti.Valori.constFind(SenzaBlanchiFinali(nome));
    return trovato == letti.Valori.constEnd() ? vuoto : *trovato;
}

void TTabXForm::SettaParametro(const QString& nome, const QString& valore) {
    if (ModoUtenti == SorgenteIni)
        piattaforma::ScriviIni(FileIniUtente(), Ditta, nome, valore);
    else if (ModoUtenti == SorgenteDatabase)
        ScriviParametroNorvane(Ditta, nome, valore);
    ScriviNorvane(NumUser);
}

void TTabXForm::ScriviParametroNorvane(const QString& intestazione, const QString& nome,
                                       const QString& valore) {
    {
        fb::TQuery query(&IBDatabaseUser, &TransazioneUser);
        // A fresh snapshot, so the existence test and the next PROGRESSIVO see what other
        // workstations have committed.
        if (TransazioneUser.InTransaction())
            TransazioneUser.Rollback();
        TransazioneUser.StartTransaction();

        query.SQL.Add(QStringLiteral("SELECT * FROM TABNORVANE WHERE"));
        AggiungiChiaveParametro(query, NumUser, intestazione, nome);
        query.Open();
        const bool esiste = !query.Eof();
        query.Close();

        if (!esiste) {
            query.SQL.Clear();
            query.SQL.Add(QStringLiteral("SELECT MAX(PROGRESSIVO) FROM TABNORVANE"));
            query.SQL.Add(QStringLiteral("WHERE (UTENTE=") + fb::Quota(NumUser) + QLatin1Char(')'));
            query.Open();
            const qint64 prossimo =
                (query.Eof() || query.Fields(0).IsNull()) ? 1 : query.Fields(0).AsInt64() + 1;
            query.Close();

            query.SQL.Clear();
            query.SQL.Add(QStringLiteral("INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE,"));
            query.SQL.Add(QStringLiteral("PROGRESSIVO) VALUES("));
            query.SQL.Add(fb::Quota(NumUser) + QLatin1Char(','));
            query.SQL.Add(fb::Quota(intestazione) + QLatin1Char(','));
            query.SQL.Add(fb::Quota(nome) + QLatin1Char(','));
            query.SQL.Add(valore.isEmpty() ? QStringLiteral("NULL,") : fb::Quota(valore) + QLatin1Char(','));
            query.SQL.Add(fb::Quota(prossimo) + QLatin1Char(')'));
            EseguiEConferma(query, TransazioneUser,
                            QStringLiteral("Errore interno di INSERT: impossibile aggiornare la tabella dei parametri"));
        } else {
            query.SQL.Clear();
            query.SQL.Add(QStringLiteral("UPDATE TABNORVANE SET"));
            query.SQL.Add(valore.isEmpty() ? QStringLiteral("VALORE=NULL")
                                           : QStringLiteral("VALORE=") + fb::Quota(valore));
            query.SQL.Add(QStringLiteral("WHERE (UTENTE=") + fb::Quota(NumUser) + QStringLiteral(")AND"));
            query.SQL.Add(QStringLiteral("(INTESTAZIONE=") + fb::Quota(intestazione) + QStringLiteral(")AND"));
            query.SQL.Add(QStringLiteral("(PARAMETRO=") + fb::Quota(nome) + QLatin1Char(')'));
            EseguiEConferma(query, TransazioneUser,
                            QStringLiteral("Errore interno di UPDATE: impossibile aggiornare la tabella dei parametri"));
        }
    }
    // The image is rebuilt even after a failed write, so it always matches the table.
    ScriviNorvane(NumUser);
}

void TTabXForm::ScriviNorvane(qint32 utente) {
    QueryNorvane.Close();
    QueryNorvane.SQL.Clear();
    QueryNorvane.SQL.Add(QStringLiteral("SELECT * FROM TABNORVANE WHERE"));
    QueryNorvane.SQL.Add(QStringLiteral("(UTENTE=") + fb::Quota(utente) + QStringLiteral(")AND"));
    QueryNorvane.SQL.Add(QStringLiteral("(INTESTAZIONE IS NOT NULL)"));
    QueryNorvane.SQL.Add(QStringLiteral("ORDER BY INTESTAZIONE,PROGRESSIVO,UTENTE"));
    QueryNorvane.Open();
    QueryNorvane.FetchAll();
    const QString immagine = ImmagineNorvane(QueryNorvane);
    QueryNorvane.Close();

    QueryNorvane.SQL.Clear();
    QueryNorvane.SQL.Add(immagine.isEmpty()
                             ? QStringLiteral("UPDATE UTENTI SET NORVANE=NULL WHERE")
                             : QStringLiteral("UPDATE UTENTI SET NORVANE=") + fb::Quota(immagine) +
                                   QStringLiteral(" WHERE"));
    QueryNorvane.SQL.Add(QStringLiteral("CODICE=") + fb::Quota(utente));
    EseguiEConferma(QueryNorvane, TransazioneUser,
                    QStringLiteral("Errore interno di UPDATE: impossibile aggiornare i parametri norvane dell'utente"));
}

// Kept for the libraries that call it; the image is only ever written, never loaded here.
void TTabXForm::CaricaNorvane() {}
