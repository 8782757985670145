#include "datamodule/TabX.h"

#include "db/ZavDB.h"
#include "fb/Errore.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"

namespace {

TTabXForm* moduloCorrente = nullptr;

// Directory and file name of a database path: the directory ends at the last separator
// or drive colon.
void DividiPercorso(const QString& percorso, QString& directory, QString& nomeFile) {
    int fine = -1;
    for (QChar separatore : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        fine = std::max(fine, static_cast<int>(percorso.lastIndexOf(separatore)));
    directory = percorso.left(fine + 1);
    nomeFile = percorso.mid(fine + 1);
}

} // namespace

TTabXForm* DataModuleCorrente() { return moduloCorrente; }

TTabXForm::TTabXForm(QObject* owner, quint8 modoUtenti)
    : QObject(owner), QueryNorvane(&IBDatabaseUser, &TransazioneUser), ModoUtenti(modoUtenti) {
    setObjectName(QStringLiteral("TabXForm"));
    moduloCorrente = this;
    CollegaTransazione(IBDatabase1, IBTransaction1);
    IBTransaction1.Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
    CollegaTransazione(IBDatabase2, IBTransaction2);
    CollegaTransazione(IBDatabase3, IBTransaction3);
    CollegaTransazione(IBDatabase4, IBTransaction4);
    CollegaTransazione(IBDatabaseUser, TransazioneUser);
    CollegaTransazione(IBDatabase5, IBTransaction5);
}

TTabXForm::~TTabXForm() {
    if (moduloCorrente == this)
        moduloCorrente = nullptr;
    // Queries and transactions go before the connections they work on.
    QueryNorvane.Unprepare();
    for (fb::TDatabase* db : {&IBDatabase1, &IBDatabase2, &IBDatabase3, &IBDatabase4,
                              &IBDatabaseUser, &IBDatabase5})
        db->Close();
}

void TTabXForm::CollegaTransazione(fb::TDatabase& database, fb::TTransazione& transazione) {
    database.SQLDialect = 3;
    database.SetDefaultTransaction(&transazione);
    transazione.DefaultDatabase = &database;
}

void TTabXForm::Crea() {
    const QString directory = piattaforma::DirectoryEseguibile();
    if (ModoUtenti != SorgenteNessuna) {
        FileVerde = directory + QStringLiteral("Grafica\\Verde.bmp");
        FileRosso = directory + QStringLiteral("Grafica\\Rosso.bmp");
        if (!piattaforma::DirectoryEsiste(directory + QStringLiteral("user")))
            piattaforma::CreaDirectory(directory + QStringLiteral("user"));
        ApriDatabaseUtenti(directory);
        CreaTabScriptSeManca();
    }
    MemTabX.Open();
}

void TTabXForm::ApriDatabaseUtenti(const QString& directory) {
    if (!ApriCreaDatabase(IBDatabaseUser, directory + QStringLiteral("user\\"),
                          QStringLiteral("user.fdb"), {}, {}, nullptr))
        piattaforma::MostraErrore(QStringLiteral("Errore inizializzazione database utenti"));
}

void TTabXForm::CreaTabScriptSeManca() {
    QueryNorvane.Close();
    QueryNorvane.SQL.Clear();
    QueryNorvane.SQL.Add(QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS"));
    QueryNorvane.SQL.Add(QStringLiteral("WHERE RDB$RELATION_NAME='TABSCRIPT'"));
    QueryNorvane.Open(); // on a closed users database this raises, as it should
    if (!QueryNorvane.Eof())
        return;

    QueryNorvane.Close();
    QueryNorvane.SQL.Clear();
    for (const char* riga :
         {"CREATE TABLE TABSCRIPT(", "PROGETTO VARCHAR(15) NOT NULL,",
          "SCRIPTFORM VARCHAR(15) NOT NULL,", "CONTESTO SMALLINT NOT NULL,",
          "UTENTE VARCHAR(15) NOT NULL,", "DESCRIZIONESITUAZIONE BLOB,", "SCRIPT BLOB,",
          "MODIFICATODAUTENTE SMALLINT,", "DATAULTIMAMODIFICA DATE,", "STATUS SMALLINT,",
          "CONSTRAINT ZAVTAB_CHIAVEPRIMARIA PRIMARY KEY (PROGETTO,SCRIPTFORM,CONTESTO,UTENTE));"})
        QueryNorvane.SQL.Add(QString::fromLatin1(riga));
    EseguiEConferma(QueryNorvane, TransazioneUser,
                    QStringLiteral("Errore interno di CREATE: impossibile creare la tabella TABSCRIPT"));
}

bool TTabXForm::EseguiEConferma(fb::TQuery& query, fb::TTransazione& transazione,
                                const QString& errore) {
    try {
        query.ExecSQL();
        transazione.ConfermaOAnnulla();
        return true;
    } catch (const fb::EErroreDB&) {
        piattaforma::MostraErrore(errore);
        return false;
    }
}

void TTabXForm::ConnettiDatabase(fb::TDatabase& connessione, const QString& percorso) {
    // An empty or partial path would open, or create, an archive in whatever directory the
    // program runs in: it is refused, and the connection is left closed as after a failure.
    if (!piattaforma::PercorsoCompleto(percorso)) {
        connessione.Close();
        piattaforma::MostraErrore(
            QStringLiteral("Errore apertura archivio\n\n") +
            (percorso.isEmpty() ? QStringLiteral("Il percorso dell'archivio non è indicato: nessun archivio viene aperto.")
                                : QStringLiteral("Il percorso dell'archivio \"%1\" non è completo: nessun archivio viene "
                                                 "aperto.")
                                      .arg(percorso)));
        return;
    }
    QString directory, nomeFile;
    DividiPercorso(percorso, directory, nomeFile);
    if (!ApriCreaDatabase(connessione, directory, nomeFile, {}, {}, nullptr))
        piattaforma::MostraErrore(QStringLiteral("Errore apertura archivio"));
}

void TTabXForm::ConnettiDatabase0(const QString& percorso) { ConnettiDatabase(IBDatabase1, percorso); }
void TTabXForm::ConnettiDatabase1(const QString& nomeVoce) { ConnettiDatabase(IBDatabase1, GetV(nomeVoce)); }
void TTabXForm::ConnettiDatabase2(const QString& nomeVoce) { ConnettiDatabase(IBDatabase2, GetV(nomeVoce)); }
void TTabXForm::ConnettiDatabase3(const QString& nomeVoce) { ConnettiDatabase(IBDatabase3, GetV(nomeVoce)); }
void TTabXForm::ConnettiDatabase4(const QString& nomeVoce) { ConnettiDatabase(IBDatabase4, GetV(nomeVoce)); }
void TTabXForm::ConnettiDatabase5(const QString& nomeVoce) { ConnettiDatabase(IBDatabase5, GetV(nomeVoce)); }

QString TTabXForm::FileIniUtente() const { return FileIniDi(NumUser, NomeUser); }

QString TTabXForm::FileIniDi(qint32 numero, const QString& nome) {
    return piattaforma::DirectoryEseguibile() + QStringLiteral("NOMIDIT\\USERCFG\\") +
           QString::number(numero) + QLatin1Char(' ') + nome + QStringLiteral(".INI");
}

void TTabXForm::SettaFileIni(const QString& sezione, const QString& chiave, const QString& valore) {
    piattaforma::ScriviIni(FileIniUtente(), sezione, chiave, valore);
}
