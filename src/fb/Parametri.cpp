#include "fb/Parametri.h"

#include "fb/Client.h"
#include "fb/Query.h"
#include "fb/TestoArchivio.h"

#include <ibase.h>

#include <algorithm>
#include <cstring>

namespace fb {

using client::Stato;

// ---- TParametro ---------------------------------------------------------------------------

void TParametro::AsString(const QString& valore) {
    // Converted first: a text refused leaves the parameter as it was.
    dati_ = CodificaPerArchivio(valore, nome_);
    tipo_ = Tipo::Testo;
}

void TParametro::AsInteger(qint64 valore) {
    tipo_ = Tipo::Intero;
    intero_ = valore;
    dati_.clear();
}

void TParametro::Clear() {
    tipo_ = Tipo::Nullo;
    dati_.clear();
}

void TParametro::Assign(const TCampo& campo) {
    if (campo.IsNull()) {
        Clear();
        return;
    }
    tipo_ = Tipo::Colonna;
    tipoSql_ = campo.tipo_;
    sottotipo_ = campo.sottotipo_;
    scala_ = campo.scala_;
    lunghezza_ = campo.lunghezza_;
    charset_ = campo.charset_;
    // A blob goes back by its id, valid in the transaction that read it.
    const unsigned ingombro = campo.lunghezza_ + (campo.tipo_ == SQL_VARYING ? sizeof(short) : 0);
    dati_ = QByteArray(reinterpret_cast<const char*>(campo.Dati() + campo.offset_),
                       static_cast<qsizetype>(ingombro));
}

namespace {

template <typename T> qint64 Intero(const QByteArray& byte) {
    T valore{};
    std::memcpy(&valore, byte.constData(), std::min(sizeof valore, static_cast<size_t>(byte.size())));
    return valore;
}

} // namespace

QString TParametro::Letterale() const {
    const auto testo = [](const QByteArray& byte) {
        return QLatin1Char('\'') + client::Decodifica(byte.constData(), byte.size()).replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    };
    switch (tipo_) {
    case Tipo::Nullo:
        return QStringLiteral("NULL");
    case Tipo::Intero:
        return QString::number(intero_);
    case Tipo::Testo:
        return testo(dati_);
    case Tipo::Colonna:
        if (tipoSql_ == SQL_VARYING && dati_.size() >= 2)
            return testo(dati_.mid(2));
        if (tipoSql_ == SQL_TEXT)
            return testo(dati_);
        if (scala_ == 0 && tipoSql_ == SQL_SHORT)
            return QString::number(Intero<qint16>(dati_));
        if (scala_ == 0 && tipoSql_ == SQL_LONG)
            return QString::number(Intero<qint32>(dati_));
        if (scala_ == 0 && tipoSql_ == SQL_INT64)
            return QString::number(Intero<qint64>(dati_));
        return QStringLiteral("NULL");
    }
    return QStringLiteral("NULL");
}

void TParametro::AssignValue(const TParametro& altro) {
    const QString nome = nome_;
    *this = altro;
    nome_ = nome;
}

// ---- Markers ------------------------------------------------------------------------------

namespace {

bool InizioNome(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool CarattereNome(QChar c) { return InizioNome(c) || (c >= u'0' && c <= u'9') || c == u'$'; }

QChar ChiusuraQ(QChar apertura) {
    switch (apertura.unicode()) {
    case u'(': return u')';
    case u'[': return u']';
    case u'{': return u'}';
    case u'<': return u'>';
    default: return apertura;
    }
}

qsizetype FinoA(const QString& t, QStringView chiusura, qsizetype da) {
    const qsizetype j = t.indexOf(chiusura, da);
    return j < 0 ? t.size() : j + chiusura.size();
}

// Past the end of a comment starting at i; i itself when none starts there.
qsizetype FineCommento(const QString& t, qsizetype i) {
    if (i + 1 >= t.size())
        return i;
    if (t[i] == u'-' && t[i + 1] == u'-')
        return FinoA(t, u"\n", i + 2);
    if (t[i] == u'/' && t[i + 1] == u'*')
        return FinoA(t, u"*/", i + 2);
    return i;
}

// Past the end of a quoted text or identifier starting at i; i itself when none starts there.
// One left open runs to the end of the statement.
qsizetype FineTraApici(const QString& t, qsizetype i) {
    const QChar c = t[i];
    if (c == u'\'' || c == u'"') // a doubled quote closes and opens again: same result
        return FinoA(t, QStringView(&t.constData()[i], 1), i + 1);
    const bool testoQ = (c == u'q' || c == u'Q') && i + 2 < t.size() && t[i + 1] == u'\'' &&
                        (i == 0 || !CarattereNome(t[i - 1]));
    if (testoQ)
        return FinoA(t, QString(ChiusuraQ(t[i + 2])) + QLatin1Char('\''), i + 3);
    return i;
}

// The next word after blanks and comments, upper case; i moves past it.
QString ParolaSuccessiva(const QString& t, qsizetype& i) {
    while (i < t.size()) {
        const qsizetype fine = FineCommento(t, i);
        if (fine != i)
            i = fine;
        else if (t[i].isSpace())
            ++i;
        else
            break;
    }
    const qsizetype inizio = i;
    while (i < t.size() && InizioNome(t[i]))
        ++i;
    return t.mid(inizio, i - inizio).toUpper();
}

bool CorpoPsql(const QString& t) {
    qsizetype i = 0;
    const QString prima = ParolaSuccessiva(t, i);
    if (prima == u"CREATE" || prima == u"ALTER" || prima == u"RECREATE")
        return true;
    return prima == u"EXECUTE" && ParolaSuccessiva(t, i) == u"BLOCK";
}

} // namespace

TTestoParametri SostituisciParametri(const QString& testo) {
    TTestoParametri risultato;
    // The common case, a statement of literals, costs one scan.
    if (!testo.contains(QLatin1Char(':')) || CorpoPsql(testo)) {
        risultato.Testo = testo;
        return risultato;
    }
    const qsizetype n = testo.size();
    risultato.Testo.reserve(n);
    qsizetype copiato = 0;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype fine = std::max(FineTraApici(testo, i), FineCommento(testo, i));
        if (fine != i) {
            i = fine;
            continue;
        }
        if (testo[i] == u':' && i + 1 < n && InizioNome(testo[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && CarattereNome(testo[j]))
                ++j;
            risultato.Testo += QStringView(testo).mid(copiato, i - copiato);
            risultato.Testo += QLatin1Char('?');
            risultato.Nomi.append(testo.mid(i + 1, j - i - 1));
            copiato = i = j;
            continue;
        }
        ++i;
    }
    risultato.Testo += QStringView(testo).mid(copiato);
    return risultato;
}

// ---- Input message ------------------------------------------------------------------------

namespace {

// The longest text a VARCHAR can carry.
constexpr qsizetype LunghezzaMassimaTesto = 32765;

template <typename T> void Scrivi(unsigned char* p, const T& valore) {
    std::memcpy(p, &valore, sizeof valore);
}

} // namespace

void TMessaggioIngresso::Crea(Firebird::IMessageMetadata* descrizione,
                              const std::vector<const TParametro*>& valori) {
    using Tipo = TParametro::Tipo;
    Stato stato;
    client::Interfaccia<Firebird::IMetadataBuilder> costruttore(descrizione->getBuilder(&stato));
    for (unsigned i = 0; i < valori.size(); ++i) {
        const TParametro& v = *valori[i];
        switch (v.tipo_) {
        case Tipo::Nullo:
            costruttore->setType(&stato, i, descrizione->getType(&stato, i) | 1u);
            break;
        case Tipo::Testo:
            if (v.dati_.size() > LunghezzaMassimaTesto)
                throw EErroreDB(QStringLiteral("Parameter '") + v.nome_ +
                                QStringLiteral("': text longer than ") +
                                QString::number(LunghezzaMassimaTesto) + QStringLiteral(" bytes"));
            // The charset stays the one the statement expects there.
            costruttore->setType(&stato, i, SQL_VARYING | 1u);
            costruttore->setSubType(&stato, i, 0);
            costruttore->setScale(&stato, i, 0);
            costruttore->setLength(&stato, i, static_cast<unsigned>(std::max<qsizetype>(v.dati_.size(), 1)));
            break;
        case Tipo::Intero:
            costruttore->setType(&stato, i, SQL_INT64 | 1u);
            costruttore->setSubType(&stato, i, 0);
            costruttore->setScale(&stato, i, 0);
            costruttore->setLength(&stato, i, sizeof(qint64));
            costruttore->setCharSet(&stato, i, 0);
            break;
        case Tipo::Colonna:
            costruttore->setType(&stato, i, v.tipoSql_ | 1u);
            costruttore->setSubType(&stato, i, v.sottotipo_);
            costruttore->setScale(&stato, i, v.scala_);
            costruttore->setLength(&stato, i, v.lunghezza_);
            costruttore->setCharSet(&stato, i, v.charset_);
            break;
        }
    }
    metadati_ = client::Interfaccia<Firebird::IMessageMetadata>(costruttore->getMetadata(&stato));
    buffer_.assign(metadati_->getMessageLength(&stato), 0);
    for (unsigned i = 0; i < valori.size(); ++i) {
        const TParametro& v = *valori[i];
        unsigned char* dati = buffer_.data() + metadati_->getOffset(&stato, i);
        unsigned char* nullo = buffer_.data() + metadati_->getNullOffset(&stato, i);
        Scrivi<short>(nullo, v.IsNull() ? -1 : 0);
        switch (v.tipo_) {
        case Tipo::Nullo:
            break;
        case Tipo::Testo:
            Scrivi(dati, static_cast<unsigned short>(v.dati_.size()));
            std::memcpy(dati + sizeof(unsigned short), v.dati_.constData(), static_cast<size_t>(v.dati_.size()));
            break;
        case Tipo::Intero:
            Scrivi(dati, v.intero_);
            break;
        case Tipo::Colonna:
            std::memcpy(dati, v.dati_.constData(), static_cast<size_t>(v.dati_.size()));
            break;
        }
    }
}

} // namespace fb
