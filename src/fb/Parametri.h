#pragma once

// Named parameters: a statement may hold ":NAME" markers, which become "?" before it is
// prepared, and the values bound to them travel in an input message beside the statement.

#include "../fb/Interfaccia.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace fb {

class TCampo;

// The value bound to the markers of one name: text, an integer, NULL, or a column of a row
// read by a query, carried with its own type so that it goes back exactly as it came.
// A new parameter is NULL.
class TParametro {
public:
    explicit TParametro(QString nome = {}) : nome_(std::move(nome)) {}

    const QString& Name() const { return nome_; }
    bool IsNull() const { return tipo_ == Tipo::Nullo; }

    // The engine converts the text to the type the statement wants there. A text the
    // database cannot hold raises EErroreDB naming the parameter, and changes nothing.
    void AsString(const QString& valore);
    void AsInteger(qint64 valore);
    // NULL.
    void Clear();
    // The column's value in the current row of its query, NULL when it has none.
    void Assign(const TCampo& campo);
    // The other's value; the name stays.
    void AssignValue(const TParametro& altro);
    // The value as a statement literal ("NULL", a number, a quoted text), for recordings.
    QString Letterale() const;

private:
    friend class TMessaggioIngresso;

    enum class Tipo { Nullo, Testo, Intero, Colonna };

    QString nome_;
    Tipo tipo_ = Tipo::Nullo;
    QByteArray dati_; // text in the code page, or the column's bytes as read
    qint64 intero_ = 0;
    // Description of a carried column.
    unsigned tipoSql_ = 0;
    int sottotipo_ = 0;
    int scala_ = 0;
    unsigned lunghezza_ = 0;
    unsigned charset_ = 0;
};

// A statement with its markers replaced by "?" and the names, one per "?" in order.
struct TTestoParametri {
    QString Testo;
    QStringList Nomi;
};

// Markers inside quoted literals (also q'{...}'), double-quoted identifiers and comments are
// text, not markers. Statements starting with EXECUTE BLOCK, CREATE, ALTER or RECREATE are
// left alone: in a PSQL body ":NAME" is one of its own variables, and DDL takes no parameters.
TTestoParametri SostituisciParametri(const QString& testo);

// The input message of one execution: the statement's own description of its markers, with
// each position's type changed to the kind of value bound there, and the values' bytes.
class TMessaggioIngresso {
public:
    TMessaggioIngresso() = default;
    TMessaggioIngresso(const TMessaggioIngresso&) = delete;
    TMessaggioIngresso& operator=(const TMessaggioIngresso&) = delete;

    // One value per position of the description.
    void Crea(Firebird::IMessageMetadata* descrizione, const std::vector<const TParametro*>& valori);

    // Null, as the client wants them, when there is nothing to send.
    Firebird::IMessageMetadata* Metadati() const { return metadati_.get(); }
    void* Dati() { return metadati_ ? buffer_.data() : nullptr; }

private:
    client::Interfaccia<Firebird::IMessageMetadata> metadati_;
    std::vector<unsigned char> buffer_;
};

} // namespace fb
