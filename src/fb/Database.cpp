#include "fb/Database.h"

#include "fb/Client.h"
#include "fb/Connettore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <ibase.h>

#include <QRegularExpression>

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

QByteArray TDatabase::CreaDpb(const QStringList& righe) {
    client::Stato stato;
    client::Interfaccia<Firebird::IXpbBuilder> dpb(
        client::Util()->getXpbBuilder(&stato, Firebird::IXpbBuilder::DPB, nullptr, 0));
    for (const QString& riga : righe) {
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

QStringList TDatabase::ParametriDaCreazione(const QStringList& clausole) {
    // USER 'x', PASSWORD "y", ROLE z, SET NAMES 'w'; the other clauses only shape the file.
    static const QRegularExpression clausola(
        QStringLiteral(R"((?<![\w$])(USER|PASSWORD|ROLE|SET\s+NAMES)\s+('(?:[^']|'')*'|"(?:[^"]|"")*"|[\w$]+))"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList parametri;
    auto trovate = clausola.globalMatch(clausole.join(QLatin1Char('\n')));
    while (trovate.hasNext()) {
        const QRegularExpressionMatch trovata = trovate.next();
        const QString nome = trovata.captured(1).toUpper().simplified();
        QString valore = trovata.captured(2);
        const QChar apice = valore.front();
        if (apice == u'\'' || apice == u'"')
            valore = valore.mid(1, valore.size() - 2).replace(QString(2, apice), QString(apice));
        const char* chiave = nome == u"USER"       ? "user_name"
                             : nome == u"PASSWORD" ? "password"
                             : nome == u"ROLE"     ? "sql_role_name"
                                                   : "lc_ctype";
        parametri.append(QLatin1String(chiave) + QLatin1Char('=') + valore);
    }
    return parametri;
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
    const QByteArray dpb = CreaDpb(Params);
    Attacca(ConnettoreCorrente().Attacca(DatabaseName, dpb));
    dpbAttacco_ = dpb;
}

void TDatabase::CreateDatabase() {
    Close();
    QString istruzione =
        QStringLiteral("CREATE DATABASE '") + QString(DatabaseName).replace(QLatin1Char('\''), QStringLiteral("''")) +
        QStringLiteral("' ");
    for (const QString& riga : Params)
        istruzione += riga + QLatin1Char('\n');
    // Params hold the creation's clauses, which no attach takes: after a lost connection the
    // same user attaches again with this block.
    const QByteArray dpb = CreaDpb(ParametriDaCreazione(Params));
    Attacca(ConnettoreCorrente().Crea(DatabaseName, istruzione, SQLDialect));
    dpbAttacco_ = dpb;
}

void TDatabase::RiattaccaSePersa() {
    if (!persa_)
        return;
    Stacca();
    // Until an attach succeeds, every use tries again.
    persa_ = true;
    Attacca(ConnettoreCorrente().Attacca(DatabaseName, dpbAttacco_));
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
