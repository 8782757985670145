#include "fb/Database.h"

#include "fb/Client.h"
#include "fb/Connettore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <ibase.h>

#include <algorithm>

namespace fb {

namespace {

struct ParametroDpb {
    const char* nome;
    unsigned char tag;
};

constexpr ParametroDpb parametriDpb[] = {
    {"user_name", isc_dpb_user_name},     {"user", isc_dpb_user_name},
    {"password", isc_dpb_password},       {"lc_ctype", isc_dpb_lc_ctype},
    {"sql_role_name", isc_dpb_sql_role_name}, {"connect_timeout", isc_dpb_connect_timeout},
};

} // namespace

TDatabase::~TDatabase() {
    Close();
}

void TDatabase::SetDefaultTransaction(TTransazione* transazione) {
    transazionePredefinita_ = transazione;
    if (transazione && transazione->DefaultDatabase == nullptr)
        transazione->DefaultDatabase = this;
}

QByteArray TDatabase::CreaDpb() const {
    client::Stato stato;
    Firebird::IXpbBuilder* dpb =
        client::Util()->getXpbBuilder(&stato, Firebird::IXpbBuilder::DPB, nullptr, 0);
    stato.Verifica();
    for (const QString& riga : Params) {
        const int uguale = riga.indexOf(QLatin1Char('='));
        const QString nome = (uguale < 0 ? riga : riga.left(uguale)).trimmed();
        const QByteArray valore = client::Codifica(uguale < 0 ? QString() : riga.mid(uguale + 1));
        const auto trovato = std::find_if(std::begin(parametriDpb), std::end(parametriDpb),
                                          [&](const ParametroDpb& p) {
                                              return nome.compare(QLatin1String(p.nome),
                                                                  Qt::CaseInsensitive) == 0;
                                          });
        if (trovato == std::end(parametriDpb)) {
            dpb->dispose();
            throw EErroreDB(QStringLiteral("Unknown connection parameter: ") + riga);
        }
        if (trovato->tag == isc_dpb_connect_timeout)
            dpb->insertInt(&stato, trovato->tag, valore.toInt());
        else
            dpb->insertString(&stato, trovato->tag, valore.constData());
    }
    const QByteArray blocco(reinterpret_cast<const char*>(dpb->getBuffer(&stato)),
                            static_cast<int>(dpb->getBufferLength(&stato)));
    dpb->dispose();
    return blocco;
}

void TDatabase::Attacca(Firebird::IAttachment* attacco) {
    attacco_ = attacco;
    ++generazione_;
}

void TDatabase::Open() {
    if (Connected())
        return;
    if (DatabaseName.isEmpty())
        throw EErroreDB(QStringLiteral("Database name is missing"));
    Attacca(ConnettoreCorrente().Attacca(DatabaseName, CreaDpb()));
}

void TDatabase::CreateDatabase() {
    Close();
    QString istruzione =
        QStringLiteral("CREATE DATABASE '") + QString(DatabaseName).replace(QLatin1Char('\''), QStringLiteral("''")) +
        QStringLiteral("' ");
    for (const QString& riga : Params)
        istruzione += riga + QLatin1Char('\n');
    Attacca(ConnettoreCorrente().Crea(DatabaseName, istruzione, SQLDialect));
}

void TDatabase::Close() {
    if (!Connected())
        return;
    // Copies: ending them takes them off these lists.
    for (TQuery* q : std::vector<TQuery*>(query_))
        q->Unprepare();
    for (TTransazione* t : std::vector<TTransazione*>(transazioni_))
        t->Termina(false);
    client::Stato stato;
    attacco_->detach(&stato);
    if (stato.Fallito())
        attacco_->release();
    attacco_ = nullptr;
}

} // namespace fb
