// The libraries' own parameters in the archive's TABX, and the windows' scripts in the users
// database's TABSCRIPT.

#include "datamodule/TabX.h"

#include "db/ZavDB.h"
#include "fb/Errore.h"
#include "fb/Valori.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"

namespace {

// In TESTO and MEMO a quote becomes the acute accent, as the suite has always stored them.
QString SenzaApici(const QString& testo) {
    QString valore = testo;
    return valore.replace(QLatin1Char('\''), QChar(0x00B4));
}

QString ValoreNumero(const QString& numero) {
    QString valore = numero;
    return valore.replace(QLatin1Char(','), QLatin1Char('.'));
}

// A date of the short format, as the statements write dates.
QString ValoreData(const QString& data) {
    const QDate giorno = QDate::fromString(data, QStringLiteral("dd/MM/yyyy"));
    if (!giorno.isValid())
        throw piattaforma::ErroreConversione(QLatin1Char('\'') + data + QStringLiteral("' is not a valid date"));
    return fb::TestoData(giorno);
}

// "'value'" followed by the separator, or "NULL" with it for an empty value.
QString ValoreONull(const QString& valore, const QString& separatore = QStringLiteral(",")) {
    return (valore.isEmpty() ? QStringLiteral("NULL") : fb::Quota(valore)) + separatore;
}

// NAME='value' followed by the separator, or NAME=NULL with it.
QString Assegnazione(const QString& colonna, const QString& valore, const QString& separatore) {
    return colonna + QLatin1Char('=') + ValoreONull(valore, separatore);
}

// The parameter store's own short transaction on the archive, and its query: a library
// window editing in the archive's transaction keeps its work and its locks whatever is read
// or written here.
struct LavoroTabX {
    explicit LavoroTabX(fb::TDatabase& archivio) : transazione(&archivio), query(&archivio, &transazione) {
        transazione.Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
    }
    fb::TTransazione transazione;
    fb::TQuery query;
};

} // namespace

QString TTabXForm::UtenteQuotato() const { return fb::Quota(QString::number(NumUser)); }

void TTabXForm::AggiungiCondizioniTabX(fb::TRighe& sql, const QString& progetto, const QString& situazione,
                                       const QString& nome) const {
    sql.Add(QStringLiteral("(CODPROGETTO=") + fb::Quota(progetto) + QStringLiteral(")AND"));
    sql.Add(QStringLiteral("(CODSITUAZIONE=") + fb::Quota(situazione) + QStringLiteral(")AND"));
    sql.Add(QStringLiteral("(NOME=") + fb::Quota(nome) + QStringLiteral(")AND"));
    sql.Add(QStringLiteral("(UTENTE=") + UtenteQuotato() + QLatin1Char(')'));
}

bool TTabXForm::VerificaEsistenzaInTabX(const QString& progetto, const QString& situazione, const QString& nome) {
    if (progetto.isEmpty() || situazione.isEmpty() || nome.isEmpty())
        return false;
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("SELECT * FROM TABX WHERE "));
    AggiungiCondizioniTabX(query.SQL, progetto, situazione, nome);
    query.Open();
    return !query.Eof();
}

bool TTabXForm::AggiungiParametroInTabX(const QString& progetto, const QString& situazione, const QString& nome,
                                        const QString& numero, const QString& testo, const QString& data,
                                        const QString& memo, const QString& livello1, const QString& livello2) {
    if (progetto.isEmpty() || situazione.isEmpty() || nome.isEmpty())
        return false;
    if (VerificaEsistenzaInTabX(progetto, situazione, nome))
        return true;
    // Converted before anything runs: a bad date reaches the caller.
    const QString giorno = data.isEmpty() ? QString() : ValoreData(data);
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("INSERT INTO TABX VALUES("));
    query.SQL.Add(QStringLiteral("GEN_ID(CODICETABXCOUNTER,1),"));
    query.SQL.Add(fb::Quota(progetto) + QLatin1Char(','));
    query.SQL.Add(fb::Quota(situazione) + QLatin1Char(','));
    query.SQL.Add(QStringLiteral("'TBX',"));
    query.SQL.Add(fb::Quota(nome) + QLatin1Char(','));
    query.SQL.Add(ValoreONull(numero.isEmpty() ? QString() : ValoreNumero(numero)));
    query.SQL.Add(ValoreONull(SenzaApici(testo)));
    query.SQL.Add(ValoreONull(giorno));
    query.SQL.Add(ValoreONull(SenzaApici(memo)));
    query.SQL.Add(ValoreONull(livello1));
    query.SQL.Add(ValoreONull(livello2));
    query.SQL.Add(UtenteQuotato() + QLatin1Char(')'));
    return EseguiEConferma(query, lavoro.transazione,
                           QStringLiteral("Errore interno di INSERT: impossibile aggiungere il parametro ") + nome);
}

bool TTabXForm::ScriviParametroInTabX(const QString& progetto, const QString& situazione, const QString& nome,
                                      const QString& numero, const QString& testo, const QString& data,
                                      const QString& memo) {
    if (!VerificaEsistenzaInTabX(progetto, situazione, nome))
        return false;
    const QString giorno = data.isEmpty() ? QString() : ValoreData(data);
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("UPDATE TABX SET"));
    query.SQL.Add(Assegnazione(QStringLiteral("NUMERO"), numero.isEmpty() ? QString() : ValoreNumero(numero),
                               QStringLiteral(",")));
    query.SQL.Add(Assegnazione(QStringLiteral("TESTO"), SenzaApici(testo), QStringLiteral(",")));
    query.SQL.Add(Assegnazione(QStringLiteral("DATA"), giorno, QStringLiteral(",")));
    query.SQL.Add(Assegnazione(QStringLiteral("MEMO"), SenzaApici(memo), QString()));
    query.SQL.Add(QStringLiteral("WHERE (CODPROGETTO=") + fb::Quota(progetto) + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(CODSITUAZIONE=") + fb::Quota(situazione) + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(NOME=") + fb::Quota(nome) + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(UTENTE=") + UtenteQuotato() + QLatin1Char(')'));
    return EseguiEConferma(query, lavoro.transazione,
                           QStringLiteral("Errore interno di UPDATE: impossibile settare il parametro ") + nome);
}

bool TTabXForm::CaricaParametroDaTabX(const QString& progetto, const QString& situazione, const QString& nome,
                                      const QString&, const QString&, const QString&, const QString&,
                                      const QString&, const QString&) {
    if (!VerificaEsistenzaInTabX(progetto, situazione, nome) || !MemTabX.EsisteNome(nome))
        return false;
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("SELECT * FROM TABX WHERE"));
    AggiungiCondizioniTabX(query.SQL, progetto, situazione, nome);
    query.Open();
    SetV(nome, query.FieldByName(QStringLiteral("TESTO")).AsString());
    SetM(nome, query.FieldByName(QStringLiteral("MEMO")).AsString());
    return true;
}

void TTabXForm::AggiornaParametriTabX() {
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("SELECT * FROM TABX WHERE"));
    query.SQL.Add(QStringLiteral("(UTENTE=") + UtenteQuotato() + QStringLiteral(")AND"));
    query.SQL.Add(QStringLiteral("(TIPO='TBX')"));
    query.Open();
    const auto testo = [&query](const char* colonna) { return query.FieldByName(QLatin1String(colonna)).AsString(); };
    for (; !query.Eof(); query.Next()) {
        const QString nome = testo("NOME");
        if (!MemTabX.AggiornaValori(QStringLiteral("TBX"), nome, testo("NUMERO"), testo("TESTO"), testo("DATA"),
                                    testo("MEMO")))
            Inserisci(QStringLiteral("TBX"), nome, testo("NUMERO"), testo("TESTO"), testo("DATA"), testo("MEMO"),
                      testo("LIVELLO1"), testo("LIVELLO2"), testo("UTENTE"));
    }
}

QString TTabXForm::LeggiValoreTabX(const QString& colonna, const QString& nome, bool perUtente) {
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    query.SQL.Add(QStringLiteral("SELECT ") + colonna + QStringLiteral(" FROM TABX"));
    query.SQL.Add(QStringLiteral("WHERE (NOME=") + fb::Quota(nome) + QLatin1Char(')'));
    if (perUtente)
        query.SQL.Add(QStringLiteral("AND(UTENTE=") + UtenteQuotato() + QLatin1Char(')'));
    query.Open();
    return query.Eof() ? QString() : query.Fields(0).AsString();
}

QString TTabXForm::ValoreTabX(const QString& nome, bool perUtente) {
    return LeggiValoreTabX(QStringLiteral("TESTO"), nome, perUtente);
}

QString TTabXForm::ValoreMTabX(const QString& nome, bool perUtente) {
    return LeggiValoreTabX(QStringLiteral("MEMO"), nome, perUtente);
}

bool TTabXForm::ScriviValoreTabX(const QString& colonna, const QString& nome, const QString& valore,
                                 bool perUtente) {
    const QString condizioneUtente = QStringLiteral("AND(UTENTE=") + UtenteQuotato() + QLatin1Char(')');
    const QString condizioneNome = QStringLiteral("WHERE (NOME=") + fb::Quota(nome) + QLatin1Char(')');
    const QString scritto = SenzaApici(valore);
    LavoroTabX lavoro(IBDatabase1);
    fb::TQuery& query = lavoro.query;
    // A read that fails (no archive, no TABX) is not a refused write: it reaches the caller.
    query.SQL.Add(QStringLiteral("SELECT * FROM TABX"));
    query.SQL.Add(condizioneNome);
    if (perUtente)
        query.SQL.Add(condizioneUtente);
    query.Open();
    const bool esiste = !query.Eof();
    query.SQL.Clear();
    if (!esiste) {
        query.SQL.Add(QStringLiteral("INSERT INTO TABX (CODICE,NOME,") + colonna + QStringLiteral(",UTENTE) VALUES("));
        query.SQL.Add(QStringLiteral("GEN_ID(CODICETABXCOUNTER,1),"));
        query.SQL.Add(fb::Quota(nome) + QLatin1Char(','));
        query.SQL.Add(ValoreONull(scritto));
        query.SQL.Add(perUtente ? UtenteQuotato() + QLatin1Char(')') : QStringLiteral("NULL)"));
    } else {
        // Here an empty value is written as the empty text, not NULL.
        query.SQL.Add(QStringLiteral("UPDATE TABX SET ") + colonna + QLatin1Char('=') + fb::Quota(scritto));
        query.SQL.Add(condizioneNome);
        if (perUtente)
            query.SQL.Add(condizioneUtente);
    }
    try {
        query.ExecSQL();
        lavoro.transazione.ConfermaOAnnulla();
        return true;
    } catch (const fb::EErroreDB&) {
        return false;
    }
}

bool TTabXForm::SettaValoreTabX(const QString& nome, const QString& valore, bool perUtente) {
    return ScriviValoreTabX(QStringLiteral("TESTO"), nome, valore, perUtente);
}

bool TTabXForm::SettaValoreMTabX(const QString& nome, const QString& valore, bool perUtente) {
    return ScriviValoreTabX(QStringLiteral("MEMO"), nome, valore, perUtente);
}

// ---- Scripts ----

void TTabXForm::IniScriptForm(const QString& progetto, const QString& finestra, const QString& contesto,
                              const QString& utente, const QString& script, const QString& forza) {
    const QStringList condizioni = {
        QStringLiteral("WHERE (PROGETTO=") + fb::Quota(progetto) + QStringLiteral(")AND"),
        QStringLiteral("(SCRIPTFORM=") + fb::Quota(finestra) + QStringLiteral(")AND"),
        QStringLiteral("(CONTESTO=") + fb::Quota(contesto) + QStringLiteral(")AND"),
        QStringLiteral("(UTENTE=") + fb::Quota(utente) + QStringLiteral(");")};
    fb::TQuery query(&IBDatabaseUser, &TransazioneUser);
    query.SQL.Add(QStringLiteral("SELECT * FROM TABSCRIPT"));
    for (const QString& riga : condizioni)
        query.SQL.Add(riga);
    query.Open();
    const bool esiste = !query.Eof();
    const bool scriptVuoto = esiste && query.FieldByName(QStringLiteral("SCRIPT")).AsString().isEmpty();
    const QDate oggi = QDate::currentDate();
    query.SQL.Clear();
    if (!esiste) {
        query.SQL.Add(QStringLiteral("INSERT INTO TABSCRIPT"));
        query.SQL.Add(QStringLiteral("VALUES (") + fb::Quota(progetto) + QLatin1Char(',') + fb::Quota(finestra) +
                      QLatin1Char(',') + fb::Quota(contesto) + QLatin1Char(',') + fb::Quota(utente) +
                      QStringLiteral(",NULL,") + fb::Quota(script) + QStringLiteral(",NULL,") +
                      fb::Quota(fb::TestoData(oggi)) + QStringLiteral(",NULL);"));
    } else if (scriptVuoto || forza == QStringLiteral("1")) {
        query.SQL.Add(QStringLiteral("UPDATE TABSCRIPT"));
        query.SQL.Add(QStringLiteral("SET SCRIPT=") + fb::Quota(script) + QLatin1Char(','));
        query.SQL.Add(QStringLiteral("DATAULTIMAMODIFICA=") + FormattaDataSQL(oggi));
        for (const QString& riga : condizioni)
            query.SQL.Add(riga);
    } else {
        return;
    }
    query.ExecSQL();
    TransazioneUser.ConfermaOAnnulla();
}
