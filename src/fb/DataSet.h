#pragma once

// Editable datasets: the rows of a table or of a select kept in memory, with a current row,
// edited one row at a time. Posting a row writes it at once in the dataset's transaction,
// so a change stays there until that transaction is committed or rolled back.

#include "../fb/Aggiornamento.h"
#include "../fb/Query.h"

#include <QString>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace fb {

class TDatabase;
class TTransazione;
class TDataSet;

// A value as a dataset keeps it, as text: NULL empty, dates dd/MM/yyyy, times hh:mm:ss.
QString TestoValore(const QVariant& valore);

struct TDefinizioneCampo {
    QString Nome;
    TGenere Genere = TGenere::Testo;
    int Dimensione = 0;
    // Numbers, as the column's TCampo gives them (Byte, Scala, Precisione); 0 where unknown.
    int Byte = 0;
    int Scala = 0;
    int Precisione = 0;
    // Where the values come from; empty for an expression.
    QString Tabella{};
    QString Colonna{};
};

// One column of the current row; during an edit it reads and writes the row being edited.
class TCampoDataSet {
public:
    const QString& FieldName() const;
    TGenere Genere() const;
    bool IsNull() const { return !Value().isValid(); }
    QVariant Value() const;
    // As a query's column reads: NULL as the empty text, dates dd/MM/yyyy.
    QString AsString() const;
    int AsInteger() const;
    qint64 AsInt64() const;
    double AsFloat() const;
    QDate AsDate() const;

    // The dataset must be in edit or insert mode. A value is converted to the column's
    // kind (texts as the program writes them: dd/MM/yyyy, "," or "." for decimals); one that
    // does not convert raises piattaforma::ErroreConversione and changes nothing. The empty
    // text is NULL.
    void SetValue(const QVariant& valore);
    void SetAsString(const QString& valore) { SetValue(valore); }
    void SetAsInteger(qint64 valore) { SetValue(QVariant::fromValue(valore)); }
    void Clear() { SetValue(QVariant()); }

private:
    friend class TDataSet;
    TDataSet* dataset_ = nullptr;
    int indice_ = 0;
};

// A position that survives a re-read: the row's key (the first column) and its number.
struct TBookmark {
    QVariant Chiave;
    int Riga = -1;
    bool Valido() const { return Riga >= 0; }
};

// Told what happened to a dataset's rows, for grids.
class TOsservatoreDataSet {
public:
    virtual ~TOsservatoreDataSet() = default;
    // Opened, closed or re-read: everything may have changed.
    virtual void DataSetRiletto() = 0;
    virtual void RigaCambiata(int riga) = 0;
    virtual void RigaAggiunta(int riga) = 0;
    virtual void RigaTolta(int riga) = 0;
    virtual void PosizioneCambiata(int riga) = 0;
};

class TDataSet {
public:
    enum Stato { Inattivo, Consultazione, Modifica, Inserimento };

    explicit TDataSet(TDatabase* database = nullptr, TTransazione* transazione = nullptr);
    virtual ~TDataSet();
    TDataSet(const TDataSet&) = delete;
    TDataSet& operator=(const TDataSet&) = delete;

    // "TIBTable", "TIBQuery" or the class of another dataset: the services tell them apart
    // by it.
    virtual QString ClassName() const = 0;

    TDatabase* Database;
    TTransazione* Transaction; // the database's default transaction when null
    // The transaction the dataset reads and writes in; null for a dataset without database.
    TTransazione* TransazioneEffettiva() const;

    // Called before a row enters edit mode; raising piattaforma::EAbort refuses it silently,
    // any other exception refuses it and travels on.
    std::function<void(TDataSet&)> BeforeEdit;

    void Open();
    // Discards an edit in progress.
    void Close();
    bool Active() const { return stato_ != Inattivo; }
    Stato State() const { return stato_; }

    void First();
    void Last();
    void Next();
    void Prior();
    // Posts an edit in progress first, as moving does.
    void MoveTo(int riga);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return righe_.empty(); }
    int RecordCount() const { return static_cast<int>(righe_.size()); }
    // The current row, from 0; -1 when there is none.
    int RecNo() const { return corrente_; }

    const std::vector<TDefinizioneCampo>& FieldDefs() const { return definizioni_; }
    int FieldCount() const { return static_cast<int>(definizioni_.size()); }
    TCampoDataSet& Fields(int indice);
    TCampoDataSet& FieldByName(const QString& nome);
    TCampoDataSet* FindField(const QString& nome);
    int IndiceCampo(const QString& nome) const;
    // Any row's value, as stored (the row being edited shows its new values).
    QVariant Valore(int riga, int campo) const;

    void Edit();
    // A new row at the end, every column NULL, which becomes the current one.
    void Append();
    // A text the database cannot hold (see fb/TestoArchivio.h) raises EErroreDB naming its
    // column before anything is written; the edit stays, to be corrected or cancelled.
    void Post();
    void Cancel();
    // Deletes the current row in the database and from the rows.
    void Delete();
    // True for a row in edit or insert mode whose values were set.
    bool Modified() const { return modificato_; }

    // The keys of the rows this dataset changed (edit started, posted, deleted) in work its
    // transaction lost without a commit: the connection died or was closed under it. Such
    // an edit is never written again: posting it is refused. Empty when nothing was lost.
    QList<QVariant> ModifichePerse() const;
    // After the loss was told and the rows read again.
    void DimenticaModifiche();
    // The current row was added in the work still pending and holds nothing but its key.
    bool RigaNuovaVuota() const;

    // Goes to the first row whose column equals the value; false, staying put, when none.
    bool Locate(const QString& campo, const QVariant& valore);
    TBookmark GetBookmark() const;
    // Goes back to the row of the bookmark, found by its key; raises EErroreDB when it is
    // not there any more.
    void GotoBookmark(const TBookmark& segnalibro);

    void AggiungiOsservatore(TOsservatoreDataSet* osservatore);
    void TogliOsservatore(TOsservatoreDataSet* osservatore);

protected:
    using Riga = std::vector<QVariant>;

    // The select whose rows the dataset shows, opened; null for a dataset that keeps its own
    // rows (LeggiRighe). Its rows are decoded only when a value is asked for.
    virtual std::unique_ptr<TQuery> ApriLettura() { return nullptr; }
    // Every row with its column definitions, for a dataset without a select.
    virtual void LeggiRighe(std::vector<TDefinizioneCampo>& /*definizioni*/, std::vector<Riga>& /*righe*/) {}
    // Writes a row changed (Modifica, with its old values) or added (Inserimento).
    virtual void ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) = 0;
    virtual void CancellaRiga(const Riga& vecchia) = 0;
    // For read-only datasets: raises when the rows cannot be written back.
    virtual void VerificaModificabile() const {}
    // Told just before the dataset closes; RigheAttuali still holds the rows.
    virtual void Chiusura() {}
    std::vector<Riga> RigheAttuali() const;
    // Gives each parameter of a writing statement its value: ":NAME" the new value of the
    // column NAME, ":OLD_NAME" its old value.
    void AssegnaParametro(TParametro& parametro, const Riga& vecchia, const Riga& nuova) const;
    // Sets a statement parameter to a value as the dataset keeps it.
    static void AssegnaValore(TParametro& parametro, const QVariant& valore);

private:
    friend class TCampoDataSet;

    void RichiediAttivo() const;
    void RichiediModifica() const;
    // Posts an edit in progress, as moving away from the row does.
    void VerificaConsultazione();
    void Posiziona(int riga);
    void Avvisa(const std::function<void(TOsservatoreDataSet&)>& avviso);
    void ImpostaCampo(int indice, const QVariant& valore);
    // The row's values, decoded from the select the first time they are wanted whole.
    Riga& Valori(int riga);
    // A dataset belongs to the connection it was first opened on as it was then: once the
    // program has closed that connection (another company, another user) it neither reads
    // nor writes again.
    void VerificaLegame() const;
    void Lega();
    // Notes a change of the row with that key in the transaction's current work.
    void RegistraModifica(const QVariant& chiave, bool inserita = false);
    bool LavoroPerso() const;

    // A row of the select (Letta, its number there, while Valori is empty) or one of the
    // dataset's own (Valori).
    struct RigaDati {
        int Letta = -1;
        Riga Valori;
    };

    std::vector<TDefinizioneCampo> definizioni_;
    std::vector<TCampoDataSet> campi_;
    std::unique_ptr<TQuery> lette_;
    std::vector<RigaDati> righe_;
    Riga originale_; // the row as it was before the edit
    int corrente_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    bool modificato_ = false;
    Stato stato_ = Inattivo;
    std::vector<TOsservatoreDataSet*> osservatori_;

    TDatabase* databaseLegato_ = nullptr;
    quint64 epocaLegata_ = 0;
    // The work not yet committed: in which transaction and generation it began, the rows it
    // touched, the rows it added; and the rows of earlier work that was lost.
    struct Lavoro {
        TTransazione* Transazione = nullptr;
        quint64 Generazione = 0;
        QList<QVariant> Chiavi;
        QList<QVariant> Inserite;
    };
    Lavoro lavoro_;
    QList<QVariant> perse_;
    quint64 generazioneModifica_ = 0; // of the edit in progress: where its lock was taken
};

// The table kind: every row of one table, in the order of an index (the first column when
// none is set). The key is the first column; rows are written back by that key.
class TIBTable : public TDataSet {
public:
    using TDataSet::TDataSet;
    QString ClassName() const override { return QStringLiteral("TIBTable"); }

    QString TableName;
    // Orders the rows; empty for the first column's order.
    QString IndexName;

    struct TIndice {
        QString Nome;
        QStringList Campi;
    };
    // The table's indexes as the database describes them, the primary key's first.
    std::vector<TIndice> IndexDefs();
    // Deletes every row of the table in the dataset's transaction; the dataset must be closed.
    void EmptyTable();

protected:
    std::unique_ptr<TQuery> ApriLettura() override;
    void ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) override;
    void CancellaRiga(const Riga& vecchia) override;

private:
    void PreparaScritture();
    QString Tabella() const;
    // Kinds whose value reads back exactly as stored, so a write can check it is unchanged.
    static bool Confrontabile(TGenere genere);

    TAggiornamento scritture_;
    QString tabellaScritture_;
    std::vector<TIndice> indici_;
    QString tabellaIndici_;
    TDatabase* databaseIndici_ = nullptr;
};

// The query kind: the rows of any select. Changes are written through the update object's
// statements (ModifySQL, InsertSQL, DeleteSQL), whose parameters name the columns: ":NAME"
// for the new value, ":OLD_NAME" for the old one. Without an update object it is read-only.
class TIBQuery : public TDataSet {
public:
    using TDataSet::TDataSet;
    QString ClassName() const override { return QStringLiteral("TIBQuery"); }

    TRighe SQL;
    TAggiornamento* UpdateObject = nullptr;

protected:
    std::unique_ptr<TQuery> ApriLettura() override;
    void ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) override;
    void CancellaRiga(const Riga& vecchia) override;
    void VerificaModificabile() const override;

private:
    void Esegui(const TRighe& istruzione, const Riga& vecchia, const Riga& nuova);
};

// Rows kept in memory only, with the columns it is given; nothing is written anywhere.
class TDataSetMemoria : public TDataSet {
public:
    explicit TDataSetMemoria(std::vector<TDefinizioneCampo> definizioni = {});
    QString ClassName() const override { return QStringLiteral("TDataSetMemoria"); }

protected:
    void LeggiRighe(std::vector<TDefinizioneCampo>& definizioni, std::vector<Riga>& righe) override;
    void ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) override;
    void CancellaRiga(const Riga& vecchia) override;
    void Chiusura() override;

private:
    std::vector<TDefinizioneCampo> colonne_;
    std::vector<Riga> conservate_;
};

} // namespace fb
