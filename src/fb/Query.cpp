#include "fb/Query.h"

#include "fb/Aggiornamento.h"
#include "fb/Client.h"
#include "fb/Database.h"
#include "fb/TestoArchivio.h"
#include "fb/Transazione.h"
#include "piattaforma/Errori.h"

#include <ibase.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace fb {

using client::Stato;

// ---- TRighe -------------------------------------------------------------------------------

void TRighe::Clear() {
    righe_.clear();
    ++versione_;
}

void TRighe::Add(const QString& riga) {
    righe_.append(riga);
    ++versione_;
}

QString TRighe::Text() const {
    QString testo;
    for (const QString& riga : righe_)
        testo += riga + QLatin1Char('\n');
    return testo;
}

// ---- TCampo -------------------------------------------------------------------------------

namespace {

qint64 Potenza10(int esponente) {
    qint64 p = 1;
    while (esponente-- > 0)
        p *= 10;
    return p;
}

QString TestoScalato(qint64 valore, int scala) {
    if (scala >= 0)
        return QString::number(valore * Potenza10(scala));
    const qint64 divisore = Potenza10(-scala);
    QString decimali = QString::number(std::llabs(valore % divisore)).rightJustified(-scala, QLatin1Char('0'));
    while (decimali.endsWith(QLatin1Char('0')))
        decimali.chop(1);
    QString intero = QString::number(valore / divisore);
    if (valore < 0 && valore / divisore == 0)
        intero = QStringLiteral("-0");
    return decimali.isEmpty() ? intero : intero + QLatin1Char('.') + decimali;
}

QDate Data(ISC_DATE data) {
    unsigned anno, mese, giorno;
    client::Util()->decodeDate(data, &anno, &mese, &giorno);
    return QDate(static_cast<int>(anno), static_cast<int>(mese), static_cast<int>(giorno));
}

QTime Ora(ISC_TIME ora) {
    unsigned h, m, s, frazioni;
    client::Util()->decodeTime(ora, &h, &m, &s, &frazioni);
    return QTime(static_cast<int>(h), static_cast<int>(m), static_cast<int>(s),
                 static_cast<int>(frazioni / 10));
}

template <typename T> T Leggi(const unsigned char* p) {
    T valore;
    std::memcpy(&valore, p, sizeof valore);
    return valore;
}

[[noreturn]] void ErroreIntero(const QString& testo) {
    throw piattaforma::ErroreConversione(QLatin1Char('\'') + testo +
                                         QStringLiteral("' is not a valid integer value"));
}

} // namespace

const unsigned char* TCampo::Dati() const { return query_->RigaCorrente(); }

bool TCampo::IsNull() const {
    const unsigned char* riga = Dati();
    return riga == nullptr || Leggi<short>(riga + offsetNull_) != 0;
}

QByteArray TCampo::AsBytes() const {
    if (IsNull())
        return {};
    const unsigned char* p = Dati() + offset_;
    switch (tipo_) {
    case SQL_TEXT:
        return QByteArray(reinterpret_cast<const char*>(p), static_cast<int>(lunghezza_));
    case SQL_VARYING:
        return QByteArray(reinterpret_cast<const char*>(p + 2), Leggi<unsigned short>(p));
    case SQL_BLOB:
        return query_->blobRighe_[query_->posizione_][static_cast<size_t>(
            std::find(query_->colonneBlob_.begin(), query_->colonneBlob_.end(), indice_) -
            query_->colonneBlob_.begin())];
    default:
        return client::Codifica(AsString());
    }
}

QString TCampo::AsString() const {
    if (IsNull())
        return {};
    const unsigned char* p = Dati() + offset_;
    switch (tipo_) {
    case SQL_TEXT:
    case SQL_VARYING:
    case SQL_BLOB: {
        const QByteArray byte = AsBytes();
        return client::Decodifica(byte.constData(), byte.size());
    }
    case SQL_SHORT:
        return TestoScalato(Leggi<short>(p), scala_);
    case SQL_LONG:
        return TestoScalato(Leggi<ISC_LONG>(p), scala_);
    case SQL_INT64:
        return TestoScalato(Leggi<ISC_INT64>(p), scala_);
    case SQL_FLOAT:
        return QString::number(Leggi<float>(p), 'g', 7);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return QString::number(Leggi<double>(p), 'g', 15);
    case SQL_TYPE_DATE:
        return AsDate().toString(QStringLiteral("dd/MM/yyyy"));
    case SQL_TYPE_TIME:
        return Ora(Leggi<ISC_TIME>(p)).toString(QStringLiteral("hh:mm:ss"));
    case SQL_TIMESTAMP: {
        const QDateTime momento = AsDateTime();
        if (momento.time() == QTime(0, 0))
            return momento.date().toString(QStringLiteral("dd/MM/yyyy"));
        return momento.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case SQL_BOOLEAN:
        return *p ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return {};
    }
}

qint64 TCampo::AsInt64() const {
    if (IsNull())
        return 0;
    const unsigned char* p = Dati() + offset_;
    auto scalato = [this](qint64 v) {
        if (scala_ >= 0)
            return v * Potenza10(scala_);
        return static_cast<qint64>(std::llround(static_cast<double>(v) / Potenza10(-scala_)));
    };
    switch (tipo_) {
    case SQL_SHORT:
        return scalato(Leggi<short>(p));
    case SQL_LONG:
        return scalato(Leggi<ISC_LONG>(p));
    case SQL_INT64:
        return scalato(Leggi<ISC_INT64>(p));
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return std::llround(AsFloat());
    case SQL_BOOLEAN:
        return *p ? 1 : 0;
    default: {
        const QString testo = AsString().trimmed();
        if (testo.isEmpty())
            return 0;
        bool ok = false;
        const qint64 valore = testo.toLongLong(&ok);
        if (!ok)
            ErroreIntero(testo);
        return valore;
    }
    }
}

int TCampo::AsInteger() const {
    const qint64 valore = AsInt64();
    if (valore < INT32_MIN || valore > INT32_MAX)
        ErroreIntero(QString::number(valore));
    return static_cast<int>(valore);
}

double TCampo::AsFloat() const {
    if (IsNull())
        return 0;
    const unsigned char* p = Dati() + offset_;
    switch (tipo_) {
    case SQL_FLOAT:
        return Leggi<float>(p);
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return Leggi<double>(p);
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return AsString().toDouble();
    default: {
        bool ok = false;
        const double valore = AsString().trimmed().toDouble(&ok);
        if (!ok)
            throw piattaforma::ErroreConversione(QLatin1Char('\'') + AsString() +
                                                 QStringLiteral("' is not a valid floating point value"));
        return valore;
    }
    }
}

QDateTime TCampo::AsDateTime() const {
    if (IsNull())
        return {};
    const unsigned char* p = Dati() + offset_;
    switch (tipo_) {
    case SQL_TIMESTAMP: {
        const auto momento = Leggi<ISC_TIMESTAMP>(p);
        return QDateTime(Data(momento.timestamp_date), Ora(momento.timestamp_time));
    }
    case SQL_TYPE_DATE:
        return QDateTime(Data(Leggi<ISC_DATE>(p)), QTime(0, 0));
    default:
        throw piattaforma::ErroreConversione(QLatin1Char('\'') + AsString() +
                                             QStringLiteral("' is not a valid date and time"));
    }
}

QDate TCampo::AsDate() const {
    if (IsNull())
        return {};
    // Straight from the engine's day number: a date and time in local time costs a time zone
    // look-up per value.
    const unsigned char* p = Dati() + offset_;
    if (tipo_ == SQL_TYPE_DATE)
        return Data(Leggi<ISC_DATE>(p));
    if (tipo_ == SQL_TIMESTAMP)
        return Data(Leggi<ISC_TIMESTAMP>(p).timestamp_date);
    return AsDateTime().date();
}

TGenere TCampo::Genere() const {
    switch (tipo_) {
    case SQL_TEXT:
    case SQL_VARYING:
        return TGenere::Testo;
    case SQL_BLOB:
        return sottotipo_ == 1 ? TGenere::Memo : TGenere::Binario;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
        return scala_ < 0 ? TGenere::Decimale : TGenere::Intero;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        return TGenere::Virgola;
    case SQL_TYPE_DATE:
        return TGenere::Data;
    case SQL_TYPE_TIME:
        return TGenere::Ora;
    case SQL_TIMESTAMP:
        return TGenere::DataOra;
    case SQL_BOOLEAN:
        return TGenere::Logico;
    default:
        return TGenere::Testo;
    }
}

int TCampo::Dimensione() const {
    if (Genere() != TGenere::Testo)
        return 0;
    // The description gives bytes: a multi-byte character set takes its widest character for each.
    const unsigned insieme = charset_ & 0xFFu;
    const unsigned perCarattere = insieme == 4 ? 4 : insieme == 3 ? 3 : 1; // UTF8, UNICODE_FSS
    return static_cast<int>(lunghezza_ / perCarattere);
}

int TCampo::Byte() const {
    switch (Genere()) {
    case TGenere::Intero:
    case TGenere::Decimale:
    case TGenere::Virgola:
        return static_cast<int>(lunghezza_);
    default:
        return 0;
    }
}

int TCampo::Scala() const { return Genere() == TGenere::Decimale ? -scala_ : 0; }

int TCampo::Precisione() const {
    if (Genere() != TGenere::Decimale)
        return 0;
    return tipo_ == SQL_SHORT ? 4 : tipo_ == SQL_LONG ? 9 : 18;
}

QVariant TCampo::Valore() const {
    if (IsNull())
        return {};
    const unsigned char* p = Dati() + offset_;
    switch (Genere()) {
    case TGenere::Intero:
        return QVariant::fromValue(AsInt64());
    case TGenere::Virgola:
        return AsFloat();
    case TGenere::Binario:
        return AsBytes();
    case TGenere::Data:
        return AsDate();
    case TGenere::Ora:
        return Ora(Leggi<ISC_TIME>(p));
    case TGenere::DataOra:
        return AsDateTime();
    case TGenere::Logico:
        return *p != 0;
    default:
        return AsString();
    }
}

// ---- TQuery -------------------------------------------------------------------------------

namespace {

RegistroIstruzioni* registroIstruzioni = nullptr;

} // namespace

void ImpostaRegistroIstruzioni(RegistroIstruzioni* registro) { registroIstruzioni = registro; }

void TQuery::Registra(const TTransazione& transazione) const {
    if (registroIstruzioni)
        registroIstruzioni->Istruzione(*Database, transazione, TestoConValori());
}

QString TQuery::TestoEseguito() {
    LeggiParametri();
    return segnaposti_.empty() ? SQL.Text() : TestoConValori();
}

QString TQuery::TestoConValori() const {
    if (segnaposti_.empty())
        return testoEseguibile_;
    QString testo;
    size_t prossimo = 0;
    QChar apice;
    for (QChar c : testoEseguibile_) {
        if (!apice.isNull()) {
            if (c == apice)
                apice = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            apice = c;
        } else if (c == QLatin1Char('?') && prossimo < segnaposti_.size()) {
            testo += parametri_[segnaposti_[prossimo++]].Letterale();
            continue;
        }
        testo += c;
    }
    return testo;
}

TQuery::TQuery(TDatabase* database, TTransazione* transazione)
    : Database(database), Transaction(transazione) {}

TQuery::~TQuery() {
    SetUpdateObject(nullptr);
    Unprepare();
}

TTransazione* TQuery::TransazioneEffettiva() const {
    if (Database == nullptr)
        throw EErroreDB(QStringLiteral("Database not assigned"));
    TTransazione* transazione = Transaction ? Transaction : Database->DefaultTransaction();
    if (transazione == nullptr)
        throw EErroreDB(QStringLiteral("Transaction not assigned"));
    Database->RiattaccaSePersa();
    if (!Database->Connected())
        throw EErroreDB(QStringLiteral("Il database non è collegato: l'operazione non può essere eseguita."));
    if (transazione->DefaultDatabase == nullptr)
        transazione->DefaultDatabase = Database;
    if (!transazione->InTransaction())
        transazione->StartTransaction();
    return transazione;
}

void TQuery::LasciaIstruzione() noexcept {
    contaDaLeggere_ = false;
    metadati_.Azzera();
    metadatiIngresso_.Azzera();
    istruzione_.Azzera();
    if (databasePreparato_) {
        auto& lista = databasePreparato_->query_;
        lista.erase(std::remove(lista.begin(), lista.end(), this), lista.end());
        databasePreparato_ = nullptr;
    }
}

void TQuery::Unprepare() noexcept {
    Close();
    LasciaIstruzione();
    campi_.clear();
    colonneBlob_.clear();
    tipoIstruzione_ = 0;
    lunghezzaMessaggio_ = 0;
}

namespace {

// Only these can give rows; asking the engine for the others' output costs as much as
// running an insert.
bool DaRighe(unsigned tipo) {
    return tipo == isc_info_sql_stmt_select || tipo == isc_info_sql_stmt_select_for_upd ||
           tipo == isc_info_sql_stmt_exec_procedure;
}

} // namespace

void TQuery::Prepara(TTransazione* transazione) {
    if (istruzione_ && databasePreparato_ == Database &&
        generazionePreparata_ == Database->Generazione() && versionePreparata_ == SQL.Versione())
        return;
    Unprepare();
    LeggiParametri();
    // Its literals are written as they stand: one the database cannot hold refuses the statement.
    const QByteArray testo = CodificaPerArchivio(testoEseguibile_);
    Stato stato;
    // Everything is read into these first, and the query takes them only when all is read.
    client::Interfaccia<Firebird::IStatement> istruzione(Database->Handle()->prepare(
        &stato, transazione->Handle(), static_cast<unsigned>(testo.size()), testo.constData(),
        static_cast<unsigned>(Database->SQLDialect), Firebird::IStatement::PREPARE_PREFETCH_METADATA));
    const unsigned tipo = istruzione->getType(&stato);

    client::Interfaccia<Firebird::IMessageMetadata> metadati;
    std::vector<TCampo> campi;
    std::vector<int> colonneBlob;
    unsigned lunghezza = 0;
    if (DaRighe(tipo)) {
        metadati = client::Interfaccia<Firebird::IMessageMetadata>(istruzione->getOutputMetadata(&stato));
        lunghezza = metadati->getMessageLength(&stato);
        campi = LeggiCampi(metadati.get());
        for (const TCampo& campo : campi)
            if (campo.tipo_ == SQL_BLOB)
                colonneBlob.push_back(campo.indice_);
    }

    client::Interfaccia<Firebird::IMessageMetadata> ingresso;
    if (!segnaposti_.empty()) {
        ingresso = client::Interfaccia<Firebird::IMessageMetadata>(istruzione->getInputMetadata(&stato));
        const unsigned conta = ingresso->getCount(&stato);
        if (conta != segnaposti_.size())
            throw EErroreDB(QStringLiteral("The statement takes ") + QString::number(conta) +
                            QStringLiteral(" parameters and names ") + QString::number(segnaposti_.size()));
    }

    Database->query_.push_back(this);
    // Nothing fails from here on.
    istruzione_ = std::move(istruzione);
    metadati_ = std::move(metadati);
    metadatiIngresso_ = std::move(ingresso);
    campi_ = std::move(campi);
    colonneBlob_ = std::move(colonneBlob);
    lunghezzaMessaggio_ = lunghezza;
    tipoIstruzione_ = tipo;
    databasePreparato_ = Database;
    generazionePreparata_ = Database->Generazione();
    versionePreparata_ = SQL.Versione();
}

void TQuery::LeggiParametri() {
    // Version 0 is the empty statement, which has nothing to read.
    if (versioneParametri_ == SQL.Versione())
        return;
    TTestoParametri letto = SostituisciParametri(SQL.Text());
    std::vector<TParametro> nuovi;
    segnaposti_.clear();
    for (const QString& nome : letto.Nomi) {
        auto uguale = [&](const TParametro& p) { return p.Name().compare(nome, Qt::CaseInsensitive) == 0; };
        auto trovato = std::find_if(nuovi.begin(), nuovi.end(), uguale);
        if (trovato == nuovi.end()) {
            TParametro nuovo(nome);
            const auto vecchio = std::find_if(parametri_.begin(), parametri_.end(), uguale);
            if (vecchio != parametri_.end())
                nuovo.AssignValue(*vecchio);
            nuovi.push_back(std::move(nuovo));
            trovato = nuovi.end() - 1;
        }
        segnaposti_.push_back(static_cast<size_t>(trovato - nuovi.begin()));
    }
    parametri_ = std::move(nuovi);
    testoEseguibile_ = std::move(letto.Testo);
    versioneParametri_ = SQL.Versione();
}

void TQuery::CreaIngresso(TMessaggioIngresso& ingresso) const {
    if (!metadatiIngresso_)
        return;
    std::vector<const TParametro*> valori;
    valori.reserve(segnaposti_.size());
    for (size_t indice : segnaposti_)
        valori.push_back(&parametri_[indice]);
    ingresso.Crea(metadatiIngresso_.get(), valori);
}

int TQuery::ParamCount() {
    LeggiParametri();
    return static_cast<int>(parametri_.size());
}

TParametro& TQuery::Params(int indice) {
    if (indice < 0 || indice >= ParamCount())
        throw EErroreDB(QStringLiteral("Parameter index out of range: ") + QString::number(indice));
    return parametri_[static_cast<size_t>(indice)];
}

TParametro& TQuery::ParamByName(const QString& nome) {
    LeggiParametri();
    for (TParametro& parametro : parametri_)
        if (parametro.Name().compare(nome, Qt::CaseInsensitive) == 0)
            return parametro;
    throw EErroreDB(QStringLiteral("Parameter '") + nome + QStringLiteral("' not found"));
}

void TQuery::SetUpdateObject(TAggiornamento* aggiornamento) {
    if (aggiornamento_ == aggiornamento)
        return;
    if (aggiornamento_)
        aggiornamento_->Stacca();
    aggiornamento_ = aggiornamento;
    if (aggiornamento)
        aggiornamento->Attacca(this);
}

std::vector<TCampo> TQuery::LeggiCampi(Firebird::IMessageMetadata* metadati) const {
    Stato stato;
    const unsigned conta = metadati->getCount(&stato);
    std::vector<TCampo> campi(conta);
    for (unsigned i = 0; i < conta; ++i) {
        TCampo& campo = campi[i];
        campo.query_ = this;
        campo.indice_ = static_cast<int>(i);
        const char* alias = metadati->getAlias(&stato, i);
        campo.nome_ = client::Decodifica(alias, alias ? static_cast<int>(std::strlen(alias)) : 0);
        const char* tabella = metadati->getRelation(&stato, i);
        campo.tabella_ = client::Decodifica(tabella, tabella ? static_cast<int>(std::strlen(tabella)) : 0);
        const char* colonna = metadati->getField(&stato, i);
        campo.colonna_ = client::Decodifica(colonna, colonna ? static_cast<int>(std::strlen(colonna)) : 0);
        campo.tipo_ = metadati->getType(&stato, i) & ~1u;
        campo.sottotipo_ = metadati->getSubType(&stato, i);
        campo.charset_ = metadati->getCharSet(&stato, i);
        campo.scala_ = metadati->getScale(&stato, i);
        campo.offset_ = metadati->getOffset(&stato, i);
        campo.offsetNull_ = metadati->getNullOffset(&stato, i);
        campo.lunghezza_ = metadati->getLength(&stato, i);
    }
    return campi;
}

TTransazione* TQuery::PreparaEsecuzione(TMessaggioIngresso& ingresso) {
    Close();
    TTransazione* transazione = TransazioneEffettiva();
    Prepara(transazione);
    Registra(*transazione);
    CreaIngresso(ingresso);
    return transazione;
}

template <typename Lavoro> void TQuery::OsservandoLaConnessione(Lavoro lavoro) {
    try {
        lavoro();
    } catch (const EErroreDB& errore) {
        // A lost connection is remembered: the next use attaches again.
        if (Database)
            Database->Osserva(errore);
        throw;
    }
}

void TQuery::Open() {
    OsservandoLaConnessione([this] {
        TMessaggioIngresso ingresso;
        TTransazione* transazione = PreparaEsecuzione(ingresso);
        Stato stato;
        if (tipoIstruzione_ == isc_info_sql_stmt_select ||
            tipoIstruzione_ == isc_info_sql_stmt_select_for_upd) {
            cursore_ = client::Interfaccia<Firebird::IResultSet>(istruzione_->openCursor(
                &stato, transazione->Handle(), ingresso.Metadati(), ingresso.Dati(), metadati_.get(), 0));
            fineCursore_ = false;
        } else {
            // Anything else runs at once; a procedure's output is its one row.
            bufferFetch_.assign(lunghezzaMessaggio_, 0);
            istruzione_->execute(&stato, transazione->Handle(), ingresso.Metadati(), ingresso.Dati(),
                                 campi_.empty() ? nullptr : metadati_.get(),
                                 campi_.empty() ? nullptr : bufferFetch_.data());
            fineCursore_ = true;
        }
        transazioneCursore_ = transazione;
        transazione->RegistraCursore(this);
        attiva_ = true;
        try {
            if (fineCursore_ && !campi_.empty()) {
                righe_.insert(righe_.end(), bufferFetch_.begin(), bufferFetch_.end());
                ++numeroRighe_;
                blobRighe_.emplace_back();
            }
            eof_ = numeroRighe_ == 0 && !LeggiRiga();
        } catch (...) {
            Close(); // no half-open query with a cursor in an unknown state
            throw;
        }
    });
}

void TQuery::ExecSQL() {
    OsservandoLaConnessione([this] {
        righeToccate_ = 0;
        contaDaLeggere_ = false;
        TMessaggioIngresso ingresso;
        TTransazione* transazione = PreparaEsecuzione(ingresso);
        Stato stato;
        if (tipoIstruzione_ == isc_info_sql_stmt_select ||
            tipoIstruzione_ == isc_info_sql_stmt_select_for_upd) {
            client::Interfaccia<Firebird::IResultSet> cursore(istruzione_->openCursor(
                &stato, transazione->Handle(), ingresso.Metadati(), ingresso.Dati(), metadati_.get(), 0));
            cursore->close(&stato);
            cursore.Concluso();
            return;
        }
        bufferFetch_.assign(lunghezzaMessaggio_, 0);
        istruzione_->execute(&stato, transazione->Handle(), ingresso.Metadati(), ingresso.Dati(),
                             campi_.empty() ? nullptr : metadati_.get(),
                             campi_.empty() ? nullptr : bufferFetch_.data());
        contaDaLeggere_ = true;
    });
}

qint64 TQuery::RowsAffected() const {
    // Asked only when wanted: through a server it is one more round trip.
    if (contaDaLeggere_ && istruzione_) {
        client::StatoMuto stato;
        righeToccate_ = static_cast<qint64>(istruzione_->getAffectedRecords(&stato));
        if (stato.Fallito())
            righeToccate_ = -1;
        contaDaLeggere_ = false;
    }
    return righeToccate_;
}

QByteArray TQuery::LeggiBlob(const unsigned char* id) {
    Stato stato;
    ISC_QUAD quad;
    std::memcpy(&quad, id, sizeof quad);
    client::Interfaccia<Firebird::IBlob> blob(
        Database->Handle()->openBlob(&stato, transazioneCursore_->Handle(), &quad, 0, nullptr));
    QByteArray contenuto;
    char pezzo[32768];
    for (;;) {
        unsigned letti = 0;
        const int esito = blob->getSegment(&stato, sizeof pezzo, pezzo, &letti);
        if (esito != Firebird::IStatus::RESULT_OK && esito != Firebird::IStatus::RESULT_SEGMENT)
            break;
        contenuto.append(pezzo, static_cast<int>(letti));
    }
    blob->close(&stato);
    blob.Concluso();
    return contenuto;
}

bool TQuery::LeggiRiga() {
    Stato stato;
    return LeggiRiga(stato);
}

bool TQuery::LeggiRiga(Stato& stato) {
    try {
        if (fineCursore_ || !cursore_)
            return false;
        // Straight into the rows: one buffer for all of them, no copy per row.
        const size_t inizio = righe_.size();
        righe_.resize(inizio + lunghezzaMessaggio_);
        unsigned char* riga = righe_.data() + inizio;
        int esito = Firebird::IStatus::RESULT_ERROR;
        try {
            esito = cursore_->fetchNext(&stato, riga);
        } catch (...) {
            righe_.resize(inizio);
            throw;
        }
        if (esito != Firebird::IStatus::RESULT_OK) {
            righe_.resize(inizio);
            fineCursore_ = true;
            return false;
        }
        ++numeroRighe_;
        if (colonneBlob_.empty())
            return true;
        std::vector<QByteArray> blobs;
        for (int colonna : colonneBlob_) {
            const TCampo& campo = campi_[static_cast<size_t>(colonna)];
            riga = righe_.data() + inizio; // a blob read does not move the rows, but be plain
            const bool nullo = Leggi<short>(riga + campo.offsetNull_) != 0;
            blobs.push_back(nullo ? QByteArray() : LeggiBlob(riga + campo.offset_));
        }
        blobRighe_.push_back(std::move(blobs));
        return true;
    } catch (const EErroreDB& errore) {
        if (Database)
            Database->Osserva(errore);
        throw;
    }
}

void TQuery::ChiudiCursore() noexcept {
    cursore_.Azzera();
    fineCursore_ = true;
}

void TQuery::Close() noexcept {
    // A change in progress belongs to the row being left.
    if (aggiornamento_)
        aggiornamento_->Cancel();
    ChiudiCursore();
    if (transazioneCursore_) {
        transazioneCursore_->TogliCursore(this);
        transazioneCursore_ = nullptr;
    }
    righe_.clear();
    numeroRighe_ = 0;
    blobRighe_.clear();
    attiva_ = false;
    eof_ = true;
    posizione_ = 0;
}

void TQuery::First() {
    posizione_ = 0;
    eof_ = numeroRighe_ == 0;
}

void TQuery::Next() {
    if (eof_)
        return;
    if (posizione_ + 1 < RecordCount() || LeggiRiga())
        ++posizione_;
    else
        eof_ = true; // the last row stays current, as a grid expects
}

void TQuery::TieniRighe() {
    FetchAll();
    ChiudiCursore();
    if (transazioneCursore_) {
        transazioneCursore_->TogliCursore(this);
        transazioneCursore_ = nullptr;
    }
    // Off the connection's list too: a connection attached again drops what it prepared.
    LasciaIstruzione();
}

QVariant TQuery::ValoreIn(int riga, int campo) const {
    if (riga < 0 || riga >= numeroRighe_)
        return {};
    const int corrente = posizione_;
    posizione_ = riga;
    QVariant valore = Fields(campo).Valore();
    posizione_ = corrente;
    return valore;
}

void TQuery::FetchAll() {
    Stato stato;
    while (LeggiRiga(stato)) {
    }
}

const unsigned char* TQuery::RigaCorrente() const {
    if (!attiva_ || numeroRighe_ == 0)
        return nullptr;
    return righe_.data() + static_cast<size_t>(posizione_) * lunghezzaMessaggio_;
}

const TCampo& TQuery::Fields(int indice) const {
    if (indice < 0 || indice >= FieldCount())
        throw EErroreDB(QStringLiteral("Field index out of range: ") + QString::number(indice));
    return campi_[static_cast<size_t>(indice)];
}

const TCampo* TQuery::FindField(const QString& nome) const {
    for (const TCampo& campo : campi_)
        if (campo.nome_.compare(nome, Qt::CaseInsensitive) == 0)
            return &campo;
    return nullptr;
}

const TCampo& TQuery::FieldByName(const QString& nome) const {
    const TCampo* campo = FindField(nome);
    if (campo == nullptr)
        throw EErroreDB(QStringLiteral("Field '") + nome + QStringLiteral("' not found"));
    return *campo;
}

QStringList TQuery::NomiCampi() const {
    QStringList nomi;
    for (const TCampo& campo : campi_)
        nomi.append(campo.nome_);
    return nomi;
}

void TQuery::ImpostaSQL(std::initializer_list<QString> righe) {
    Close();
    SQL.Clear();
    for (const QString& riga : righe)
        SQL.Add(riga);
}

void TQuery::ApriSQL(std::initializer_list<QString> righe) {
    ImpostaSQL(righe);
    Open();
}

} // namespace fb
