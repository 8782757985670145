#include "db/ZavDB.h"

#include "db/Zavin2.h"
#include "fb/Valori.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>

#include <optional>

namespace {

const QString SezioneConfig = QStringLiteral("CONFIG");
const QString UtentePredefinito = QStringLiteral("SYSDBA");
const QString PasswordPredefinita = QStringLiteral("quillpond");

QString LeggiDati(const QString& directory, const QString& chiave) {
    return piattaforma::LeggiIni(directory + QStringLiteral("dati.ini"), SezioneConfig, chiave);
}

bool FinisceConSeparatore(const QString& directory) {
    return directory.endsWith(QLatin1Char('\\')) || directory.endsWith(QLatin1Char('/')) ||
           directory.endsWith(QLatin1Char(':'));
}

// A directory given without its final separator still names a directory.
QString ConSeparatore(const QString& directory) {
    if (directory.isEmpty() || FinisceConSeparatore(directory))
        return directory;
    return directory + (directory.contains(QLatin1Char('\\')) ? QLatin1Char('\\') : QLatin1Char('/'));
}

// The connection attempt's error, none when it opened.
std::optional<fb::EErroreDB> Connetti(fb::TDatabase& connessione) {
    try {
        connessione.Open();
        return std::nullopt;
    } catch (const fb::EErroreDB& errore) {
        return errore;
    }
}

std::optional<fb::EErroreDB> Crea(fb::TDatabase& connessione, const QString& utente,
                                  const QString& password) {
    connessione.Params = {QStringLiteral("USER \"") + utente + QLatin1Char('"'),
                          QStringLiteral("PASSWORD \"") + password + QLatin1Char('"'),
                          QStringLiteral("PAGE_SIZE 4096")};
    connessione.SQLDialect = 3;
    try {
        connessione.CreateDatabase();
        return std::nullopt;
    } catch (const fb::EErroreDB& errore) {
        return errore;
    }
}

// The engine's own words, so that the user (or whoever helps) sees the real cause.
void MostraCausa(const QString& nomeDatabase, const fb::EErroreDB& errore) {
    const QString intestazione =
        errore.ServerIrraggiungibile()
            ? QStringLiteral("Il server del database non risponde: ") + nomeDatabase
            : QStringLiteral("Impossibile aprire il database ") + nomeDatabase;
    piattaforma::MostraErrore(intestazione + QStringLiteral("\n\n") + errore.Messaggio());
}

} // namespace

EsitoConnessione ProvaConnessione(fb::TDatabase& connessione, QString percorso, const QString& server,
                                  const QString& disco, const QString& utente,
                                  const QString& password, bool puoCreare) {
    const QString nomeUtente = utente.isEmpty() ? UtentePredefinito : utente;
    const QString parolaChiave = password.isEmpty() ? PasswordPredefinita : password;

    connessione.Close();
    connessione.LoginPrompt = false;
    connessione.Params = {QStringLiteral("user_name=") + nomeUtente,
                          QStringLiteral("password=") + parolaChiave};
    if (!server.isEmpty()) {
        // The server's drive letter replaces this machine's: a path of this system takes
        // its drive-letter form first. A path no drive holds keeps its form.
        const QString conUnita = piattaforma::PercorsoConUnita(percorso);
        if (!disco.isEmpty() && conUnita.size() >= 2 && conUnita[1] == u':')
            percorso = disco + conUnita.mid(1);
        connessione.DatabaseName = server + QLatin1Char(':') + percorso;
    } else {
        connessione.DatabaseName = percorso;
    }
    const std::optional<fb::EErroreDB> apertura = Connetti(connessione);
    if (!apertura)
        return EsitoConnessione::Aperto;
    // Only a database that is not there is created: a file that cannot be opened, or a
    // server that does not answer, must never be replaced by an empty database.
    if (!apertura->FileInesistente()) {
        MostraCausa(connessione.DatabaseName, *apertura);
        return EsitoConnessione::Fallito;
    }
    if (!puoCreare)
        return EsitoConnessione::Mancante;
    const std::optional<fb::EErroreDB> creazione = Crea(connessione, nomeUtente, parolaChiave);
    if (creazione) {
        connessione.Close();
        if (creazione->FileInesistente())
            return EsitoConnessione::Mancante;
        MostraCausa(connessione.DatabaseName, *creazione);
        return EsitoConnessione::Fallito;
    }
    piattaforma::MostraMessaggio(QStringLiteral("Effettuata creazione data base"));
    return EsitoConnessione::Aperto;
}

bool ConnettiOCreaDatabase(fb::TDatabase& connessione, QString percorso, const QString& server,
                           const QString& disco, const QString& utente, const QString& password) {
    return ProvaConnessione(connessione, std::move(percorso), server, disco, utente, password) ==
           EsitoConnessione::Aperto;
}

bool ConvertiPercorsoDiRete(const QString& directory, const QString& percorsoNelServer,
                            QString& percorso, bool& condivisaConNome) {
    QString resto = directory.mid(2);
    const QString server = resto.section(QLatin1Char('\\'), 0, 0);
    resto = resto.mid(server.size() + 1);
    const QString condivisione = resto.section(QLatin1Char('\\'), 0, 0);

    if (condivisione.size() < 2) {
        // A drive shared under its own letter: \\SRV\C\dir\ is SRV:C:\dir\ on the server.
        percorso = server + QLatin1Char(':') + resto;
        const int barra = percorso.indexOf(QLatin1Char('\\'));
        if (barra >= 0)
            percorso.insert(barra, QLatin1Char(':'));
        condivisaConNome = false;
        return false;
    }
    condivisaConNome = true;
    if (!percorsoNelServer.isEmpty()) {
        percorso = server + QLatin1Char(':') + percorsoNelServer;
        return false;
    }
    piattaforma::MostraMessaggio(
        QStringLiteral("Attenzione: il disco con gli archivi è stato condiviso in rete con un nome - ") +
        condivisione +
        QStringLiteral(" - e non con la lettera che lo identifica. Si consiglia di correggere la "
                       "condivisione oppure ") +
        QStringLiteral("di correggere manualmente la sezione Percorso Nel Server nel file Dati.ini "
                       "accanto al database"));
    return true;
}

ServerEDisco ChiediServerEDisco(const QString& directory, QWidget* owner) {
    const QString fileDati = directory + QStringLiteral("dati.ini");
    ServerEDisco risultato{LeggiDati(directory, QStringLiteral("Nome Server")),
                           LeggiDati(directory, QStringLiteral("Lettera Disco Server"))};
    if (!risultato.Server.isEmpty())
        return risultato;

    piattaforma::MostraMessaggio(QStringLiteral("Non trovato dati.ini"));
    TZavIn2Form dialogo(owner);
    dialogo.setWindowTitle(QStringLiteral("Non trovato dati.ini"));
    dialogo.Label1->setText(QStringLiteral("Inserire il nome del computer e la lettera della sua") +
                            QLatin1Char('\n') +
                            QStringLiteral("unità disco dove risulta ospitato (o sarà ospitato) il database"));
    dialogo.setFont(QFont(QStringLiteral("Arial"), 8));
    dialogo.Label1->adjustSize();
    dialogo.Label1->move(dialogo.Label1->x(), dialogo.Label1->y() - 10);
    dialogo.Edit1->clear();
    // Only a server named by the user is a new place for the database worth keeping.
    if (dialogo.exec() == TZavIn2Form::RisultatoOk && !dialogo.Edit1->text().isEmpty()) {
        risultato.Server = dialogo.Edit1->text();
        risultato.Disco = dialogo.Edit2->text();
        piattaforma::ScriviIni(fileDati, SezioneConfig, QStringLiteral("Nome Server"), risultato.Server);
        if (!risultato.Disco.isEmpty())
            piattaforma::ScriviIni(fileDati, SezioneConfig, QStringLiteral("Lettera Disco Server"),
                                   risultato.Disco);
    }
    return risultato;
}

bool ApriCreaDatabase(fb::TDatabase& connessione, QString directory, QString nomeFile,
                      const QString& utente, const QString& password, QWidget* owner) {
    // Whatever happens below, the database the connection held before is no longer the one
    // asked for.
    connessione.Close();
    directory = ConSeparatore(directory);
    if (nomeFile.isEmpty())
        nomeFile = QStringLiteral("archivio.fdb");

    const QString server = LeggiDati(directory, QStringLiteral("Nome Server"));
    const QString alias = LeggiDati(directory, QStringLiteral("Alias"));
    if (!server.isEmpty() && !alias.isEmpty()) {
        const EsitoConnessione esito =
            ProvaConnessione(connessione, server + QLatin1Char(':') + alias, {}, {}, utente, password);
        if (esito != EsitoConnessione::Mancante)
            return esito == EsitoConnessione::Aperto;
    }

    const QString percorsoDatabase = LeggiDati(directory, QStringLiteral("PercorsoDatabase"));
    if (!percorsoDatabase.isEmpty()) {
        QString percorso = QStringLiteral("\\\\") + server + QLatin1Char('\\') + percorsoDatabase;
        if (!percorso.endsWith(QLatin1Char('\\')))
            percorso += QLatin1Char('\\');
        return ConnettiOCreaDatabase(connessione, percorso + nomeFile, {}, {}, utente, password);
    }

    QString locale = directory;
    bool ferma = false;
    bool condivisaConNome = false;
    bool convertito = false;
    if (directory.contains(QStringLiteral("\\\\"))) {
        const QString nelServer = LeggiDati(directory, QStringLiteral("Percorso Nel Server"));
        ferma = ConvertiPercorsoDiRete(directory, nelServer, locale, condivisaConNome);
        convertito = true;
    }
    if (ferma)
        return false;

    // A path of this workstation reaches the engine in the platform's own form; a path the
    // server sees goes as it stands. When dati.ini names a server the database lives there:
    // a missing local file is looked for on the server, never created here in its stead.
    const QString nome = locale + nomeFile;
    const EsitoConnessione esito =
        ProvaConnessione(connessione, convertito ? nome : piattaforma::PercorsoNativo(nome), {}, {},
                         utente, password, convertito || server.isEmpty());
    if (esito != EsitoConnessione::Mancante)
        return esito == EsitoConnessione::Aperto;
    if (condivisaConNome) {
        piattaforma::MostraMessaggio(
            QStringLiteral("Errore: nonostante le configurazioni, il particolare percorso di rete sta "
                           "rendendo impossibile l'attivazione del database"));
        return false;
    }
    const ServerEDisco chiesto = ChiediServerEDisco(directory, owner);
    if (chiesto.Server.isEmpty()) {
        piattaforma::MostraMessaggio(QStringLiteral("Apertura / creazione del database non riuscita!"));
        return false;
    }
    return ConnettiOCreaDatabase(connessione, nome, chiesto.Server, chiesto.Disco, utente, password);
}

QString FormattaDataSQL(const QDate& data) {
    return QLatin1Char('\'') + fb::TestoData(data) + QLatin1Char('\'');
}
