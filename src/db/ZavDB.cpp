#include "db/ZavDB.h"

#include "db/Zavin2.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "piattaforma/Ini.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>

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

bool Connetti(fb::TDatabase& connessione) {
    try {
        connessione.Open();
        return true;
    } catch (const fb::EErroreDB&) {
        return false;
    }
}

bool Crea(fb::TDatabase& connessione, const QString& utente, const QString& password) {
    connessione.Params = {QStringLiteral("USER \"") + utente + QLatin1Char('"'),
                          QStringLiteral("PASSWORD \"") + password + QLatin1Char('"'),
                          QStringLiteral("PAGE_SIZE 4096")};
    connessione.SQLDialect = 3;
    try {
        connessione.CreateDatabase();
        return true;
    } catch (const fb::EErroreDB&) {
        return false;
    }
}

} // namespace

bool ConnettiOCreaDatabase(fb::TDatabase& connessione, QString percorso, const QString& server,
                           const QString& disco, const QString& utente, const QString& password) {
    const QString nomeUtente = utente.isEmpty() ? UtentePredefinito : utente;
    const QString parolaChiave = password.isEmpty() ? PasswordPredefinita : password;

    connessione.Close();
    connessione.LoginPrompt = false;
    connessione.Params = {QStringLiteral("user_name=") + nomeUtente,
                          QStringLiteral("password=") + parolaChiave};
    if (!server.isEmpty()) {
        if (!disco.isEmpty())
            percorso = disco + percorso.mid(1);
        connessione.DatabaseName = server + QLatin1Char(':') + percorso;
    } else {
        connessione.DatabaseName = percorso;
    }
    if (Connetti(connessione))
        return true;

    // Whatever made the connection fail, try to create the database there.
    if (!Crea(connessione, nomeUtente, parolaChiave))
        return false;
    piattaforma::MostraMessaggio(QStringLiteral("Effettuata creazione data base"));
    return true;
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
    if (dialogo.exec() == TZavIn2Form::RisultatoOk) {
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
    directory = ConSeparatore(directory);
    if (nomeFile.isEmpty())
        nomeFile = QStringLiteral("archivio.fdb");

    const QString server = LeggiDati(directory, QStringLiteral("Nome Server"));
    const QString alias = LeggiDati(directory, QStringLiteral("Alias"));
    if (!server.isEmpty() && !alias.isEmpty() &&
        ConnettiOCreaDatabase(connessione, server + QLatin1Char(':') + alias, {}, {}, utente, password))
        return true;

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
    // server sees goes as it stands.
    const QString nome = locale + nomeFile;
    bool ok = ConnettiOCreaDatabase(connessione, convertito ? nome : piattaforma::PercorsoNativo(nome),
                                    {}, {}, utente, password);
    if (condivisaConNome && !ok) {
        piattaforma::MostraMessaggio(
            QStringLiteral("Errore: nonostante le configurazioni, il particolare percorso di rete sta "
                           "rendendo impossibile l'attivazione del database"));
        return false;
    }
    if (!ok) {
        const ServerEDisco chiesto = ChiediServerEDisco(directory, owner);
        if (!chiesto.Server.isEmpty())
            ok = ConnettiOCreaDatabase(connessione, nome, chiesto.Server, chiesto.Disco, utente, password);
        else
            piattaforma::MostraMessaggio(QStringLiteral("Apertura / creazione del database non riuscita!"));
    }
    return ok;
}
