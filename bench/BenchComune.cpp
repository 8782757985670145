#include "BenchComune.h"

#include "CollegamentoLento.h"

#include "Grafica.h"
#include "Schema.h"
#include "app/BaseMain.h"
#include "datamodule/TabX.h"
#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "piattaforma/Codifica.h"
#include "piattaforma/Percorsi.h"

#include <ibase.h>

#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace bench {

namespace {

constexpr char Password[] = "quillpond";

QtMessageHandler gestorePrecedente = nullptr;

void FiltraMessaggi(QtMsgType tipo, const QMessageLogContext& contesto, const QString& testo) {
    if (testo.contains(QLatin1String("propagateSizeHints")))
        return;
    if (gestorePrecedente)
        gestorePrecedente(tipo, contesto, testo);
}

const char* NomeTipo(piattaforma::TipoMessaggio tipo) {
    switch (tipo) {
    case piattaforma::TipoMessaggio::Errore:
        return "error";
    case piattaforma::TipoMessaggio::Avviso:
        return "warning";
    case piattaforma::TipoMessaggio::Informazione:
        return "information";
    case piattaforma::TipoMessaggio::Conferma:
        return "confirmation";
    case piattaforma::TipoMessaggio::Semplice:
        break;
    }
    return "message";
}

void EseguiSu(const QString& nomeDatabase, const QStringList& istruzioni) {
    fb::TDatabase database;
    database.DatabaseName = nomeDatabase;
    database.Params = {QStringLiteral("user_name=SYSDBA"),
                       QStringLiteral("password=") + QLatin1String(Password)};
    database.Open();
    schema::Esegui(database, istruzioni);
}

void ScriviFile(const QString& percorso, const QByteArray& contenuto) {
    QFile file(percorso);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contenuto) < 0)
        throw std::runtime_error("cannot write " + percorso.toStdString());
}

} // namespace

double Ms(Orologio::duration durata) {
    return std::chrono::duration<double, std::milli>(durata).count();
}

double Mediana(std::vector<double> valori) {
    if (valori.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(valori.begin(), valori.end());
    const std::size_t n = valori.size();
    return n % 2 ? valori[n / 2] : (valori[n / 2 - 1] + valori[n / 2]) / 2;
}

void TaciAvvisiOffscreen() {
    gestorePrecedente = qInstallMessageHandler(FiltraMessaggi);
}

QString ServerDiProva() {
    return qEnvironmentVariable("QUENDRA_SERVER");
}

QString ServerConRitardo(const QString& server, double rttMs, std::unique_ptr<TCollegamentoLento>& collegamento) {
    // "host" or "host/port", as a Firebird connection string names them.
    const QStringList parti = server.split(QLatin1Char('/'));
    const int porta = parti.size() > 1 ? parti[1].toInt() : 3050;
    collegamento = std::make_unique<TCollegamentoLento>(parti[0].toStdString(), porta, rttMs);
    return QStringLiteral("127.0.0.1/") + QString::number(collegamento->Porta());
}

QString NomeModoServer(double rttMs) {
    return QStringLiteral("server %1ms").arg(rttMs);
}

long Modo::Viaggi() const {
    return Collegamento ? Collegamento->Viaggi() : 0;
}

void StampaIntestazione() {
    std::printf("%-12s %-7s %8s %7s %6s %9s %7s %6s %7s  %s\n", "mode", "op", "ours ms", "trips", "stmts", "ref ms",
                "trips", "stmts", "ratio", "target");
}

namespace {

QString TestoViaggi(long viaggi) {
    return viaggi < 0 ? QStringLiteral("-") : QString::number(viaggi);
}

} // namespace

void StampaRiga(const Modo& modo, const char* operazione, const Misure& nostro, const Misure& riferimento,
                const char* obiettivo) {
    const double ms = Mediana(nostro.Ms);
    const double rifMs = Mediana(riferimento.Ms);
    std::printf("%-12s %-7s %8.2f %7s %6d %9.2f %7s %6d %7.3f  %s\n", qPrintable(modo.Nome), operazione, ms,
                qPrintable(TestoViaggi(nostro.Viaggi)), nostro.Istruzioni, rifMs,
                qPrintable(TestoViaggi(riferimento.Viaggi)), riferimento.Istruzioni, ms / rifMs, obiettivo);
}

const char* Obiettivo(const Modo& modo, const char* conRitardo, const char* senza) {
    return modo.Collegamento && modo.Collegamento->RttMs() > 0 ? conRitardo : senza;
}

bool LeggiSolo(const QString& valore, Opzioni& opzioni) {
    opzioni.Nostro = valore.isEmpty() || valore == QLatin1String("ours");
    opzioni.Nudo = valore.isEmpty() || valore == QLatin1String("bare");
    return opzioni.Nostro || opzioni.Nudo;
}

bool LeggiOpzioni(const QCoreApplication& app, const QString& descrizione, int giriPredefiniti,
                  Opzioni& opzioni, const QString& ritardiPredefiniti) {
    QCommandLineParser parser;
    parser.setApplicationDescription(descrizione);
    parser.addHelpOption();
    const QString predefiniti = QString::number(giriPredefiniti);
    const QCommandLineOption giriOpt(QStringLiteral("rounds"),
                                     QStringLiteral("Measured rounds (default %1).").arg(predefiniti),
                                     QStringLiteral("n"), predefiniti);
    const QCommandLineOption soloOpt(
        QStringLiteral("only"),
        QStringLiteral("Time only one path, \"ours\" or \"bare\", for profiling."),
        QStringLiteral("path"));
    const QCommandLineOption elencoOpt(QStringLiteral("list"),
                                       QStringLiteral("Print the recorded statements on stderr."));
    const QCommandLineOption rttOpt(
        QStringLiteral("rtt"),
        QStringLiteral("Round trips in ms of the latency link put between the program and the server, "
                       "comma separated, one row each (half each way; default %1).")
            .arg(ritardiPredefiniti),
        QStringLiteral("ms,..."), ritardiPredefiniti);
    parser.addOptions({giriOpt, soloOpt, elencoOpt, rttOpt});
    parser.process(app);
    opzioni.Giri = parser.value(giriOpt).toInt();
    opzioni.Elenco = parser.isSet(elencoOpt);
    opzioni.Ritardi.clear();
    bool ritardiValidi = true;
    for (const QString& testo : parser.value(rttOpt).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const double rtt = testo.trimmed().toDouble(&ok);
        ritardiValidi = ritardiValidi && ok && rtt >= 0;
        opzioni.Ritardi.push_back(rtt);
    }
    if (!LeggiSolo(parser.value(soloOpt), opzioni) || opzioni.Giri < 1 || !ritardiValidi) {
        std::fprintf(stderr, "rounds must be >= 1, rtt >= 0; --only takes \"ours\" or \"bare\"\n");
        return false;
    }
    return true;
}

// ---- boxes -------------------------------------------------------------------------------

MessaggiBench::MessaggiBench() {
    piattaforma::ImpostaMessaggi(this);
}

MessaggiBench::~MessaggiBench() {
    piattaforma::ImpostaMessaggi(nullptr);
}

piattaforma::Risposta MessaggiBench::Mostra(piattaforma::TipoMessaggio tipo, const QString& testo,
                                            const QString& titolo) {
    ++Mostrati;
    std::fprintf(stderr, "[%s box%s%s] %s\n", NomeTipo(tipo), titolo.isEmpty() ? "" : ": ",
                 qPrintable(titolo), qPrintable(testo));
    return piattaforma::Risposta::Ok;
}

// ---- recording ---------------------------------------------------------------------------

qint64 NumeroTransazione(const fb::TTransazione& transazione) {
    if (!transazione.InTransaction())
        return -1;
    Firebird::IStatus* status = Firebird::fb_get_master_interface()->getStatus();
    Firebird::CheckStatusWrapper st(status);
    const unsigned char richiesta[] = {isc_info_tra_id};
    unsigned char risposta[32] = {};
    transazione.Handle()->getInfo(&st, sizeof richiesta, richiesta, sizeof risposta, risposta);
    qint64 numero = -1;
    if (!(st.getState() & Firebird::IStatus::STATE_ERRORS) && risposta[0] == isc_info_tra_id) {
        const auto lunghezza = static_cast<short>(isc_portable_integer(risposta + 1, 2));
        numero = isc_portable_integer(risposta + 3, lunghezza);
    }
    status->dispose();
    return numero;
}

void AggiungiSeAttiva(std::set<ChiaveTransazione>& chiavi, const fb::TTransazione& transazione) {
    if (transazione.InTransaction() && transazione.DefaultDatabase)
        chiavi.insert({transazione.DefaultDatabase->DatabaseName, NumeroTransazione(transazione)});
}

Registratore::Registratore() {
    fb::ImpostaRegistroIstruzioni(this);
}

Registratore::~Registratore() {
    fb::ImpostaRegistroIstruzioni(nullptr);
}

void Registratore::Istruzione(const fb::TDatabase& database, const fb::TTransazione& transazione,
                              const QString& testo) {
    Istruzioni.push_back({database.DatabaseName, NumeroTransazione(transazione), testo});
}

std::size_t ContaTransazioni(const std::vector<Istruzione>& istruzioni) {
    std::set<ChiaveTransazione> chiavi;
    for (const Istruzione& i : istruzioni)
        chiavi.insert({i.Database, i.Transazione});
    return chiavi.size();
}

void StampaIstruzioni(const QString& modo, const std::vector<Istruzione>& istruzioni) {
    for (const Istruzione& i : istruzioni)
        std::fprintf(stderr, "%s %s #%lld: %s\n", qPrintable(modo),
                     qPrintable(QFileInfo(i.Database).fileName()),
                     static_cast<long long>(i.Transazione),
                     qPrintable(QString(i.Testo).replace(QLatin1Char('\n'), QLatin1Char(' '))));
}

void VerificaRiproducibile(const std::vector<Istruzione>& istruzioni) {
    for (const Istruzione& i : istruzioni) {
        if (i.Transazione < 0)
            throw std::runtime_error(
                "a statement ran in a transaction the engine could not number");
        // A "?" outside quotes is a parameter whose value the recording does not hold.
        bool traApici = false;
        for (QChar c : i.Testo) {
            if (c == QLatin1Char('\''))
                traApici = !traApici;
            else if (c == QLatin1Char('?') && !traApici)
                throw std::runtime_error("a statement with parameters cannot be replayed: " +
                                         i.Testo.toStdString());
        }
    }
}

// ---- installation ------------------------------------------------------------------------

Installazione::Installazione(const QString& server) : server_(server) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary directory");
    piattaforma::ImpostaDirectoryEseguibile(Directory());
    schema::CreaGrafica(Directory());
    CreaDatabase(QStringLiteral("user/user.fdb"), QStringLiteral("utenti"));
    CreaDatabase(QStringLiteral("archivio/archivio.fdb"), QStringLiteral("archivio"));
}

Installazione::~Installazione() {
    piattaforma::ImpostaDirectoryEseguibile({});
}

QString Installazione::NomeDatabase(const QString& relativo) const {
    const QString percorso = Directory() + relativo;
    return server_.isEmpty() ? percorso : server_ + QLatin1Char(':') + percorso;
}

QString Installazione::NomeUtenti() const {
    return NomeDatabase(QStringLiteral("user/user.fdb"));
}

QString Installazione::NomeArchivio() const {
    return NomeDatabase(QStringLiteral("archivio/archivio.fdb"));
}

void Installazione::CreaDatabase(const QString& relativo, const QString& sezione) const {
    const QString percorso = Directory() + relativo;
    const QString cartella = QFileInfo(percorso).path();
    QDir().mkpath(cartella);
    schema::CreaDatabase(NomeDatabase(relativo), QStringLiteral(QUENDRA_SCHEMA), sezione);
    if (server_.isEmpty())
        return;
    ScriviFile(cartella + QStringLiteral("/dati.ini"),
               "[CONFIG]\r\nNome Server=" + piattaforma::ACp1252(server_) +
                   "\r\nAlias=" + piattaforma::ACp1252(percorso) + "\r\n");
}

void Installazione::Utenti(const QStringList& istruzioni) const {
    EseguiSu(NomeUtenti(), istruzioni);
}

void Installazione::Archivio(const QStringList& istruzioni) const {
    EseguiSu(NomeArchivio(), istruzioni);
}

// ---- the access window -------------------------------------------------------------------

QStringList IstruzioniUtente(const Installazione& installazione) {
    return {
        QStringLiteral("INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA, ACCESSONORVANE, "
                       "PROFILOSICUREZZA, PROGETTO) VALUES (1, %1, NULL, %2, '1', 1, 1)")
            .arg(fb::Quota(UtenteBench), fb::Quota(DittaBench)),
        QStringLiteral("INSERT INTO PROFILI (CODICE, LIVELLOPREDEFINITO) VALUES (1, 1)"),
        IstruzioneParametro(QStringLiteral("Archivio"), installazione.FileArchivio(), 1)};
}

QString IstruzioneParametro(const QString& nome, const QString& valore, int progressivo) {
    return QStringLiteral("INSERT INTO TABNORVANE (UTENTE, INTESTAZIONE, PARAMETRO, VALORE, "
                          "PROGRESSIVO) VALUES (1, %1, %2, %3, %4)")
        .arg(fb::Quota(DittaBench), fb::Quota(nome), fb::Quota(valore))
        .arg(progressivo);
}

void ScegliUtente(TBaseMainForm& finestra) {
    finestra.ComboUtenti1->setCurrentIndex(finestra.ComboUtenti1->findText(UtenteBench));
}

std::set<ChiaveTransazione> TransazioniAttive(const TBaseMainForm& finestra) {
    std::set<ChiaveTransazione> chiavi;
    if (finestra.TransazioneAux)
        AggiungiSeAttiva(chiavi, *finestra.TransazioneAux);
    if (const TTabXForm* modulo = finestra.TabXForm) {
        for (const fb::TTransazione* t :
             {&modulo->TransazioneUser, &modulo->IBTransaction1, &modulo->IBTransaction2,
              &modulo->IBTransaction3, &modulo->IBTransaction4, &modulo->IBTransaction5})
            AggiungiSeAttiva(chiavi, *t);
    }
    return chiavi;
}

// ---- the bare client ---------------------------------------------------------------------

ClientNudo::ClientNudo()
    : master_(Firebird::fb_get_master_interface()), util_(master_->getUtilInterface()),
      provider_(master_->getDispatcher()), status_(master_->getStatus()), st_(status_) {}

ClientNudo::~ClientNudo() {
    for (auto& [nome, attacco] : attacchi_)
        Stacca(attacco);
    provider_->release();
    status_->dispose();
}

void VerificaStato(Firebird::IUtil* util, Firebird::CheckStatusWrapper& stato) {
    if (!(stato.getState() & Firebird::IStatus::STATE_ERRORS))
        return;
    char testo[1024];
    util->formatStatus(testo, sizeof testo, &stato);
    stato.init();
    throw std::runtime_error(testo);
}

Firebird::IAttachment* AttaccaNudo(Firebird::IProvider* provider, Firebird::IUtil* util,
                                   Firebird::CheckStatusWrapper& stato, const QString& nomeDatabase) {
    Firebird::IXpbBuilder* dpb = util->getXpbBuilder(&stato, Firebird::IXpbBuilder::DPB, nullptr, 0);
    VerificaStato(util, stato);
    dpb->insertString(&stato, isc_dpb_user_name, "SYSDBA");
    dpb->insertString(&stato, isc_dpb_password, Password);
    if (stato.getState() & Firebird::IStatus::STATE_ERRORS)
        dpb->dispose();
    VerificaStato(util, stato);
    const QByteArray nome = QFile::encodeName(nomeDatabase);
    Firebird::IAttachment* attacco =
        provider->attachDatabase(&stato, nome.constData(), dpb->getBufferLength(&stato), dpb->getBuffer(&stato));
    dpb->dispose();
    VerificaStato(util, stato);
    return attacco;
}

void ClientNudo::Verifica() {
    VerificaStato(util_, st_);
}

Firebird::IAttachment* ClientNudo::AttaccaNuovo(const QString& nomeDatabase) {
    return AttaccaNudo(provider_, util_, st_, nomeDatabase);
}

void ClientNudo::Stacca(Firebird::IAttachment* attacco) {
    attacco->detach(&st_);
    if (st_.getState() & Firebird::IStatus::STATE_ERRORS)
        attacco->release();
    st_.init();
}

void ClientNudo::Attacca(const QString& nomeDatabase) {
    if (attacchi_.count(nomeDatabase) == 0)
        attacchi_[nomeDatabase] = AttaccaNuovo(nomeDatabase);
}

double ClientNudo::TempoAttacco(const QString& nomeDatabase) {
    const auto inizio = Orologio::now();
    Stacca(AttaccaNuovo(nomeDatabase));
    return Ms(Orologio::now() - inizio);
}

void ClientNudo::LeggiBlob(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                           const unsigned char* id) {
    ISC_QUAD quad;
    std::memcpy(&quad, id, sizeof quad);
    Firebird::IBlob* blob = attacco->openBlob(&st_, transazione, &quad, 0, nullptr);
    Verifica();
    char pezzo[32768];
    unsigned letti = 0;
    for (;;) {
        const int esito = blob->getSegment(&st_, sizeof pezzo, pezzo, &letti);
        if (esito != Firebird::IStatus::RESULT_OK && esito != Firebird::IStatus::RESULT_SEGMENT)
            break;
    }
    Verifica();
    blob->close(&st_);
    Verifica();
}

void ClientNudo::LeggiRighe(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                            Firebird::IStatement* istruzione) {
    Firebird::IMessageMetadata* meta = istruzione->getOutputMetadata(&st_);
    Verifica();
    buffer_.assign(meta->getMessageLength(&st_), 0);
    std::vector<std::pair<unsigned, unsigned>> blob; // offsets of value and null flag
    for (unsigned c = 0, n = meta->getCount(&st_); c < n; ++c)
        if ((meta->getType(&st_, c) & ~1u) == SQL_BLOB)
            blob.push_back({meta->getOffset(&st_, c), meta->getNullOffset(&st_, c)});
    Firebird::IResultSet* cursore =
        istruzione->openCursor(&st_, transazione, nullptr, nullptr, meta, 0);
    Verifica();
    while (cursore->fetchNext(&st_, buffer_.data()) == Firebird::IStatus::RESULT_OK) {
        for (const auto& [valore, nullo] : blob) {
            short indicatore;
            std::memcpy(&indicatore, buffer_.data() + nullo, sizeof indicatore);
            if (!indicatore)
                LeggiBlob(attacco, transazione, buffer_.data() + valore);
        }
    }
    Verifica();
    cursore->close(&st_);
    Verifica();
    meta->release();
}

void ClientNudo::Esegui(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                        const QByteArray& testo) {
    Firebird::IStatement* istruzione =
        attacco->prepare(&st_, transazione, static_cast<unsigned>(testo.size()), testo.constData(),
                         3, Firebird::IStatement::PREPARE_PREFETCH_METADATA);
    Verifica();
    const unsigned tipo = istruzione->getType(&st_);
    Verifica();
    if (tipo == isc_info_sql_stmt_select || tipo == isc_info_sql_stmt_select_for_upd) {
        LeggiRighe(attacco, transazione, istruzione);
    } else if (tipo == isc_info_sql_stmt_exec_procedure) {
        Firebird::IMessageMetadata* meta = istruzione->getOutputMetadata(&st_);
        Verifica();
        buffer_.assign(meta->getMessageLength(&st_), 0);
        istruzione->execute(&st_, transazione, nullptr, nullptr, meta, buffer_.data());
        meta->release();
    } else {
        istruzione->execute(&st_, transazione, nullptr, nullptr, nullptr, nullptr);
    }
    Verifica();
    istruzione->free(&st_);
    Verifica();
}

double ClientNudo::Riproduci(const Registrazione& registrazione) {
    const std::vector<Istruzione>& istruzioni = registrazione.Istruzioni;
    // Everything that is not the client's work is ready before the clock starts.
    std::vector<QByteArray> testi;
    std::vector<Firebird::IAttachment*> attacchi;
    std::map<ChiaveTransazione, std::size_t> ultima;
    for (std::size_t i = 0; i < istruzioni.size(); ++i) {
        testi.push_back(piattaforma::ACp1252(istruzioni[i].Testo));
        const auto trovato = attacchi_.find(istruzioni[i].Database);
        if (trovato == attacchi_.end())
            throw std::runtime_error("not attached: " + istruzioni[i].Database.toStdString());
        attacchi.push_back(trovato->second);
        ultima[{istruzioni[i].Database, istruzioni[i].Transazione}] = i;
    }
    const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_nowait};
    std::map<ChiaveTransazione, Firebird::ITransaction*> attive;
    const auto avvia = [&](std::size_t i) {
        Firebird::ITransaction*& transazione =
            attive[{istruzioni[i].Database, istruzioni[i].Transazione}];
        if (transazione == nullptr) {
            transazione = attacchi[i]->startTransaction(&st_, sizeof tpb, tpb);
            Verifica();
        }
        return transazione;
    };
    for (std::size_t i = 0; i < istruzioni.size(); ++i)
        if (registrazione.AttivePrima.count({istruzioni[i].Database, istruzioni[i].Transazione}))
            avvia(i);

    const auto inizio = Orologio::now();
    for (std::size_t i = 0; i < istruzioni.size(); ++i) {
        const ChiaveTransazione chiave{istruzioni[i].Database, istruzioni[i].Transazione};
        Firebird::ITransaction* transazione = avvia(i);
        Esegui(attacchi[i], transazione, testi[i]);
        if (ultima[chiave] == i && registrazione.AttiveDopo.count(chiave) == 0) {
            transazione->commit(&st_);
            Verifica();
            attive.erase(chiave);
        }
    }
    const double ms = Ms(Orologio::now() - inizio);

    for (auto& [chiave, transazione] : attive) {
        transazione->commit(&st_);
        Verifica();
    }
    return ms;
}

int MisuraNeiModi(const QString& server, const Opzioni& opzioni, const std::function<void(const Modo&)>& misura) {
    try {
        misura(Modo{QStringLiteral("embedded"), {}, nullptr});
        if (server.isEmpty()) {
            std::printf("server    skipped: set QUENDRA_SERVER=localhost to run through the loopback server\n");
            return 0;
        }
        for (const double rtt : opzioni.Ritardi) {
            std::unique_ptr<TCollegamentoLento> collegamento;
            const QString raggiunto = ServerConRitardo(server, rtt, collegamento);
            misura(Modo{NomeModoServer(rtt), raggiunto, collegamento.get()});
        }
        return 0;
    } catch (const fb::EErroreDB& e) {
        std::fprintf(stderr, "database error: %s\n", qPrintable(e.Messaggio()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
    }
    return 1;
}

} // namespace bench
