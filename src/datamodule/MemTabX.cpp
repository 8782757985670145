#include "MemTabX.h"

#include "piattaforma/Errori.h"

#include <limits>

using piattaforma::ErroreConversione;

namespace {

const QString FormatoData = QStringLiteral("dd/MM/yyyy");

// Cut to the field's width without splitting a surrogate pair.
QString Taglia(const QString& testo, int larghezza) {
    if (testo.size() <= larghezza)
        return testo;
    QString tagliato = testo.left(larghezza);
    if (tagliato.back().isHighSurrogate())
        tagliato.chop(1);
    return tagliato;
}

// Plain decimal digits with an optional sign: no blanks, no hexadecimal.
bool EUnInteroDecimale(const QString& testo) {
    const qsizetype inizio = (testo.startsWith(u'+') || testo.startsWith(u'-')) ? 1 : 0;
    if (inizio == testo.size())
        return false;
    for (qsizetype i = inizio; i < testo.size(); ++i) {
        if (testo[i] < u'0' || testo[i] > u'9')
            return false;
    }
    return true;
}

std::optional<qint64> ConvertiIntero64(const QString& testo) {
    if (testo.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 valore = EUnInteroDecimale(testo) ? testo.toLongLong(&ok, 10) : 0;
    if (!ok)
        throw ErroreConversione(QStringLiteral("'%1' is not a valid integer value").arg(testo));
    return valore;
}

std::optional<qint16> ConvertiIntero16(const QString& testo, const char* campo) {
    const std::optional<qint64> valore = ConvertiIntero64(testo);
    if (!valore)
        return std::nullopt;
    constexpr qint64 minimo = std::numeric_limits<qint16>::min();
    constexpr qint64 massimo = std::numeric_limits<qint16>::max();
    if (*valore < minimo || *valore > massimo)
        throw ErroreConversione(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                .arg(*valore)
                .arg(QLatin1StringView(campo))
                .arg(minimo)
                .arg(massimo));
    return static_cast<qint16>(*valore);
}

std::optional<QDate> ConvertiData(const QString& testo) {
    if (testo.isEmpty())
        return std::nullopt;
    const QDate data = QDate::fromString(testo, FormatoData);
    if (!data.isValid())
        throw ErroreConversione(QStringLiteral("'%1' is not a valid date").arg(testo));
    return data;
}

// The values of Inserisci once converted, so a bad text changes nothing.
struct ValoriConvertiti {
    std::optional<qint64> numero;
    QString testo;
    std::optional<QDate> data;
    QString memo;
    std::optional<qint16> livello1;
    std::optional<qint16> livello2;
    std::optional<qint16> utente;
};

void AssegnaValori(RigaMemTabX& riga, const ValoriConvertiti& valori) {
    riga.Numero = valori.numero;
    riga.Testo = valori.testo;
    riga.Data = valori.data;
    riga.Memo = valori.memo;
    riga.Livello1 = valori.livello1;
    riga.Livello2 = valori.livello2;
}

} // namespace

void TMemTabX::Open() {
    attiva_ = true;
}

void TMemTabX::Close() {
    attiva_ = false;
    righe_.clear();
    corrente_ = -1;
    ultimoCodice_ = 0;
}

bool TMemTabX::Active() const {
    return attiva_;
}

int TMemTabX::RecordCount() const {
    return static_cast<int>(righe_.size());
}

const RigaMemTabX& TMemTabX::Riga(int indice) const {
    return righe_.at(indice);
}

int TMemTabX::RigaCorrente() const {
    return corrente_;
}

// The current row first, then the first match in table order, which becomes current.
template <typename Condizione> std::optional<int> TMemTabX::Trova(Condizione condizione) {
    if (corrente_ >= 0 && condizione(righe_[corrente_]))
        return corrente_;
    for (int i = 0; i < RecordCount(); ++i) {
        if (condizione(righe_[i])) {
            corrente_ = i;
            return i;
        }
    }
    return std::nullopt;
}

// The name is compared as given, not cut to the field's width.
std::optional<int> TMemTabX::TrovaNome(const QString& nome) {
    return Trova([&nome](const RigaMemTabX& riga) { return riga.Nome == nome; });
}

void TMemTabX::Inserisci(const QString& tipo, const QString& nome, const QString& numero,
                         const QString& testo, const QString& data, const QString& memo,
                         const QString& livello1, const QString& livello2, const QString& utente) {
    const ValoriConvertiti valori{ConvertiIntero64(numero),
                                  testo,
                                  ConvertiData(data),
                                  memo,
                                  ConvertiIntero16(livello1, "Livello1"),
                                  ConvertiIntero16(livello2, "Livello2"),
                                  ConvertiIntero16(utente, "Utente")};
    if (!attiva_)
        Open();
    const auto trovata = Trova([&](const RigaMemTabX& riga) {
        return riga.Tipo == tipo && riga.Nome == nome && riga.Utente == valori.utente;
    });
    if (trovata) {
        AssegnaValori(righe_[*trovata], valori);
        return;
    }
    RigaMemTabX nuova;
    nuova.Codice = ++ultimoCodice_;
    nuova.Tipo = Taglia(tipo, LarghezzaTipo);
    nuova.Nome = Taglia(nome, LarghezzaNome);
    nuova.Utente = valori.utente;
    AssegnaValori(nuova, valori);
    righe_.push_back(std::move(nuova));
    corrente_ = RecordCount() - 1;
}

QString TMemTabX::GetV(const QString& nome) {
    const auto trovata = TrovaNome(nome);
    return trovata ? righe_[*trovata].Testo : QString();
}

QString TMemTabX::GetM(const QString& nome) {
    const auto trovata = TrovaNome(nome);
    return trovata ? righe_[*trovata].Memo : QString();
}

bool TMemTabX::SetV(const QString& nome, const QString& valore) {
    const auto trovata = TrovaNome(nome);
    if (trovata)
        righe_[*trovata].Testo = valore;
    return trovata.has_value();
}

bool TMemTabX::EsisteNome(const QString& nome) {
    return TrovaNome(nome).has_value();
}

bool TMemTabX::AggiornaValori(const QString& tipo, const QString& nome, const QString& numero,
                              const QString& testo, const QString& data, const QString& memo) {
    // Converted first, so a bad text changes nothing.
    const std::optional<qint64> nuovoNumero = ConvertiIntero64(numero);
    const std::optional<QDate> nuovaData = ConvertiData(data);
    const auto trovata =
        Trova([&](const RigaMemTabX& riga) { return riga.Tipo == tipo && riga.Nome == nome; });
    if (!trovata)
        return false;
    RigaMemTabX& riga = righe_[*trovata];
    if (numero.isEmpty() && testo.isEmpty() && data.isEmpty() && memo.isEmpty()) {
        riga.Numero.reset();
        riga.Testo.clear();
        riga.Data.reset();
        riga.Memo.clear();
        return true;
    }
    if (!numero.isEmpty())
        riga.Numero = nuovoNumero;
    if (!testo.isEmpty())
        riga.Testo = testo;
    if (!data.isEmpty())
        riga.Data = nuovaData;
    if (!memo.isEmpty())
        riga.Memo = memo;
    return true;
}

bool TMemTabX::SetM(const QString& nome, const QString& valore) {
    const auto trovata = TrovaNome(nome);
    if (trovata)
        righe_[*trovata].Memo = valore;
    return trovata.has_value();
}
