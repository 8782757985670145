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

TDatabase::TDatabase() = default;

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
    client::Interfaccia<Firebird::IXpbBuilder> dpb(
        client::Util()->getXpbBuilder(&stato, Firebird::IXpbBuilder::DPB, nullptr, 0));
    for (const QString& riga : Params) {
        const int uguale = riga.indexOf(QLatin1Char('='));
        const QString nome = (uguale < 0 ? riga : riga.left(uguale)).trimmed();
        const QByteArray valore = client::Codifica(uguale < 0 ? QString() : riga.mid(uguale + 1));
        const auto trovato = std::find_if(std::begin(parametriDpb), std::end(parametriDpb),
                                          [&](const ParametroDpb& p) {
                                              return nome.compare(QLatin1String(p.nome),
                                                                  Qt::CaseInsensitive) == 0;
                                          });
        if (trovato == std::end(parametriDpb))
            throw EErroreDB(QStringLiteral("Unknown connection parameter: ") + riga);
        if (trovato->tag == isc_dpb_connect_timeout)
            dpb->insertInt(&stato, trovato->tag, valore.toInt());
        else
            dpb->insertString(&stato, trovato->tag, valore.constData());
    }
    const unsigned lunghezza = dpb->getBufferLength(&stato);
    const unsigned char* buffer = dpb->getBuffer(&stato);
    return QByteArray(reinterpret_cast<const char*>(buffer), static_cast<int>(lunghezza));
}

void TDatabase::Attacca(Firebird::IAttachment* attacco) {
    attacco_ = client::Interfaccia<Firebird::IAttachment>(attacco);
    ++generazione_;
    persa_ = false;
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

void TDatabase::RiattaccaSePersa() {
    if (!persa_)
        return;
    Stacca();
    // Until an attach succeeds, every use tries again.
    persa_ = true;
    Open();
}

void TDatabase::Osserva(const EErroreDB& errore) noexcept {
    if (Connected() && errore.ConnessionePersa())
        persa_ = true;
}

TQuery& TDatabase::Preparata(const QStringList& righe, TTransazione* transazione) {
    std::unique_ptr<TQuery>& query = preparate_[righe.join(QLatin1Char('\n'))];
    if (!query) {
        query = std::make_unique<TQuery>(this);
        for (const QString& riga : righe)
            query->SQL.Add(riga);
    }
    query->Close();
    query->Transaction = transazione;
    return *query;
}

TTransazione& TDatabase::TransazioneLettura() {
    if (!lettura_) {
        lettura_ = std::make_unique<TTransazione>(this);
        lettura_->Params = {QStringLiteral("isc_tpb_read_committed"), QStringLiteral("isc_tpb_rec_version"),
                            QStringLiteral("isc_tpb_read"), QStringLiteral("isc_tpb_nowait")};
    }
    return *lettura_;
}

void TDatabase::Close() noexcept {
    if (Connected())
        ++epoca_;
    Stacca();
}

void TDatabase::Stacca() noexcept {
    persa_ = false;
    if (!Connected())
        return;
    while (!query_.empty()) {
        TQuery* q = query_.back();
        query_.pop_back();
        q->Unprepare();
    }
    while (!transazioni_.empty()) {
        TTransazione* t = transazioni_.back();
        transazioni_.pop_back();
        t->Termina();
    }
    attacco_.Azzera();
}

} // namespace fb
