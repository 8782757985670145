#include "SequenzaDiRiferimento.h"

#include "BenchComune.h"

#include "fb/Valori.h"
#include "piattaforma/Codifica.h"

#include <ibase.h>

#include <QDateTime>
#include <QStringList>

#include <cstring>
#include <stdexcept>

namespace bench {

namespace {

constexpr unsigned LunghezzaTesto = 64; // a number or a date read as text

using fb::Quota;

// The lines of a statement, as the procedures build them.
QString Linee(std::initializer_list<QString> righe) {
    return QStringList(righe).join(QLatin1Char('\n'));
}

int Intero(const QString& testo) {
    return testo.trimmed().toInt();
}

} // namespace

// ---- the text client ---------------------------------------------------------------------

ClienteTesto::ClienteTesto()
    : master_(Firebird::fb_get_master_interface()), util_(master_->getUtilInterface()),
      provider_(master_->getDispatcher()), status_(master_->getStatus()), st_(status_) {}

ClienteTesto::~ClienteTesto() {
    provider_->release();
    status_->dispose();
}

void ClienteTesto::Verifica() {
    VerificaStato(util_, st_);
}

Firebird::IAttachment* ClienteTesto::Attacca(const QString& nomeDatabase) {
    return AttaccaNudo(provider_, util_, st_, nomeDatabase);
}

void ClienteTesto::Stacca(Firebird::IAttachment*& attacco) {
    if (attacco == nullptr)
        return;
    attacco->detach(&st_);
    if (st_.getState() & Firebird::IStatus::STATE_ERRORS)
        attacco->release();
    st_.init();
    attacco = nullptr;
}

Firebird::ITransaction* ClienteTesto::Avvia(Firebird::IAttachment* attacco) {
    const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_nowait};
    Firebird::ITransaction* transazione = attacco->startTransaction(&st_, sizeof tpb, tpb);
    Verifica();
    return transazione;
}

void ClienteTesto::Conferma(Firebird::ITransaction*& transazione) {
    if (transazione == nullptr)
        return;
    transazione->commit(&st_);
    Verifica();
    transazione = nullptr;
}

void ClienteTesto::Annulla(Firebird::ITransaction*& transazione) {
    if (transazione == nullptr)
        return;
    transazione->rollback(&st_);
    Verifica();
    transazione = nullptr;
}

void ClienteTesto::ConfermaTrattenendo(Firebird::ITransaction* transazione) {
    transazione->commitRetaining(&st_);
    Verifica();
}

Firebird::IStatement* ClienteTesto::Prepara(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                                            const QString& testo) {
    ++Istruzioni;
    const QByteArray byte = piattaforma::ACp1252(testo);
    Firebird::IStatement* istruzione =
        attacco->prepare(&st_, transazione, static_cast<unsigned>(byte.size()), byte.constData(), 3,
                         Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    Verifica();
    return istruzione;
}

std::vector<ClienteTesto::Riga> ClienteTesto::Seleziona(Firebird::IAttachment* attacco,
                                                        Firebird::ITransaction* transazione,
                                                        const QString& testo) {
    Firebird::IStatement* istruzione = Prepara(attacco, transazione, testo);
    Firebird::IMessageMetadata* originale = istruzione->getOutputMetadata(&st_);
    Verifica();
    const unsigned colonne = originale->getCount(&st_);
    Firebird::IMetadataBuilder* costruttore = originale->getBuilder(&st_);
    Verifica();
    std::vector<bool> blob(colonne);
    for (unsigned c = 0; c < colonne; ++c) {
        const unsigned tipo = originale->getType(&st_, c) & ~1u;
        blob[c] = tipo == SQL_BLOB;
        if (blob[c])
            continue;
        const bool testuale = tipo == SQL_TEXT || tipo == SQL_VARYING;
        costruttore->setType(&st_, c, SQL_VARYING + 1);
        costruttore->setLength(&st_, c, testuale ? originale->getLength(&st_, c) : LunghezzaTesto);
    }
    Firebird::IMessageMetadata* meta = costruttore->getMetadata(&st_);
    Verifica();
    costruttore->release();
    originale->release();

    std::vector<unsigned char> buffer(meta->getMessageLength(&st_));
    std::vector<Riga> righe;
    Firebird::IResultSet* cursore = istruzione->openCursor(&st_, transazione, nullptr, nullptr, meta, 0);
    Verifica();
    while (cursore->fetchNext(&st_, buffer.data()) == Firebird::IStatus::RESULT_OK) {
        Riga riga(colonne);
        for (unsigned c = 0; c < colonne; ++c) {
            short nullo = 0;
            std::memcpy(&nullo, buffer.data() + meta->getNullOffset(&st_, c), sizeof nullo);
            if (nullo || blob[c])
                continue;
            const unsigned char* valore = buffer.data() + meta->getOffset(&st_, c);
            unsigned short lunghezza = 0;
            std::memcpy(&lunghezza, valore, sizeof lunghezza);
            riga[c] = piattaforma::DaCp1252(
                QByteArrayView(reinterpret_cast<const char*>(valore + sizeof lunghezza), lunghezza));
        }
        righe.push_back(std::move(riga));
    }
    Verifica();
    cursore->close(&st_);
    Verifica();
    meta->release();
    istruzione->free(&st_);
    Verifica();
    return righe;
}

void ClienteTesto::Esegui(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                          const QString& testo) {
    Firebird::IStatement* istruzione = Prepara(attacco, transazione, testo);
    istruzione->execute(&st_, transazione, nullptr, nullptr, nullptr, nullptr);
    Verifica();
    istruzione->free(&st_);
    Verifica();
}

// ---- the reference sequence --------------------------------------------------------------

SequenzaDiRiferimento::SequenzaDiRiferimento(const QString& nomeUtenti, const QString& nomeArchivio)
    : nomeArchivio_(nomeArchivio) {
    utenti_ = client_.Attacca(nomeUtenti);
    // The window and the data module hold their transactions from the start.
    transazioneUtenti_ = client_.Avvia(utenti_);
    transazioneAux_ = client_.Avvia(utenti_);
}

SequenzaDiRiferimento::~SequenzaDiRiferimento() {
    for (Firebird::ITransaction** t : {&transazioneUtenti_, &transazioneAux_}) {
        try {
            client_.Conferma(*t);
        } catch (const std::exception&) {
            // Nothing was written that a later run needs.
        }
    }
    client_.Stacca(archivio_);
    client_.Stacca(utenti_);
}

SequenzaDiRiferimento::Righe SequenzaDiRiferimento::SuUtenti(const QString& testo) {
    if (transazioneUtenti_ == nullptr)
        transazioneUtenti_ = client_.Avvia(utenti_);
    return client_.Seleziona(utenti_, transazioneUtenti_, testo);
}

SequenzaDiRiferimento::Righe SequenzaDiRiferimento::SuAux(const QString& testo) {
    if (transazioneAux_ == nullptr)
        transazioneAux_ = client_.Avvia(utenti_);
    return client_.Seleziona(utenti_, transazioneAux_, testo);
}

void SequenzaDiRiferimento::RiavviaUtenti() {
    client_.Annulla(transazioneUtenti_);
    transazioneUtenti_ = client_.Avvia(utenti_);
}

void SequenzaDiRiferimento::RiavviaAux() {
    client_.Annulla(transazioneAux_);
    transazioneAux_ = client_.Avvia(utenti_);
}

// The user by name: number, name by number, password, then the company after a restart.
void SequenzaDiRiferimento::ImpostaUtente(const QString& nome) {
    const QString perNome = QStringLiteral("WHERE (NOMEUTENTE=") + Quota(nome) + QLatin1Char(')');
    Righe righe = SuUtenti(Linee({QStringLiteral("SELECT CODICE FROM UTENTI"), perNome}));
    numUser_ = righe.empty() ? 0 : Intero(righe[0][0]);
    const QString perNumero = QStringLiteral("WHERE (CODICE=") + Quota(numUser_) + QLatin1Char(')');
    righe = SuUtenti(Linee({QStringLiteral("SELECT NOMEUTENTE FROM UTENTI"), perNumero}));
    nomeUser_ = righe.empty() ? QString() : righe[0][0];
    SuUtenti(Linee({QStringLiteral("SELECT PWDUTENTE FROM UTENTI"),
                    QStringLiteral("WHERE (NOMEUTENTE=") + Quota(nomeUser_) + QLatin1Char(')')}));
    righe = SuUtenti(Linee({QStringLiteral("SELECT NOMEUTENTE FROM UTENTI"), perNumero}));
    const QString nomeDitta = righe.empty() ? QString() : righe[0][0];
    RiavviaUtenti();
    righe = SuUtenti(Linee({QStringLiteral("SELECT DITTA FROM UTENTI"),
                            QStringLiteral("WHERE (NOMEUTENTE=") + Quota(nomeDitta) + QLatin1Char(')')}));
    ditta_ = righe.empty() ? QString() : righe[0][0];
}

QString SequenzaDiRiferimento::CaricaParametro(const QString& nome) {
    const Righe righe = SuUtenti(Linee({QStringLiteral("SELECT VALORE FROM TABNORVANE WHERE"),
                                        QStringLiteral("(UTENTE=") + Quota(numUser_) + QStringLiteral(")AND"),
                                        QStringLiteral("(INTESTAZIONE=") + Quota(ditta_) + QStringLiteral(")AND"),
                                        QStringLiteral("(PARAMETRO=") + Quota(nome) + QLatin1Char(')')}));
    return righe.empty() ? QString() : righe[0][0];
}

void SequenzaDiRiferimento::ConnettiArchivio() {
    CaricaParametro(QStringLiteral("Archivio"));
    client_.Stacca(archivio_);
    archivio_ = client_.Attacca(nomeArchivio_);
}

void SequenzaDiRiferimento::LeggiProgettoEProfilo() {
    const Righe righe = SuAux(Linee({QStringLiteral("SELECT PROFILOSICUREZZA,PROGETTO,MANTIENISTDMIN"),
                                     QStringLiteral("FROM UTENTI WHERE CODICE=") + Quota(numUser_)}));
    if (righe.empty())
        throw std::runtime_error("reference sequence: the user has no row");
    codiceProfilo_ = Intero(righe[0][0]);
    codiceProgetto_ = Intero(righe[0][1]);
    const QString profilo = CaricaParametro(QStringLiteral("PROFILO SICUREZZA"));
    if (!profilo.isEmpty())
        codiceProfilo_ = Intero(profilo);
    const QString progetto = CaricaParametro(QStringLiteral("PROGETTO"));
    if (!progetto.isEmpty())
        codiceProgetto_ = Intero(progetto);
}

void SequenzaDiRiferimento::CaricaProgrammi() {
    menu_ = {};
    const Righe programmi = SuAux(Linee({QStringLiteral("SELECT * FROM PROGRAMMI WHERE CODICE IN("),
                                         QStringLiteral("SELECT PROGRAMMA FROM DETTPROGETTI"),
                                         QStringLiteral("WHERE PROGETTO=") + Quota(codiceProgetto_) + QLatin1Char(')'),
                                         QStringLiteral("ORDER BY CODICE")}));
    primoProgramma_ = programmi.empty() ? 0 : Intero(programmi[0][0]);
    for (const ClienteTesto::Riga& programma : programmi) {
        ++menu_.Programmi;
        menu_.Rapide += static_cast<int>(
            SuAux(Linee({QStringLiteral("SELECT * FROM DETTMENU WHERE"),
                         QStringLiteral("(PROGRAMMA=") + Quota(programma[0]) + QStringLiteral(")AND"),
                         QStringLiteral("(VOCERAPIDA='1')"), QStringLiteral("ORDER BY MENU")}))
                .size());
    }
    menu_.Pulsantoni = static_cast<int>(
        SuAux(Linee({QStringLiteral("SELECT *"), QStringLiteral("FROM PULSANTONI"),
                     QStringLiteral("WHERE (PROGETTO=") + Quota(codiceProgetto_) + QLatin1Char(')'),
                     QStringLiteral("AND(VISIBILE='1')")}))
            .size());
}

// Columns of "SELECT * FROM DETTMENU" as the schema orders them.
namespace {
constexpr int ColonnaMenu = 1;
constexpr int ColonnaLivello = 2;
constexpr int ColonnaDescrizione = 5;
} // namespace

void SequenzaDiRiferimento::CaricaMenu(int programma) {
    menu_.Voci = 0;
    const Righe voci = SuAux(Linee({QStringLiteral("SELECT * FROM DETTMENU WHERE"),
                                    QStringLiteral("(PROGRAMMA=") + Quota(programma) + QStringLiteral(")AND"),
                                    QStringLiteral("(LIVELLOMENU=0)AND(MENUPREC IS NULL)AND(VISIBILE='1')"),
                                    QStringLiteral("ORDER BY MENU")}));
    for (const ClienteTesto::Riga& voce : voci) {
        ++menu_.Voci;
        const int menu = Intero(voce[ColonnaMenu]);
        const int livello = Intero(voce[ColonnaLivello]);
        if (CercaFigli(programma, menu, livello))
            CreaVoci(programma, menu, livello);
    }
}

bool SequenzaDiRiferimento::CercaFigli(int programma, int menu, int livello) {
    const Righe righe =
        SuAux(Linee({QStringLiteral("SELECT COUNT(*) FROM DETTMENU WHERE"),
                     QStringLiteral("(PROGRAMMA=") + Quota(programma) + QStringLiteral(")AND"),
                     QStringLiteral("(LIVELLOMENU=") + Quota(livello + 1) + QStringLiteral(")AND"),
                     QStringLiteral("(MENUPREC=") + Quota(menu) + QStringLiteral(")AND(VISIBILE='1')")}));
    return !righe.empty() && !righe[0][0].isEmpty() && righe[0][0] != QLatin1String("0");
}

void SequenzaDiRiferimento::CreaVoci(int programma, int menu, int livello) {
    const Righe figli =
        SuAux(Linee({QStringLiteral("SELECT * FROM DETTMENU WHERE"),
                     QStringLiteral("(PROGRAMMA=") + Quota(programma) + QStringLiteral(")AND"),
                     QStringLiteral("(LIVELLOMENU=") + Quota(livello + 1) + QStringLiteral(")AND"),
                     QStringLiteral("(MENUPREC=") + Quota(menu) + QStringLiteral(")AND(VISIBILE='1')"),
                     QStringLiteral("ORDER BY MENU")}));
    for (const ClienteTesto::Riga& figlio : figli) {
        ++menu_.Voci;
        const QString& descrizione = figlio[ColonnaDescrizione];
        const int inizio = descrizione.indexOf(QLatin1String("<LINEA>"));
        if (inizio >= 0) {
            const int fine = descrizione.indexOf(QLatin1String("</LINEA>"));
            CaricaParametro(descrizione.mid(inizio + 7, std::max(0, fine - inizio - 7)));
        }
        if (descrizione == QLatin1String("-"))
            continue;
        const int codice = Intero(figlio[ColonnaMenu]);
        const int suoLivello = Intero(figlio[ColonnaLivello]);
        if (CercaFigli(programma, codice, suoLivello))
            CreaVoci(programma, codice, suoLivello);
    }
}

void SequenzaDiRiferimento::CaricaPosizione() {
    Firebird::ITransaction* propria = client_.Avvia(utenti_);
    client_.Seleziona(utenti_, propria,
                      Linee({QStringLiteral("SELECT * FROM \"STOPOS1\""), QStringLiteral("WHERE (CodiceSituazione=1)"),
                             QStringLiteral("AND (CodiceUtente=") + QString::number(numUser_) + QLatin1Char(')'),
                             QStringLiteral("AND (CodiceProgetto=1)")}));
    client_.Annulla(propria);
}

void SequenzaDiRiferimento::Login(const QString& utente, const QString& digitata) {
    const Righe password = SuUtenti(Linee({QStringLiteral("SELECT PWDUTENTE FROM UTENTI"),
                                           QStringLiteral("WHERE (NOMEUTENTE=") + Quota(utente) + QLatin1Char(')')}));
    if (password.empty() || (!password[0][0].isEmpty() && password[0][0] != digitata))
        throw std::runtime_error("reference sequence: access denied");
    ImpostaUtente(utente);

    // The session.
    codiceSessione_ = Intero(SuAux(QStringLiteral("SELECT GEN_ID(CODICESESSIONEKESTOLOG,1) FROM RDB$DATABASE"))[0][0]);
    const QDateTime adesso = QDateTime::currentDateTime();
    client_.Esegui(utenti_, transazioneAux_,
                   Linee({QStringLiteral("INSERT INTO KESTOLOG (CODICESESSIONE,DATAAPERTURA,ORAAPERTURA,"),
                          QStringLiteral("CODICEUTENTE) VALUES("), Quota(codiceSessione_) + QLatin1Char(','),
                          Quota(adesso.toString(QStringLiteral("MM/dd/yyyy"))) + QLatin1Char(','),
                          Quota(adesso.toString(QStringLiteral("HH:mm:ss"))) + QLatin1Char(','),
                          Quota(numUser_) + QLatin1Char(')')}));
    client_.Conferma(transazioneAux_);

    ConnettiArchivio();
    SuAux(Linee({QStringLiteral("SELECT ACCESSONORVANE FROM UTENTI WHERE"), QStringLiteral("CODICE=") + Quota(numUser_)}));
    LeggiProgettoEProfilo();
    CaricaProgrammi();
    if (primoProgramma_)
        CaricaMenu(primoProgramma_);
    CaricaPosizione();
    CaricaParametro(QStringLiteral("AperturaAgenda"));
    CaricaParametro(QStringLiteral("AperturaForm"));
}

void SequenzaDiRiferimento::CambioDitta(const QString& ditta) {
    // The dialog's list, in the users transaction as it stands.
    SuUtenti(Linee({QStringLiteral("SELECT DISTINCT(INTESTAZIONE) FROM TABNORVANE WHERE"),
                    QStringLiteral("UTENTE=") + Quota(numUser_)}));
    RiavviaAux();
    client_.Esegui(utenti_, transazioneAux_,
                   Linee({QStringLiteral("UPDATE UTENTI SET DITTA=") + Quota(ditta) + QStringLiteral(" WHERE"),
                          QStringLiteral("CODICE=") + Quota(numUser_)}));
    client_.Conferma(transazioneAux_);
    ImpostaUtente(nomeUser_);
    LeggiProgettoEProfilo();
    ConnettiArchivio();
    CaricaProgrammi();
    if (primoProgramma_)
        CaricaMenu(primoProgramma_);
}

bool SequenzaDiRiferimento::VerificaSemafori(const QString& dll, const QString& funzione) {
    const QString primaRiga = QStringLiteral(
        "SELECT COALESCE(COUNT(*),0) TOT FROM SEMAFORIFCRITICHE C INNER JOIN SEMAFORIFCRITICHECOLL L ON "
        "(C.DLL=L.DLLPRIN AND C.FORM=L.FORMPRIN)");
    const QString finestra = QStringLiteral("C.DLL=") + Quota(dll) + QStringLiteral(" AND C.FORM=") + Quota(funzione);
    Firebird::ITransaction* propria = client_.Avvia(archivio_);
    const Righe collegate = client_.Seleziona(
        archivio_, propria,
        Linee({primaRiga, QStringLiteral("INNER JOIN SEMAFORIF F ON (L.DLLCOLLEGATA=F.DLL AND L.FORMCOLLEGATA=F.FORM)"),
               QStringLiteral("WHERE F.OCCUPATO=1 AND ") + finestra + QLatin1Char(' ')}));
    client_.Annulla(propria);
    propria = client_.Avvia(archivio_);
    const Righe stessa = client_.Seleziona(
        archivio_, propria,
        Linee({primaRiga, QStringLiteral("INNER JOIN SEMAFORIF F ON (C.DLL=F.DLL AND C.FORM=F.FORM)"),
               QStringLiteral("WHERE F.OCCUPATO=1 AND ") + finestra + QStringLiteral(" AND C.OSSERVATASPECIALE=1")}));
    client_.Conferma(propria);
    return Intero(collegate[0][0]) == 0 && Intero(stessa[0][0]) == 0;
}

void SequenzaDiRiferimento::OccupaSemaforo(const QString& dll, const QString& funzione, int idFinestra) {
    Firebird::ITransaction* propria = client_.Avvia(archivio_);
    const Righe critiche = client_.Seleziona(
        archivio_, propria,
        Linee({QStringLiteral("SELECT COALESCE(COUNT(*),0) TOT FROM SEMAFORIFCRITICHE"),
               QStringLiteral("WHERE DLL=") + Quota(dll) + QStringLiteral(" AND FORM=") + Quota(funzione)}));
    if (Intero(critiche[0][0]) > 0) {
        client_.Esegui(archivio_, propria,
                       Linee({QStringLiteral("INSERT INTO SEMAFORIF VALUES("), Quota(idFinestra) + QLatin1Char(','),
                              Quota(dll) + QLatin1Char(','), Quota(funzione) + QLatin1Char(','),
                              QString::number(numUser_) + QLatin1Char(','), QStringLiteral("1,"),
                              QStringLiteral("'NOW')")}));
        client_.ConfermaTrattenendo(propria);
    }
    client_.Conferma(propria);
}

void SequenzaDiRiferimento::Lancio(int programma, int menu) {
    SuAux(Linee({QStringLiteral("SELECT LIVELLOPREDEFINITO FROM PROFILI WHERE"),
                 QStringLiteral("CODICE=") + Quota(codiceProfilo_)}));
    const Righe voce = SuAux(Linee({QStringLiteral("SELECT DLL, FUNZIONE, LIVELLO2VERSIONE, PARAMETRIBLOB"),
                                    QStringLiteral("FROM DETTMENU WHERE"),
                                    QStringLiteral("(PROGRAMMA=") + Quota(programma) + QStringLiteral(")AND"),
                                    QStringLiteral("(MENU=") + Quota(menu) + QLatin1Char(')')}));
    if (voce.empty())
        throw std::runtime_error("reference sequence: no such menu entry");
    const QString dll = voce[0][0];
    const QString funzione = voce[0][1];

    // The session still open, seen afresh.
    RiavviaAux();
    SuAux(QStringLiteral("SELECT * FROM KESTOLOG WHERE CODICESESSIONE=") + Quota(codiceSessione_));
    // The call log.
    const int idFinestra =
        Intero(SuAux(Linee({QStringLiteral("SELECT GEN_ID(IDFINESTRAKESTOLOGFUNZCOUNTER,1) FROM"),
                            QStringLiteral("RDB$DATABASE")}))[0][0]);
    const QDateTime adesso = QDateTime::currentDateTime();
    client_.Esegui(utenti_, transazioneAux_,
                   Linee({QStringLiteral("INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,DATACHIAMATAFUNZIONE,"),
                          QStringLiteral("ORACHIAMATAFUNZIONE,FUNZIONECHIAMATA"), QStringLiteral(",IDFINESTRA"),
                          QStringLiteral(") VALUES("), Quota(codiceSessione_) + QLatin1Char(','),
                          Quota(adesso.toString(QStringLiteral("MM/dd/yyyy"))) + QLatin1Char(','),
                          Quota(adesso.toString(QStringLiteral("HH:mm:ss"))) + QLatin1Char(','), Quota(funzione),
                          QLatin1Char(',') + Quota(idFinestra), QStringLiteral(")")}));
    client_.Conferma(transazioneAux_);
    // The company stored for the user.
    RiavviaAux();
    const Righe ditta = SuAux(Linee({QStringLiteral("SELECT DITTA FROM UTENTI"),
                                     QStringLiteral("WHERE CODICE=") + Quota(numUser_)}));
    if (!ditta.empty() && ditta[0][0] != ditta_)
        throw std::runtime_error("reference sequence: the stored company differs");

    if (!VerificaSemafori(dll, funzione))
        throw std::runtime_error("reference sequence: the window's semaphore is taken");
    OccupaSemaforo(dll, funzione, idFinestra);
}

} // namespace bench
