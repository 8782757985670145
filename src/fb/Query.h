#pragma once

#include "../fb/Interfaccia.h"
#include "../fb/Parametri.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <initializer_list>
#include <vector>

namespace fb {

namespace client {
class Stato;
}

class TDatabase;
class TTransazione;
class TQuery;
class TAggiornamento;

// The statement text of a query, one clause per line, run exactly as built.
class TRighe {
public:
    void Clear();
    void Add(const QString& riga);
    int Count() const { return righe_.size(); }
    const QString& operator[](int i) const { return righe_[i]; }
    const QStringList& Righe() const { return righe_; }
    // The lines joined, each followed by a line break.
    QString Text() const;
    unsigned Versione() const { return versione_; }

private:
    QStringList righe_;
    unsigned versione_ = 0;
};

// What a column holds, as datasets and grids see it. Decimale is an exact number with a
// scale (NUMERIC, DECIMAL), carried as its decimal text.
enum class TGenere { Testo, Memo, Binario, Intero, Decimale, Virgola, Data, Ora, DataOra, Logico };

// One column of the current row of an open query.
class TCampo {
public:
    const QString& FieldName() const { return nome_; }
    TGenere Genere() const;
    // Characters of a text column; 0 for the others.
    int Dimensione() const;
    // Bytes a number is stored in (2, 4, 8 for integers and exact numbers, 4 or 8 for
    // floating ones); 0 for the others.
    int Byte() const;
    // Decimals of an exact number (the 2 of NUMERIC(15,2)); 0 for the others.
    int Scala() const;
    // Digits an exact number's storage holds whole (4, 9, 18). The declared precision (the
    // 15 of NUMERIC(15,2)) is not in a statement's description: see fb/Metadati.h.
    int Precisione() const;
    // The table and column the value comes from; empty for an expression.
    const QString& Tabella() const { return tabella_; }
    const QString& Colonna() const { return colonna_; }
    // The value with the type of its kind: qint64, double, QString (texts, memos and
    // decimals), QByteArray, QDate, QTime, QDateTime or bool; an invalid QVariant for NULL.
    QVariant Valore() const;
    bool IsNull() const;
    // NULL reads as the empty text; dates as dd/MM/yyyy, times as hh:mm:ss.
    QString AsString() const;
    // NULL and the empty text read as 0; a text that is not a number raises ErroreConversione.
    int AsInteger() const;
    qint64 AsInt64() const;
    double AsFloat() const;
    QDate AsDate() const;
    QDateTime AsDateTime() const;
    // The bytes as stored (text and blobs), without any conversion.
    QByteArray AsBytes() const;

private:
    friend class TQuery;
    friend class TParametro;
    const unsigned char* Dati() const;

    const TQuery* query_ = nullptr;
    int indice_ = 0;
    QString nome_;
    QString tabella_;
    QString colonna_;
    unsigned tipo_ = 0;
    int sottotipo_ = 0;
    unsigned charset_ = 0;
    int scala_ = 0;
    unsigned offset_ = 0;
    unsigned offsetNull_ = 0;
    unsigned lunghezza_ = 0;
};

// Sees every statement a query sends to the engine, with the connection and transaction it
// runs in; for benchmarks and diagnosis. The values bound to its parameters are written in
// as literals, so the text runs as it stands. None is set by default, and then a run costs one pointer test more.
class RegistroIstruzioni {
public:
    virtual ~RegistroIstruzioni() = default;
    virtual void Istruzione(const TDatabase& database, const TTransazione& transazione,
                            const QString& testo) = 0;
};

// Process-wide; nullptr stops recording. Not thread-safe: set it while no query runs.
void ImpostaRegistroIstruzioni(RegistroIstruzioni* registro);

// A statement on a connection and a transaction. Open runs a select and keeps its rows;
// ExecSQL runs anything else. The transaction is started when it is not active.
// The statement may name parameters as ":NAME" (see SostituisciParametri); a statement
// without them is sent as it is.
class TQuery {
public:
    explicit TQuery(TDatabase* database = nullptr, TTransazione* transazione = nullptr);
    ~TQuery();
    TQuery(const TQuery&) = delete;
    TQuery& operator=(const TQuery&) = delete;

    TDatabase* Database;
    TTransazione* Transaction; // the database's default transaction when null
    TRighe SQL;

    void Open();
    void ExecSQL();
    void Close() noexcept;
    // Closes the query and makes these lines its statement.
    void ImpostaSQL(std::initializer_list<QString> righe);
    // The same, then opens it.
    void ApriSQL(std::initializer_list<QString> righe);
    bool Active() const { return attiva_; }
    // Drops the prepared statement; it is prepared again on the next run.
    void Unprepare() noexcept;

    void First();
    void Next();
    bool Eof() const { return eof_; }
    bool Bof() const { return posizione_ <= 0; }
    // Rows read so far; FetchAll reads the rest.
    int RecordCount() const { return numeroRighe_; }
    void FetchAll();
    int RecNo() const { return posizione_; }

    int FieldCount() const { return static_cast<int>(campi_.size()); }
    const TCampo& Fields(int indice) const;
    const TCampo& FieldByName(const QString& nome) const;
    const TCampo* FindField(const QString& nome) const;
    // The result columns in order, for grids.
    QStringList NomiCampi() const;

    // Reads every row, then lets go of the statement, its transaction and its connection:
    // the rows stay, whatever happens to them, until the query is closed or goes.
    void TieniRighe();
    // A column's value in any row read, without moving the current row for good.
    QVariant ValoreIn(int riga, int campo) const;

    // The statement with the values bound to its parameters written in as literals, as a
    // failed statement is saved; without parameters, the lines as they stand.
    QString TestoEseguito();

    // Rows changed by the last ExecSQL; -1 when the engine cannot tell.
    qint64 RowsAffected() const;

    // The parameters of the statement as it stands, one per name, NULL until set. A change of
    // the statement makes them again (keeping the values of names still there), so a
    // reference taken before the change must not be used after it.
    int ParamCount();
    TParametro& Params(int indice);
    // Names compare without regard to case; a name not in the statement raises EErroreDB.
    TParametro& ParamByName(const QString& nome);

    // The statements that write this query's rows back; null when none. Attaching detaches
    // the update object from any other query.
    void SetUpdateObject(TAggiornamento* aggiornamento);
    TAggiornamento* UpdateObject() const { return aggiornamento_; }

private:
    friend class TCampo;
    friend class TDatabase;
    friend class TTransazione;
    friend class TAggiornamento;

    TTransazione* TransazioneEffettiva() const;
    void Registra(const TTransazione& transazione) const;
    QString TestoConValori() const;
    // Lets go of the prepared statement and leaves the connection's list; rows stay.
    void LasciaIstruzione() noexcept;
    void LeggiParametri();
    // Prepares the statement whole or not at all: a failure anywhere leaves it unprepared.
    void Prepara(TTransazione* transazione);
    std::vector<TCampo> LeggiCampi(Firebird::IMessageMetadata* metadati) const;
    void CreaIngresso(TMessaggioIngresso& ingresso) const;
    // What both ways of running share: closed, prepared, registered, parameters bound.
    TTransazione* PreparaEsecuzione(TMessaggioIngresso& ingresso);
    // Runs the work; a lost connection it meets is told to the database before it travels on.
    template <typename Lavoro> void OsservandoLaConnessione(Lavoro lavoro);
    bool LeggiRiga();
    bool LeggiRiga(client::Stato& stato);
    QByteArray LeggiBlob(const unsigned char* id);
    void ChiudiCursore() noexcept;
    const unsigned char* RigaCorrente() const;

    client::Interfaccia<Firebird::IStatement> istruzione_;
    client::Interfaccia<Firebird::IMessageMetadata> metadati_;
    client::Interfaccia<Firebird::IMessageMetadata> metadatiIngresso_;
    client::Interfaccia<Firebird::IResultSet> cursore_;
    TDatabase* databasePreparato_ = nullptr;
    TTransazione* transazioneCursore_ = nullptr;
    unsigned generazionePreparata_ = 0;
    unsigned versionePreparata_ = 0;
    unsigned tipoIstruzione_ = 0;
    unsigned lunghezzaMessaggio_ = 0;

    // The statement with its markers as "?", for the SQL version it was read from.
    QString testoEseguibile_;
    unsigned versioneParametri_ = 0;
    std::vector<TParametro> parametri_;
    // For each "?", in order, its parameter in parametri_.
    std::vector<size_t> segnaposti_;
    TAggiornamento* aggiornamento_ = nullptr;

    std::vector<TCampo> campi_;
    // Every row read, one after the other, each as long as the output message.
    std::vector<unsigned char> righe_;
    int numeroRighe_ = 0;
    // Blob contents are read at fetch time, while the transaction lives.
    std::vector<std::vector<QByteArray>> blobRighe_;
    std::vector<int> colonneBlob_;
    std::vector<unsigned char> bufferFetch_;
    mutable int posizione_ = 0;
    bool attiva_ = false;
    bool eof_ = true;
    bool fineCursore_ = true;
    mutable qint64 righeToccate_ = 0;
    mutable bool contaDaLeggere_ = false;
};

} // namespace fb
