// The user directory: users listed, looked up and made current, from the users database
// (source 0) or from the ini files under NOMIDIT (source 1).

#include "datamodule/TabX.h"

#include "datamodule/Norvane.h"
#include "fb/Valori.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Percorsi.h"

namespace {

void Apri(fb::TQuery& query, const QStringList& righe) {
    query.Close();
    query.SQL.Clear();
    for (const QString& riga : righe)
        query.SQL.Add(riga);
    query.Open();
}

// The first row's column; no row, NULL and the empty text all read as empty, or as 0.
QString PrimoTesto(fb::TQuery& query, const QStringList& righe, const QString& colonna) {
    Apri(query, righe);
    return query.Eof() ? QString() : query.FieldByName(colonna).AsString();
}

qint32 PrimoIntero(fb::TQuery& query, const QStringList& righe, const QString& colonna) {
    Apri(query, righe);
    return query.Eof() ? 0 : query.FieldByName(colonna).AsInteger();
}

// Ends the snapshot so that the next read sees what other workstations committed. After
// a commit elsewhere in the program there is no transaction to end.
void RiavviaTransazione(fb::TQuery& query, fb::TTransazione& transazione) {
    query.Close();
    if (transazione.InTransaction())
        transazione.Rollback();
    transazione.StartTransaction();
}

QString CondizioneNome(const QString& nome) {
    return QStringLiteral("WHERE (NOMEUTENTE=") + fb::Quota(nome) + QLatin1Char(')');
}

QStringList SezioniUtentiIni() {
    return piattaforma::SezioniIni(piattaforma::DirectoryEseguibile() +
                                   QStringLiteral("NOMIDIT\\UTENTI.INI"));
}

} // namespace

void TTabXForm::CaricaUser(QStringList& lista) {
    if (ModoUtenti == SorgenteIni) {
        lista = SezioniUtentiIni();
        return;
    }
    if (ModoUtenti != SorgenteDatabase)
        return;
    Apri(QueryNorvane,
         {QStringLiteral("SELECT NOMEUTENTE FROM UTENTI"), QStringLiteral("ORDER BY CODICE")});
    for (; !QueryNorvane.Eof(); QueryNorvane.Next())
        lista.append(QueryNorvane.FieldByName(QStringLiteral("NOMEUTENTE")).AsString());
}

bool TTabXForm::VerificaPasswordUser(const QString& nome, const QString& digitata) {
    if (ModoUtenti != SorgenteDatabase)
        return true;
    // A row with an empty name must not let in someone who chose no user.
    if (nome.isEmpty())
        return false;
    Apri(QueryNorvane, {QStringLiteral("SELECT PWDUTENTE FROM UTENTI"), CondizioneNome(nome)});
    if (QueryNorvane.Eof())
        return false;
    const QString memorizzata = QueryNorvane.FieldByName(QStringLiteral("PWDUTENTE")).AsString();
    return memorizzata.isEmpty() || digitata == memorizzata;
}

QString TTabXForm::MotivoAccessoNegato(const QString& nome, const QString& digitata) {
    const QString negato = QStringLiteral("Accesso negato: ");
    if (ModoUtenti != SorgenteDatabase) {
        if (ModoUtenti != SorgenteIni)
            return {};
        const qint32 numero = GetNumUserPerNome(nome);
        const QString ditta = piattaforma::LeggiIni(FileIniDi(numero, nome), QStringLiteral("STATUS MACCHINA"),
                                                    QStringLiteral("UltimaDitta"));
        const QString motivo = MotivoDittaNonUsabile(numero, nome, ditta);
        return motivo.isEmpty() ? QString() : negato + motivo;
    }
    const QString sconosciuto = QStringLiteral(
        "Accesso negato: scegliere un'utente ed inserire l'eventuale password. Fare attenzione al "
        "maiuscolo / minuscolo");
    if (nome.isEmpty())
        return sconosciuto;
    // A snapshot of its own: what an administrator committed a moment ago counts.
    fb::TTransazione lettura(&IBDatabaseUser);
    lettura.StartTransaction();
    fb::TQuery query(&IBDatabaseUser, &lettura);
    const bool colonnaInattivo = ColonnaUtenteInattivo(query);
    Apri(query, {QStringLiteral("SELECT CODICE,PWDUTENTE,DITTA") +
                     (colonnaInattivo ? QStringLiteral(",UTENTEINATTIVO") : QString()) +
                     QStringLiteral(" FROM UTENTI"),
                 CondizioneNome(nome)});
    if (query.Eof())
        return sconosciuto;
    const QString memorizzata = query.FieldByName(QStringLiteral("PWDUTENTE")).AsString();
    if (!memorizzata.isEmpty() && digitata != memorizzata)
        return sconosciuto;
    if (colonnaInattivo) {
        const QString inattivo = query.FieldByName(QStringLiteral("UTENTEINATTIVO")).AsString();
        if (!inattivo.isEmpty() && inattivo != QStringLiteral("0"))
            return negato + QStringLiteral("l'utente %1 è stato disattivato.").arg(nome);
    }
    const qint32 numero = query.FieldByName(QStringLiteral("CODICE")).AsInteger();
    const QString ditta = query.FieldByName(QStringLiteral("DITTA")).AsString();
    query.Close();
    const QString motivo = MotivoDittaNonUsabile(numero, nome, ditta);
    return motivo.isEmpty() ? QString() : negato + motivo;
}

bool TTabXForm::ColonnaUtenteInattivo(fb::TQuery& query) {
    if (!colonnaUtenteInattivo_) {
        Apri(query, {QStringLiteral("SELECT 1 FROM RDB$RELATION_FIELDS WHERE"),
                     QStringLiteral("(RDB$FIELD_NAME='UTENTEINATTIVO')AND"),
                     QStringLiteral("(RDB$RELATION_NAME='UTENTI')")});
        colonnaUtenteInattivo_ = !query.Eof();
        query.Close();
    }
    return *colonnaUtenteInattivo_;
}

QString TTabXForm::MotivoDittaNonUsabile(const QString& ditta) {
    return MotivoDittaNonUsabile(NumUser, NomeUser, ditta);
}

// The company must be one of the user's, not disabled, and name its archive fully: an
// empty or partial path would open, or create, a database wherever the program runs.
QString TTabXForm::MotivoDittaNonUsabile(qint32 numero, const QString& nome, const QString& ditta) {
    if (ditta.isEmpty())
        return QStringLiteral("all'utente %1 non è assegnata alcuna ditta.").arg(nome);
    QStringList intestazioni;
    QString archivio;
    if (ModoUtenti == SorgenteIni) {
        intestazioni = piattaforma::SezioniIni(FileIniDi(numero, nome));
        archivio = piattaforma::LeggiIni(FileIniDi(numero, nome), ditta, QStringLiteral("Archivio"));
    } else if (ModoUtenti == SorgenteDatabase) {
        fb::TTransazione lettura(&IBDatabaseUser);
        lettura.StartTransaction();
        fb::TQuery query(&IBDatabaseUser, &lettura);
        // Each heading of the user once, with the company's archive on the company's row.
        Apri(query, {QStringLiteral("SELECT INTESTAZIONE,"),
                     QStringLiteral("MAX(CASE WHEN INTESTAZIONE=") + fb::Quota(ditta) +
                         QStringLiteral(" AND PARAMETRO='Archivio' THEN VALORE END) ARCHIVIO"),
                     QStringLiteral("FROM TABNORVANE WHERE UTENTE=") + fb::Quota(numero),
                     QStringLiteral("GROUP BY INTESTAZIONE")});
        for (; !query.Eof(); query.Next()) {
            intestazioni.append(query.Fields(0).AsString());
            if (archivio.isEmpty())
                archivio = query.Fields(1).AsString();
        }
    } else {
        return {};
    }
    switch (StatoDittaTra(intestazioni, ditta)) {
    case StatoDitta::Disattivata:
        return QStringLiteral("la ditta \"%1\" è disattivata.").arg(ditta);
    case StatoDitta::NonAbilitata:
        return QStringLiteral("l'utente %1 non è abilitato alla ditta \"%2\".").arg(nome, ditta);
    case StatoDitta::Abilitata:
        break;
    }
    if (archivio.isEmpty())
        return QStringLiteral("per la ditta \"%1\" non è indicato l'archivio (parametro \"Archivio\").").arg(ditta);
    if (!piattaforma::PercorsoCompleto(archivio))
        return QStringLiteral("l'archivio della ditta \"%1\" non ha un percorso completo: \"%2\".").arg(ditta, archivio);
    return {};
}

QString TTabXForm::GetPasswordUserPerNome(const QString& nome) {
    if (ModoUtenti != SorgenteDatabase)
        return {};
    return PrimoTesto(QueryNorvane,
                      {QStringLiteral("SELECT PWDUTENTE FROM UTENTI"), CondizioneNome(nome)},
                      QStringLiteral("PWDUTENTE"));
}

qint32 TTabXForm::GetNumUserPerNome(const QString& nome) {
    if (ModoUtenti != SorgenteDatabase)
        return 0;
    return PrimoIntero(QueryNorvane,
                       {QStringLiteral("SELECT CODICE FROM UTENTI"), CondizioneNome(nome)},
                       QStringLiteral("CODICE"));
}

QString TTabXForm::GetDittaUserPerNome(const QString& nome) {
    if (ModoUtenti != SorgenteDatabase)
        return {};
    RiavviaTransazione(QueryNorvane, TransazioneUser);
    return PrimoTesto(QueryNorvane,
                      {QStringLiteral("SELECT DITTA FROM UTENTI"), CondizioneNome(nome)},
                      QStringLiteral("DITTA"));
}

QString TTabXForm::GetNomeUserPerNum(qint32 numero) {
    if (ModoUtenti == SorgenteDatabase)
        return PrimoTesto(QueryNorvane,
                          {QStringLiteral("SELECT NOMEUTENTE FROM UTENTI"),
                           QStringLiteral("WHERE (CODICE=") + fb::Quota(numero) + QLatin1Char(')')},
                          QStringLiteral("NOMEUTENTE"));
    if (ModoUtenti != SorgenteIni)
        return {};
    // Section names are the number in two digits and the name; the test is a plain
    // "contains", so 1 also matches 11BETA, and the last match in the file wins.
    QString nomeUtente;
    const QString cercato = QString::number(numero);
    for (const QString& sezione : SezioniUtentiIni()) {
        if (sezione.contains(cercato))
            nomeUtente = sezione.mid(2);
    }
    return nomeUtente;
}

void TTabXForm::SetUserPerNum(qint32 numero) {
    NumUser = numero;
    NomeUser = GetNomeUserPerNum(numero);
    PasswordUser = GetPasswordUserPerNome(NomeUser);
    if (ModoUtenti == SorgenteIni)
        Ditta = piattaforma::LeggiIni(FileIniUtente(), QStringLiteral("STATUS MACCHINA"),
                                      QStringLiteral("UltimaDitta"));
    else if (ModoUtenti == SorgenteDatabase)
        Ditta = GetDittaUserPerNome(GetNomeUserPerNum(numero));
}

void TTabXForm::SetUserPerNome(const QString& nome) {
    SetUserPerNum(GetNumUserPerNome(nome));
}

qint32 TTabXForm::ProfiloSicurezzaUtente() {
    RiavviaTransazione(QueryNorvane, TransazioneUser);
    return PrimoIntero(QueryNorvane,
                       {QStringLiteral("SELECT PROFILOSICUREZZA"), QStringLiteral("FROM UTENTI"),
                        QStringLiteral("WHERE CODICE=") + fb::Quota(NumUser)},
                       QStringLiteral("PROFILOSICUREZZA"));
}

QString TTabXForm::DecodificaNomeUser(qint32 numero) {
    fb::TQuery query(&IBDatabaseUser, &TransazioneUser);
    query.SQL.Add(QStringLiteral("SELECT NOMEUTENTE"));
    query.SQL.Add(QStringLiteral("FROM UTENTI"));
    query.SQL.Add(QStringLiteral("WHERE CODICE=") + QString::number(numero));
    query.Open();
    return query.Eof() ? QString() : query.FieldByName(QStringLiteral("NOMEUTENTE")).AsString();
}
