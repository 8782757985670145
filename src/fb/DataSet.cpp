#include "fb/DataSet.h"

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Istruzioni.h"
#include "fb/TestoArchivio.h"
#include "fb/Transazione.h"
#include "piattaforma/Errori.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace fb {

namespace {

[[noreturn]] void ErroreValore(const QVariant& valore, const char* tipo) {
    throw piattaforma::ErroreConversione(QLatin1Char('\'') + valore.toString() + QStringLiteral("' is not a valid ") +
                                         QLatin1String(tipo));
}

bool EIntero(const QVariant& v) {
    const int tipo = v.typeId();
    return tipo == QMetaType::Int || tipo == QMetaType::LongLong || tipo == QMetaType::UInt ||
           tipo == QMetaType::Short || tipo == QMetaType::UShort || tipo == QMetaType::ULongLong;
}

bool ETesto(const QVariant& v) { return v.typeId() == QMetaType::QString; }

QVariant InIntero(const QVariant& v) {
    if (EIntero(v))
        return QVariant::fromValue(v.toLongLong());
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::floor(d) != d || std::fabs(d) > 9.2e18)
            ErroreValore(v, "integer value");
        return QVariant::fromValue(static_cast<qint64>(d));
    }
    if (v.typeId() == QMetaType::Bool)
        return QVariant::fromValue<qint64>(v.toBool() ? 1 : 0);
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        ErroreValore(v, "integer value");
    return QVariant::fromValue(n);
}

double InVirgola(const QVariant& v) {
    if (!ETesto(v) && v.canConvert<double>())
        return v.toDouble();
    bool ok = false;
    const double d = v.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok)
        ErroreValore(v, "floating point value");
    return d;
}

// The first of the formats the text reads in.
template <typename T> std::optional<T> PrimoFormato(const QString& testo, std::initializer_list<const char*> formati) {
    for (const char* formato : formati) {
        const T valore = T::fromString(testo, QLatin1String(formato));
        if (valore.isValid())
            return valore;
    }
    return std::nullopt;
}

QDate InData(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().date();
    if (const auto data = PrimoFormato<QDate>(v.toString().trimmed(), {"dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd"}))
        return *data;
    ErroreValore(v, "date");
}

QTime InOra(const QVariant& v) {
    if (v.typeId() == QMetaType::QTime)
        return v.toTime();
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().time();
    if (const auto ora =
            PrimoFormato<QTime>(v.toString().trimmed(), {"hh:mm:ss", "h:mm:ss", "hh:mm", "h:mm", "hh:mm:ss.zzz"}))
        return *ora;
    ErroreValore(v, "time");
}

QDateTime InDataOra(const QVariant& v) {
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime();
    if (v.typeId() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    if (const auto momento = PrimoFormato<QDateTime>(
            v.toString().trimmed(),
            {"dd/MM/yyyy hh:mm:ss", "dd/MM/yyyy hh:mm", "yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss"}))
        return *momento;
    return QDateTime(InData(v), QTime(0, 0));
}

bool InLogico(const QVariant& v) {
    if (v.typeId() == QMetaType::Bool || EIntero(v))
        return v.toBool();
    const QString testo = v.toString().trimmed();
    if (testo.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0 || testo == QStringLiteral("1"))
        return true;
    if (testo.compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0 || testo == QStringLiteral("0"))
        return false;
    ErroreValore(v, "boolean value");
}

// The value in the type the dataset keeps for the kind; NULL for nothing or the empty text.
QVariant Converti(TGenere genere, const QVariant& valore) {
    if (!valore.isValid() || valore.isNull() || (ETesto(valore) && valore.toString().isEmpty()))
        return {};
    switch (genere) {
    case TGenere::Testo:
    case TGenere::Memo:
        return valore.toString();
    case TGenere::Binario:
        return valore.toByteArray();
    case TGenere::Intero:
        return InIntero(valore);
    case TGenere::Decimale: {
        const double numero = InVirgola(valore);
        return ETesto(valore) ? valore.toString().trimmed().replace(QLatin1Char(','), QLatin1Char('.'))
                              : QString::number(numero, 'g', 17);
    }
    case TGenere::Virgola:
        return InVirgola(valore);
    case TGenere::Data:
        return InData(valore);
    case TGenere::Ora:
        return InOra(valore);
    case TGenere::DataOra:
        return InDataOra(valore);
    case TGenere::Logico:
        return InLogico(valore);
    }
    return valore;
}

} // namespace

QString TestoValore(const QVariant& valore) {
    if (!valore.isValid())
        return {};
    switch (valore.typeId()) {
    case QMetaType::QDate:
        return valore.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::QTime:
        return valore.toTime().toString(QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: {
        const QDateTime momento = valore.toDateTime();
        if (momento.time() == QTime(0, 0))
            return momento.date().toString(QStringLiteral("dd/MM/yyyy"));
        return momento.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case QMetaType::Double:
        return QString::number(valore.toDouble(), 'g', 15);
    case QMetaType::Bool:
        return valore.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return valore.toString();
    }
}

// ---- TCampoDataSet ------------------------------------------------------------------------

const QString& TCampoDataSet::FieldName() const { return dataset_->definizioni_[static_cast<size_t>(indice_)].Nome; }

TGenere TCampoDataSet::Genere() const { return dataset_->definizioni_[static_cast<size_t>(indice_)].Genere; }

QVariant TCampoDataSet::Value() const {
    if (dataset_->corrente_ < 0)
        return {};
    return dataset_->Valore(dataset_->corrente_, indice_);
}

QString TCampoDataSet::AsString() const { return TestoValore(Value()); }

qint64 TCampoDataSet::AsInt64() const {
    const QVariant valore = Value();
    if (!valore.isValid())
        return 0;
    if (valore.typeId() == QMetaType::Double)
        return std::llround(valore.toDouble());
    if (Genere() == TGenere::Decimale)
        return std::llround(InVirgola(valore));
    return InIntero(valore).toLongLong();
}

int TCampoDataSet::AsInteger() const {
    const qint64 valore = AsInt64();
    if (valore < INT32_MIN || valore > INT32_MAX)
        ErroreValore(QString::number(valore), "integer value");
    return static_cast<int>(valore);
}

double TCampoDataSet::AsFloat() const {
    const QVariant valore = Value();
    return valore.isValid() ? InVirgola(valore) : 0.0;
}

QDate TCampoDataSet::AsDate() const {
    const QVariant valore = Value();
    return valore.isValid() ? InData(valore) : QDate();
}

void TCampoDataSet::SetValue(const QVariant& valore) { dataset_->ImpostaCampo(indice_, valore); }

// ---- TDataSet -----------------------------------------------------------------------------

TDataSet::TDataSet(TDatabase* database, TTransazione* transazione)
    : Database(database), Transaction(transazione) {}

TDataSet::~TDataSet() = default;

TTransazione* TDataSet::TransazioneEffettiva() const {
    if (Database == nullptr)
        return Transaction;
    return Transaction ? Transaction : Database->DefaultTransaction();
}

void TDataSet::RichiediAttivo() const {
    if (stato_ == Inattivo)
        throw EErroreDB(QStringLiteral("Dataset not open"));
}

void TDataSet::RichiediModifica() const {
    if (stato_ != Modifica && stato_ != Inserimento)
        throw EErroreDB(QStringLiteral("Dataset not in edit or insert mode"));
}

void TDataSet::VerificaLegame() const {
    if (Database != nullptr && Database == databaseLegato_ && Database->Epoca() != epocaLegata_)
        throw EErroreDB(QStringLiteral("L'archivio su cui lavorava questa finestra è stato chiuso (cambio di ditta o "
                                       "di utente): la finestra non può più leggere né scrivere. Chiuderla e "
                                       "riaprirla dal menu."));
}

void TDataSet::Lega() {
    databaseLegato_ = Database;
    epocaLegata_ = Database ? Database->Epoca() : 0;
}

bool TDataSet::LavoroPerso() const {
    TTransazione* transazione = lavoro_.Transazione;
    return transazione != nullptr && transazione == TransazioneEffettiva() && !lavoro_.Chiavi.isEmpty() &&
           transazione->PersaAllaGenerazione(lavoro_.Generazione);
}

void TDataSet::RegistraModifica(const QVariant& chiave, bool inserita) {
    TTransazione* transazione = TransazioneEffettiva();
    if (transazione == nullptr)
        return;
    if (lavoro_.Transazione != transazione || lavoro_.Generazione != transazione->Generazione()) {
        if (LavoroPerso())
            for (const QVariant& persa : lavoro_.Chiavi)
                if (!perse_.contains(persa))
                    perse_.append(persa);
        lavoro_ = {transazione, transazione->Generazione(), {}, {}};
    }
    if (!lavoro_.Chiavi.contains(chiave))
        lavoro_.Chiavi.append(chiave);
    if (inserita && !lavoro_.Inserite.contains(chiave))
        lavoro_.Inserite.append(chiave);
}

QList<QVariant> TDataSet::ModifichePerse() const {
    QList<QVariant> chiavi = perse_;
    if (LavoroPerso())
        for (const QVariant& chiave : lavoro_.Chiavi)
            if (!chiavi.contains(chiave))
                chiavi.append(chiave);
    return chiavi;
}

void TDataSet::DimenticaModifiche() {
    perse_.clear();
    lavoro_ = {};
}

bool TDataSet::RigaNuovaVuota() const {
    if (corrente_ < 0 || definizioni_.empty())
        return false;
    if (stato_ != Inserimento) {
        const TTransazione* transazione = TransazioneEffettiva();
        const bool pendente = transazione != nullptr && lavoro_.Transazione == transazione &&
                              lavoro_.Generazione == transazione->Generazione() && transazione->InTransaction();
        if (stato_ != Consultazione || !pendente || !lavoro_.Inserite.contains(Valore(corrente_, 0)))
            return false;
    }
    for (int campo = 1; campo < FieldCount(); ++campo)
        if (Valore(corrente_, campo).isValid())
            return false;
    return true;
}

void TDataSet::Open() {
    if (Active())
        return;
    VerificaLegame();
    std::vector<TDefinizioneCampo> definizioni;
    std::vector<RigaDati> righe;
    std::unique_ptr<TQuery> lettura = ApriLettura();
    if (lettura) {
        lettura->TieniRighe();
        for (int i = 0; i < lettura->FieldCount(); ++i) {
            const TCampo& campo = lettura->Fields(i);
            definizioni.push_back({campo.FieldName(), campo.Genere(), campo.Dimensione(), campo.Byte(), campo.Scala(),
                                   campo.Precisione(), campo.Tabella(), campo.Colonna()});
        }
        righe.resize(static_cast<size_t>(lettura->RecordCount()));
        for (size_t i = 0; i < righe.size(); ++i)
            righe[i].Letta = static_cast<int>(i);
    } else {
        std::vector<Riga> proprie;
        LeggiRighe(definizioni, proprie);
        for (Riga& riga : proprie)
            righe.push_back({-1, std::move(riga)});
    }
    definizioni_ = std::move(definizioni);
    righe_ = std::move(righe);
    lette_ = std::move(lettura);
    campi_.assign(definizioni_.size(), TCampoDataSet());
    for (size_t i = 0; i < campi_.size(); ++i) {
        campi_[i].dataset_ = this;
        campi_[i].indice_ = static_cast<int>(i);
    }
    Lega();
    stato_ = Consultazione;
    modificato_ = false;
    corrente_ = righe_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = righe_.empty();
    Avvisa([](TOsservatoreDataSet& o) { o.DataSetRiletto(); });
}

void TDataSet::Close() {
    if (!Active())
        return;
    if (stato_ == Modifica || stato_ == Inserimento)
        Cancel();
    Chiusura();
    righe_.clear();
    lette_.reset();
    stato_ = Inattivo;
    corrente_ = -1;
    bof_ = eof_ = true;
    Avvisa([](TOsservatoreDataSet& o) { o.DataSetRiletto(); });
}

void TDataSet::VerificaConsultazione() {
    if (stato_ == Modifica || stato_ == Inserimento)
        Post();
}

void TDataSet::Posiziona(int riga) {
    corrente_ = riga;
    Avvisa([riga](TOsservatoreDataSet& o) { o.PosizioneCambiata(riga); });
}

void TDataSet::First() {
    RichiediAttivo();
    VerificaConsultazione();
    Posiziona(righe_.empty() ? -1 : 0);
    bof_ = true;
    eof_ = righe_.empty();
}

void TDataSet::Last() {
    RichiediAttivo();
    VerificaConsultazione();
    Posiziona(static_cast<int>(righe_.size()) - 1);
    eof_ = true;
    bof_ = righe_.empty();
}

void TDataSet::Next() {
    RichiediAttivo();
    VerificaConsultazione();
    bof_ = false;
    if (corrente_ + 1 < RecordCount())
        Posiziona(corrente_ + 1);
    else
        eof_ = true;
}

void TDataSet::Prior() {
    RichiediAttivo();
    VerificaConsultazione();
    eof_ = false;
    if (corrente_ > 0)
        Posiziona(corrente_ - 1);
    else
        bof_ = true;
}

void TDataSet::MoveTo(int riga) {
    RichiediAttivo();
    if (riga < 0 || riga >= RecordCount())
        throw EErroreDB(QStringLiteral("Row %1 is out of range").arg(riga));
    if (riga == corrente_)
        return;
    VerificaConsultazione();
    Posiziona(riga);
    bof_ = eof_ = false;
}

TCampoDataSet& TDataSet::Fields(int indice) {
    if (indice < 0 || indice >= FieldCount())
        throw EErroreDB(QStringLiteral("Field index %1 out of range").arg(indice));
    return campi_[static_cast<size_t>(indice)];
}

int TDataSet::IndiceCampo(const QString& nome) const {
    for (size_t i = 0; i < definizioni_.size(); ++i)
        if (definizioni_[i].Nome.compare(nome, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

TCampoDataSet* TDataSet::FindField(const QString& nome) {
    const int indice = IndiceCampo(nome);
    return indice < 0 ? nullptr : &campi_[static_cast<size_t>(indice)];
}

TCampoDataSet& TDataSet::FieldByName(const QString& nome) {
    if (TCampoDataSet* campo = FindField(nome))
        return *campo;
    throw EErroreDB(QStringLiteral("Field '") + nome + QStringLiteral("' not found"));
}

QVariant TDataSet::Valore(int riga, int campo) const {
    if (riga < 0 || riga >= RecordCount() || campo < 0 || campo >= FieldCount())
        return {};
    const RigaDati& dati = righe_[static_cast<size_t>(riga)];
    if (dati.Valori.empty())
        return lette_ && dati.Letta >= 0 ? lette_->ValoreIn(dati.Letta, campo) : QVariant();
    return dati.Valori[static_cast<size_t>(campo)];
}

TDataSet::Riga& TDataSet::Valori(int riga) {
    RigaDati& dati = righe_.at(static_cast<size_t>(riga));
    if (dati.Valori.empty()) {
        dati.Valori.resize(definizioni_.size());
        for (int campo = 0; campo < FieldCount(); ++campo)
            dati.Valori[static_cast<size_t>(campo)] = lette_ ? lette_->ValoreIn(dati.Letta, campo) : QVariant();
    }
    return dati.Valori;
}

std::vector<TDataSet::Riga> TDataSet::RigheAttuali() const {
    std::vector<Riga> righe;
    for (int riga = 0; riga < RecordCount(); ++riga) {
        Riga valori;
        for (int campo = 0; campo < FieldCount(); ++campo)
            valori.push_back(Valore(riga, campo));
        righe.push_back(std::move(valori));
    }
    return righe;
}

void TDataSet::ImpostaCampo(int indice, const QVariant& valore) {
    RichiediModifica();
    QVariant convertito = Converti(definizioni_[static_cast<size_t>(indice)].Genere, valore);
    Valori(corrente_)[static_cast<size_t>(indice)] = std::move(convertito);
    modificato_ = true;
    const int riga = corrente_;
    Avvisa([riga](TOsservatoreDataSet& o) { o.RigaCambiata(riga); });
}

void TDataSet::Edit() {
    RichiediAttivo();
    if (stato_ == Modifica || stato_ == Inserimento)
        return;
    if (corrente_ < 0)
        throw EErroreDB(QStringLiteral("Cannot edit an empty dataset"));
    VerificaLegame();
    VerificaModificabile();
    if (BeforeEdit)
        BeforeEdit(*this);
    originale_ = Valori(corrente_);
    stato_ = Modifica;
    modificato_ = false;
    // Where the row's lock (if the handler took one) lives: the edit is written only there.
    const TTransazione* transazione = TransazioneEffettiva();
    generazioneModifica_ = transazione && transazione->InTransaction() ? transazione->Generazione() : 0;
    RegistraModifica(Valore(corrente_, 0));
}

void TDataSet::Append() {
    RichiediAttivo();
    VerificaLegame();
    VerificaConsultazione();
    VerificaModificabile();
    righe_.push_back({-1, Riga(definizioni_.size())});
    originale_ = righe_.back().Valori;
    const int riga = RecordCount() - 1;
    stato_ = Inserimento;
    modificato_ = false;
    Avvisa([riga](TOsservatoreDataSet& o) { o.RigaAggiunta(riga); });
    Posiziona(riga);
    bof_ = eof_ = false;
}

void TDataSet::Post() {
    RichiediModifica();
    VerificaLegame();
    const TTransazione* transazione = TransazioneEffettiva();
    if (stato_ == Modifica && generazioneModifica_ != 0 && transazione &&
        transazione->PersaAllaGenerazione(generazioneModifica_)) {
        // Its lock went with the lost work: written now, it could overwrite another user's save.
        Cancel();
        throw EErroreDB(QStringLiteral("Il collegamento con l'archivio si è interrotto durante la modifica: il "
                                       "blocco del record è andato perso e la modifica non è stata scritta."));
    }
    // Every column before any statement runs, so that the message names the column (the
    // writing statements number their parameters) and a refused row leaves nothing behind.
    if (Database != nullptr) {
        const Riga& nuova = Valori(corrente_);
        for (size_t i = 0; i < nuova.size(); ++i) {
            if (nuova[i].typeId() != QMetaType::QString)
                continue;
            const QString errore = TestoNonMemorizzabile(nuova[i].toString(), definizioni_[i].Nome);
            if (!errore.isEmpty())
                throw EErroreDB(errore);
        }
    }
    const bool inserita = stato_ == Inserimento;
    ScriviRiga(stato_, originale_, Valori(corrente_));
    RegistraModifica(Valore(corrente_, 0), inserita);
    stato_ = Consultazione;
    modificato_ = false;
    originale_.clear();
}

void TDataSet::Cancel() {
    if (stato_ == Modifica) {
        Valori(corrente_) = originale_;
        const int riga = corrente_;
        Avvisa([riga](TOsservatoreDataSet& o) { o.RigaCambiata(riga); });
    } else if (stato_ == Inserimento) {
        const int riga = corrente_;
        righe_.erase(righe_.begin() + riga);
        Avvisa([riga](TOsservatoreDataSet& o) { o.RigaTolta(riga); });
        Posiziona(std::min(riga, RecordCount() - 1));
        eof_ = righe_.empty();
    } else {
        return;
    }
    stato_ = Consultazione;
    modificato_ = false;
    originale_.clear();
}

void TDataSet::Delete() {
    RichiediAttivo();
    if (stato_ == Inserimento) {
        Cancel();
        return;
    }
    if (stato_ == Modifica)
        Cancel();
    if (corrente_ < 0)
        throw EErroreDB(QStringLiteral("Cannot delete from an empty dataset"));
    VerificaLegame();
    VerificaModificabile();
    CancellaRiga(Valori(corrente_));
    RegistraModifica(Valore(corrente_, 0));
    const int riga = corrente_;
    righe_.erase(righe_.begin() + riga);
    Avvisa([riga](TOsservatoreDataSet& o) { o.RigaTolta(riga); });
    Posiziona(std::min(riga, RecordCount() - 1));
    eof_ = righe_.empty();
}

bool TDataSet::Locate(const QString& campo, const QVariant& valore) {
    RichiediAttivo();
    const int indice = IndiceCampo(campo);
    if (indice < 0)
        throw EErroreDB(QStringLiteral("Field '") + campo + QStringLiteral("' not found"));
    const QVariant cercato = Converti(definizioni_[static_cast<size_t>(indice)].Genere, valore);
    VerificaConsultazione();
    for (int riga = 0; riga < RecordCount(); ++riga)
        if (Valore(riga, indice) == cercato) {
            MoveTo(riga);
            return true;
        }
    return false;
}

TBookmark TDataSet::GetBookmark() const {
    if (corrente_ < 0 || definizioni_.empty())
        return {};
    return {Valore(corrente_, 0), corrente_};
}

void TDataSet::GotoBookmark(const TBookmark& segnalibro) {
    RichiediAttivo();
    if (!segnalibro.Valido() || definizioni_.empty())
        throw EErroreDB(QStringLiteral("Bookmark not valid"));
    // The same row number is tried first: it is the row unless rows came or went before it.
    const int stessa = segnalibro.Riga;
    if (stessa < RecordCount() && Valore(stessa, 0) == segnalibro.Chiave) {
        MoveTo(stessa);
        return;
    }
    for (int riga = 0; riga < RecordCount(); ++riga)
        if (Valore(riga, 0) == segnalibro.Chiave) {
            MoveTo(riga);
            return;
        }
    throw EErroreDB(QStringLiteral("Record not found"));
}

void TDataSet::AggiungiOsservatore(TOsservatoreDataSet* osservatore) {
    if (std::find(osservatori_.begin(), osservatori_.end(), osservatore) == osservatori_.end())
        osservatori_.push_back(osservatore);
}

void TDataSet::TogliOsservatore(TOsservatoreDataSet* osservatore) {
    osservatori_.erase(std::remove(osservatori_.begin(), osservatori_.end(), osservatore), osservatori_.end());
}

void TDataSet::Avvisa(const std::function<void(TOsservatoreDataSet&)>& avviso) {
    // A copy: an observer may go while being told.
    const auto osservatori = osservatori_;
    for (TOsservatoreDataSet* osservatore : osservatori)
        avviso(*osservatore);
}

void TDataSet::AssegnaValore(TParametro& parametro, const QVariant& valore) {
    if (!valore.isValid()) {
        parametro.Clear();
        return;
    }
    switch (valore.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        parametro.AsInteger(valore.toLongLong());
        break;
    case QMetaType::Bool:
        parametro.AsString(valore.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        break;
    case QMetaType::Double:
        parametro.AsString(QString::number(valore.toDouble(), 'g', 17));
        break;
    case QMetaType::QDate:
        parametro.AsString(valore.toDate().toString(QStringLiteral("yyyy-MM-dd")));
        break;
    case QMetaType::QTime:
        parametro.AsString(valore.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
        break;
    case QMetaType::QDateTime:
        parametro.AsString(valore.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")));
        break;
    default:
        parametro.AsString(valore.toString());
    }
}

void TDataSet::AssegnaParametro(TParametro& parametro, const Riga& vecchia, const Riga& nuova) const {
    const QString nome = parametro.Name();
    int indice = IndiceCampo(nome);
    if (indice >= 0) {
        AssegnaValore(parametro, nuova[static_cast<size_t>(indice)]);
        return;
    }
    if (nome.startsWith(QStringLiteral("OLD_"), Qt::CaseInsensitive)) {
        indice = IndiceCampo(nome.mid(4));
        if (indice >= 0) {
            AssegnaValore(parametro, vecchia[static_cast<size_t>(indice)]);
            return;
        }
    }
    throw EErroreDB(QStringLiteral("Parameter '") + nome + QStringLiteral("' is not a column of the dataset"));
}

// ---- TIBTable -----------------------------------------------------------------------------

QString TIBTable::Tabella() const {
    if (TableName.trimmed().isEmpty())
        throw EErroreDB(QStringLiteral("Table name missing"));
    return Identificatore(TableName);
}

std::vector<TIBTable::TIndice> TIBTable::IndexDefs() {
    // Read once per table: a refresh asks for them every time.
    if (tabellaIndici_ == TableName && Database == databaseIndici_)
        return indici_;
    TQuery query(Database, Transaction);
    query.SQL.Add(QStringLiteral("SELECT I.RDB$INDEX_NAME, S.RDB$FIELD_NAME"));
    query.SQL.Add(QStringLiteral("FROM RDB$INDICES I"));
    query.SQL.Add(QStringLiteral("JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = I.RDB$INDEX_NAME"));
    query.SQL.Add(QStringLiteral("LEFT JOIN RDB$RELATION_CONSTRAINTS C ON C.RDB$INDEX_NAME = I.RDB$INDEX_NAME"));
    query.SQL.Add(QStringLiteral("WHERE I.RDB$RELATION_NAME = :TABELLA"));
    query.SQL.Add(QStringLiteral("ORDER BY CASE WHEN C.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' THEN 0 ELSE 1 END,"));
    query.SQL.Add(QStringLiteral("I.RDB$INDEX_ID, I.RDB$INDEX_NAME, S.RDB$FIELD_POSITION"));
    QString nome = Tabella();
    nome = nome.mid(1, nome.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    query.ParamByName(QStringLiteral("TABELLA")).AsString(nome);
    query.Open();
    std::vector<TIndice> indici;
    for (query.First(); !query.Eof(); query.Next()) {
        const QString indice = query.Fields(0).AsString().trimmed();
        if (indici.empty() || indici.back().Nome != indice)
            indici.push_back({indice, {}});
        indici.back().Campi.append(query.Fields(1).AsString().trimmed());
    }
    indici_ = indici;
    tabellaIndici_ = TableName;
    databaseIndici_ = Database;
    return indici;
}

void TIBTable::EmptyTable() {
    if (Active())
        throw EErroreDB(QStringLiteral("Cannot empty the table of an open dataset"));
    TQuery query(Database, Transaction);
    query.SQL.Add(QStringLiteral("DELETE FROM ") + Tabella());
    query.ExecSQL();
}

std::unique_ptr<TQuery> TIBTable::ApriLettura() {
    auto query = std::make_unique<TQuery>(Database, Transaction);
    query->SQL.Add(QStringLiteral("SELECT * FROM ") + Tabella());
    QStringList ordine;
    if (!IndexName.trimmed().isEmpty()) {
        for (const TIndice& indice : IndexDefs())
            if (indice.Nome.compare(IndexName.trimmed(), Qt::CaseInsensitive) == 0)
                for (const QString& campo : indice.Campi)
                    ordine.append(IdentificatoreEsatto(campo));
        if (ordine.isEmpty())
            throw EErroreDB(QStringLiteral("Index '") + IndexName + QStringLiteral("' not found"));
    }
    query->SQL.Add(QStringLiteral("ORDER BY ") + (ordine.isEmpty() ? QStringLiteral("1") : ordine.join(QLatin1Char(','))));
    query->Open();
    return query;
}

void TIBTable::PreparaScritture() {
    const QString tabella = Tabella();
    if (tabellaScritture_ == tabella && scritture_.InsertSQL.Count() > 0)
        return;
    // Parameters by position: a column's name may hold blanks or quotes.
    QStringList colonne, parametri;
    for (int i = 0; i < FieldCount(); ++i) {
        colonne.append(IdentificatoreEsatto(FieldDefs()[static_cast<size_t>(i)].Nome));
        parametri.append(QStringLiteral("C%1").arg(i));
    }
    const QString condizione = QStringLiteral("WHERE ") + colonne.value(0) + QStringLiteral("=:CHIAVE");
    ScriviModifica(scritture_.ModifySQL, tabella, colonne, parametri);
    scritture_.ModifySQL.Add(condizione);
    // The row must still hold what was read: a change saved by another user since is
    // refused, not overwritten. Times (finer in the engine than here) and blobs are left out
    // of the comparison.
    for (int i = 1; i < FieldCount(); ++i)
        if (Confrontabile(FieldDefs()[static_cast<size_t>(i)].Genere))
            scritture_.ModifySQL.Add(QStringLiteral("AND ") + colonne.value(i) +
                                     QStringLiteral(" IS NOT DISTINCT FROM :V%1").arg(i));
    ScriviInserimento(scritture_.InsertSQL, tabella, colonne, parametri);
    scritture_.DeleteSQL.Clear();
    scritture_.DeleteSQL.Add(QStringLiteral("DELETE FROM ") + tabella);
    scritture_.DeleteSQL.Add(condizione);
    tabellaScritture_ = tabella;
}

namespace {

// A row written by its key must be there as it was read: none touched means another user
// deleted it or saved a change of it since.
void VerificaToccata(TAggiornamento& scritture, const QString& tabella, bool modifica) {
    if (scritture.RigheToccate() != 0)
        return;
    throw EErroreDB(modifica ? QStringLiteral("Il record di ") + tabella +
                                   QStringLiteral(" è stato modificato o cancellato da un altro utente dopo che la "
                                                  "griglia lo ha letto: la modifica non è stata salvata. Annullare, "
                                                  "aggiornare la griglia e ripetere la modifica.")
                             : QStringLiteral("Il record di ") + tabella +
                                   QStringLiteral(" non c'è più: un altro utente lo ha cancellato."));
}

} // namespace

bool TIBTable::Confrontabile(TGenere genere) {
    switch (genere) {
    case TGenere::Testo:
    case TGenere::Intero:
    case TGenere::Decimale:
    case TGenere::Virgola:
    case TGenere::Data:
    case TGenere::Logico:
        return true;
    default:
        return false;
    }
}

void TIBTable::ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) {
    PreparaScritture();
    const auto assegna = [&](TParametro& parametro) {
        const QString nome = parametro.Name();
        if (nome == QStringLiteral("CHIAVE"))
            AssegnaValore(parametro, vecchia.at(0));
        else
            AssegnaValore(parametro, (nome.startsWith(QLatin1Char('V')) ? vecchia : nuova)
                                         .at(static_cast<size_t>(nome.mid(1).toInt())));
    };
    const bool modifica = stato == Modifica;
    scritture_.EseguiCon(modifica ? scritture_.ModifySQL : scritture_.InsertSQL, Database, Transaction, assegna);
    if (modifica)
        VerificaToccata(scritture_, TableName, true);
}

void TIBTable::CancellaRiga(const Riga& vecchia) {
    PreparaScritture();
    scritture_.EseguiCon(scritture_.DeleteSQL, Database, Transaction,
                         [&](TParametro& parametro) { AssegnaValore(parametro, vecchia.at(0)); });
    VerificaToccata(scritture_, TableName, false);
}

// ---- TIBQuery -----------------------------------------------------------------------------

std::unique_ptr<TQuery> TIBQuery::ApriLettura() {
    auto query = std::make_unique<TQuery>(Database, Transaction);
    AggiungiRighe(query->SQL, SQL.Righe());
    query->Open();
    return query;
}

void TIBQuery::VerificaModificabile() const {
    if (UpdateObject == nullptr)
        throw EErroreDB(QStringLiteral("The dataset is read-only: it has no update object"));
}

void TIBQuery::Esegui(const TRighe& istruzione, const Riga& vecchia, const Riga& nuova) {
    if (istruzione.Count() == 0)
        throw EErroreDB(QStringLiteral("The update object has no statement for this change"));
    UpdateObject->EseguiCon(istruzione, Database, Transaction,
                            [&](TParametro& parametro) { AssegnaParametro(parametro, vecchia, nuova); });
}

void TIBQuery::ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) {
    VerificaModificabile();
    Esegui(stato == Modifica ? UpdateObject->ModifySQL : UpdateObject->InsertSQL, vecchia, nuova);
}

void TIBQuery::CancellaRiga(const Riga& vecchia) {
    VerificaModificabile();
    Esegui(UpdateObject->DeleteSQL, vecchia, vecchia);
}

// ---- TDataSetMemoria ----------------------------------------------------------------------

TDataSetMemoria::TDataSetMemoria(std::vector<TDefinizioneCampo> definizioni)
    : colonne_(std::move(definizioni)) {}

void TDataSetMemoria::LeggiRighe(std::vector<TDefinizioneCampo>& definizioni, std::vector<Riga>& righe) {
    definizioni = colonne_;
    righe = conservate_;
}

void TDataSetMemoria::ScriviRiga(Stato, const Riga&, const Riga&) {}

void TDataSetMemoria::CancellaRiga(const Riga&) {}

void TDataSetMemoria::Chiusura() { conservate_ = RigheAttuali(); }

} // namespace fb
