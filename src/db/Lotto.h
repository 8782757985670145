#pragma once

#include <QString>

#include <initializer_list>

namespace fb {
class TQuery;
class TTransazione;
} // namespace fb

// A batch of data-changing statements that stands or falls whole, in one transaction: each
// statement runs on the query while none has failed. The first failure saves the statement
// when the batch names an operation, restarts the transaction (rolling back every statement
// of the batch, and whatever else it held) and shows its error box; later statements are
// skipped. The caller ends a successful batch with Commit or CommitRetaining; a commit the
// engine refuses fails the batch the same way, as its last statement. A lost connection is
// not a failure of the batch: it travels on as the layer's exception (the server has dropped
// the transaction with everything in it).
class TLottoIstruzioni {
public:
    // With an operation, a failed statement goes to "Quendra.<operazione>.sql".
    TLottoIstruzioni(fb::TQuery& query, fb::TTransazione& transazione, QString operazione = {});

    // False once the batch has failed (this statement or an earlier one).
    bool Esegui(std::initializer_list<QString> righe, const QString& testoErrore);
    bool Riuscito() const { return riuscito_; }

    // Only while every statement succeeded; false when the batch failed, before or here.
    bool Commit();
    bool CommitRetaining();

private:
    template <typename Conclusione> bool Concludi(Conclusione conclusione);
    void Fallito(const QString& testoErrore);

    fb::TQuery& query_;
    fb::TTransazione& transazione_;
    QString operazione_;
    QString ultimoErrore_;
    bool riuscito_ = true;
};

// Makes the transaction inactive, then active: what it held is rolled back.
void RiavviaTransazione(fb::TTransazione& transazione);
