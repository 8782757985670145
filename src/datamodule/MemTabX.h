#pragma once

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

// One named value of the in-memory parameter table; empty fields are std::nullopt.
struct RigaMemTabX {
    int Codice = 0;
    QString Tipo;
    QString Nome;
    std::optional<qint64> Numero;
    QString Testo;
    std::optional<QDate> Data;
    QString Memo;
    std::optional<qint16> Livello1;
    std::optional<qint16> Livello2;
    std::optional<qint16> Utente;
};

// A small dictionary of named values kept for the whole run and never written to disk.
// Kind and name are cut to their widths; a text value is kept whole (it may be a path).
// Every value comes in as text and is converted by the field's type; a text that does
// not convert raises piattaforma::ErroreConversione and leaves the table as it was.
class TMemTabX {
public:
    static constexpr int LarghezzaTipo = 10;
    static constexpr int LarghezzaNome = 64;

    void Open();
    // Like any in-memory dataset, closing discards the rows.
    void Close();
    bool Active() const;
    int RecordCount() const;

    const RigaMemTabX& Riga(int indice) const;
    // -1 when there is no current row.
    int RigaCorrente() const;

    // Overwrites the row with the same Tipo, Nome and Utente or adds a new one; the row
    // becomes the current one. Dates are "dd/MM/yyyy".
    void Inserisci(const QString& tipo, const QString& nome, const QString& numero,
                   const QString& testo, const QString& data, const QString& memo,
                   const QString& livello1, const QString& livello2, const QString& utente);

    // Empty text when no row has that name.
    QString GetV(const QString& nome);
    QString GetM(const QString& nome);
    // False, and nothing added, when no row has that name.
    bool SetV(const QString& nome, const QString& valore);
    // A row has that name (found as GetV finds it).
    bool EsisteNome(const QString& nome);
    // The first row of that kind and name, whatever its user: each of the four values that is
    // not empty replaces the row's; when all four are empty, all four are emptied. Levels and
    // user stay. False, and nothing changed, when there is no such row.
    bool AggiornaValori(const QString& tipo, const QString& nome, const QString& numero,
                        const QString& testo, const QString& data, const QString& memo);
    bool SetM(const QString& nome, const QString& valore);

private:
    template <typename Condizione> std::optional<int> Trova(Condizione condizione);
    std::optional<int> TrovaNome(const QString& nome);

    std::vector<RigaMemTabX> righe_;
    int corrente_ = -1;
    int ultimoCodice_ = 0;
    bool attiva_ = false;
};
