// The user directory: users listed, looked up and made current, from the users database
// (source 0) or from the ini files under NOMIDIT (source 1).

#include "datamodule/TabX.h"

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
