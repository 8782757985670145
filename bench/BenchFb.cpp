// Prints how much time our Firebird layer adds over the bare client interface, running the
// same mix of literal statements through both, embedded and (when QUENDRA_SERVER is set)
// through the loopback server.

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <firebird/Interface.h>
#include <ibase.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Orologio = std::chrono::steady_clock;

constexpr char Password[] = "quillpond";
constexpr int RigheTabella = 10000;

// The three kinds of statement, run in rotation.
enum Tipo { Selezione, Inserimento, Generatore, NumeroTipi };
constexpr std::array<const char*, NumeroTipi> NomiTipi = {"select by key", "insert", "generator"};

Tipo TipoDi(int i) { return static_cast<Tipo>(i % NumeroTipi); }

// Keys spread over the whole table so the lookups do not hit one page only.
int ChiaveSelezione(int i) { return (i * 7919) % RigheTabella + 1; }

// Every run inserts into its own band of keys, all of one width, so both paths build texts
// of the same length and no run meets another's rows.
int ChiaveInserimento(int run, int i) { return 1000000 + run * 10000 + i; }

struct Misura {
    double totaleMs = 0;     // the whole run: start, statements, commit
    double istruzioniMs = 0; // the statements alone
    std::array<double, NumeroTipi> perTipoMs{};
    // Printed at the end, so the reads cannot be dropped and both paths are seen to read alike.
    std::size_t caratteriLetti = 0;
};

double Ms(Orologio::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// ---- our layer -------------------------------------------------------------------------

// With queryNuova each statement gets its own TQuery, released when the statement is done;
// otherwise one TQuery is reused, and each statement releases the previous one's handle.
Misura EseguiNostro(fb::TDatabase& db, int run, int istruzioni, bool queryNuova) {
    Misura m;
    const auto inizio = Orologio::now();
    fb::TTransazione tr(&db);
    tr.Params = {QStringLiteral("isc_tpb_concurrency"), QStringLiteral("isc_tpb_nowait")};
    tr.StartTransaction();
    std::unique_ptr<fb::TQuery> riusata = std::make_unique<fb::TQuery>(&db, &tr);
    for (int i = 0; i < istruzioni; ++i) {
        const Tipo tipo = TipoDi(i);
        const auto t0 = Orologio::now();
        {
            std::unique_ptr<fb::TQuery> nuova;
            if (queryNuova)
                nuova = std::make_unique<fb::TQuery>(&db, &tr);
            fb::TQuery& q = queryNuova ? *nuova : *riusata;
            q.SQL.Clear();
            switch (tipo) {
            case Selezione:
                q.SQL.Add(QStringLiteral("SELECT ID, NOME, VALORE FROM B WHERE ID='") +
                          QString::number(ChiaveSelezione(i)) + QLatin1Char('\''));
                q.Open();
                while (!q.Eof()) {
                    m.caratteriLetti += q.FieldByName(QStringLiteral("ID")).AsString().size();
                    m.caratteriLetti += q.FieldByName(QStringLiteral("NOME")).AsString().size();
                    m.caratteriLetti += q.FieldByName(QStringLiteral("VALORE")).AsString().size();
                    q.Next();
                }
                q.Close();
                break;
            case Inserimento: {
                const QString n = QString::number(ChiaveInserimento(run, i));
                q.SQL.Add(QStringLiteral("INSERT INTO I (ID, NOME) VALUES ('") + n +
                          QStringLiteral("', 'name ") + n + QStringLiteral("')"));
                q.ExecSQL();
                break;
            }
            case Generatore:
                q.SQL.Add(QStringLiteral("SELECT GEN_ID(G,1) FROM RDB$DATABASE"));
                q.Open();
                while (!q.Eof()) {
                    m.caratteriLetti += q.FieldByName(QStringLiteral("GEN_ID")).AsString().size();
                    q.Next();
                }
                q.Close();
                break;
            default:
                break;
            }
        }
        const double ms = Ms(Orologio::now() - t0);
        m.perTipoMs[tipo] += ms;
        m.istruzioniMs += ms;
    }
    riusata.reset();
    tr.Commit();
    m.totaleMs = Ms(Orologio::now() - inizio);
    return m;
}

// ---- the bare client -------------------------------------------------------------------

class Nudo {
public:
    Nudo()
        : master_(Firebird::fb_get_master_interface()), util_(master_->getUtilInterface()),
          provider_(master_->getDispatcher()), status_(master_->getStatus()), st_(status_) {}

    ~Nudo() {
        Stacca();
        provider_->release();
        status_->dispose();
    }

    void Attacca(const std::string& nome) {
        Firebird::IXpbBuilder* dpb =
            util_->getXpbBuilder(&st_, Firebird::IXpbBuilder::DPB, nullptr, 0);
        Verifica();
        dpb->insertString(&st_, isc_dpb_user_name, "SYSDBA");
        dpb->insertString(&st_, isc_dpb_password, Password);
        Verifica();
        attacco_ = provider_->attachDatabase(&st_, nome.c_str(), dpb->getBufferLength(&st_),
                                             dpb->getBuffer(&st_));
        dpb->dispose();
        Verifica();
    }

    void Stacca() {
        if (attacco_ == nullptr)
            return;
        attacco_->detach(&st_);
        if (st_.getState() & Firebird::IStatus::STATE_ERRORS)
            attacco_->release();
        st_.init();
        attacco_ = nullptr;
    }

    // contaRighe asks for the affected row count after each execute, as ExecSQL does.
    Misura Esegui(int run, int istruzioni, bool contaRighe) {
        Misura m;
        const auto inizio = Orologio::now();
        const unsigned char tpb[] = {isc_tpb_version3, isc_tpb_concurrency, isc_tpb_nowait};
        Firebird::ITransaction* tr = attacco_->startTransaction(&st_, sizeof tpb, tpb);
        Verifica();
        std::vector<unsigned char> buffer;
        for (int i = 0; i < istruzioni; ++i) {
            const Tipo tipo = TipoDi(i);
            const auto t0 = Orologio::now();
            std::string testo;
            switch (tipo) {
            case Selezione:
                testo = "SELECT ID, NOME, VALORE FROM B WHERE ID='" +
                        std::to_string(ChiaveSelezione(i)) + "'";
                m.caratteriLetti += Seleziona(tr, testo, buffer);
                break;
            case Inserimento: {
                const std::string n = std::to_string(ChiaveInserimento(run, i));
                testo = "INSERT INTO I (ID, NOME) VALUES ('" + n + "', 'name " + n + "')";
                Firebird::IStatement* s = Prepara(tr, testo);
                s->execute(&st_, tr, nullptr, nullptr, nullptr, nullptr);
                Verifica();
                if (contaRighe)
                    m.caratteriLetti += static_cast<std::size_t>(s->getAffectedRecords(&st_));
                Libera(s);
                break;
            }
            case Generatore:
                testo = "SELECT GEN_ID(G,1) FROM RDB$DATABASE";
                m.caratteriLetti += Seleziona(tr, testo, buffer);
                break;
            default:
                break;
            }
            const double ms = Ms(Orologio::now() - t0);
            m.perTipoMs[tipo] += ms;
            m.istruzioniMs += ms;
        }
        tr->commit(&st_);
        Verifica();
        m.totaleMs = Ms(Orologio::now() - inizio);
        return m;
    }

private:
    void Verifica() {
        if (!(st_.getState() & Firebird::IStatus::STATE_ERRORS))
            return;
        char testo[1024];
        util_->formatStatus(testo, sizeof testo, &st_);
        st_.init();
        throw std::runtime_error(testo);
    }

    Firebird::IStatement* Prepara(Firebird::ITransaction* tr, const std::string& testo) {
        Firebird::IStatement* s =
            attacco_->prepare(&st_, tr, static_cast<unsigned>(testo.size()), testo.c_str(), 3,
                              Firebird::IStatement::PREPARE_PREFETCH_METADATA);
        Verifica();
        return s;
    }

    void Libera(Firebird::IStatement* s) {
        s->free(&st_);
        if (st_.getState() & Firebird::IStatus::STATE_ERRORS) {
            st_.init();
            s->release();
        }
    }

    // Runs a select and reads every column of every row as text; returns the characters read.
    std::size_t Seleziona(Firebird::ITransaction* tr, const std::string& testo,
                          std::vector<unsigned char>& buffer) {
        Firebird::IStatement* s = Prepara(tr, testo);
        Firebird::IMessageMetadata* meta = s->getOutputMetadata(&st_);
        Verifica();
        buffer.resize(meta->getMessageLength(&st_));
        Firebird::IResultSet* rs = s->openCursor(&st_, tr, nullptr, nullptr, meta, 0);
        Verifica();
        const unsigned colonne = meta->getCount(&st_);
        std::size_t letti = 0;
        while (rs->fetchNext(&st_, buffer.data()) == Firebird::IStatus::RESULT_OK) {
            for (unsigned c = 0; c < colonne; ++c)
                letti += Testo(meta, c, buffer.data()).size();
        }
        Verifica();
        rs->close(&st_);
        Verifica();
        meta->release();
        Libera(s);
        return letti;
    }

    std::string Testo(Firebird::IMessageMetadata* meta, unsigned c, const unsigned char* riga) {
        short nullo;
        std::memcpy(&nullo, riga + meta->getNullOffset(&st_, c), sizeof nullo);
        if (nullo)
            return {};
        const unsigned char* p = riga + meta->getOffset(&st_, c);
        switch (meta->getType(&st_, c) & ~1u) {
        case SQL_VARYING: {
            unsigned short lunghezza;
            std::memcpy(&lunghezza, p, sizeof lunghezza);
            return std::string(reinterpret_cast<const char*>(p + 2), lunghezza);
        }
        case SQL_TEXT:
            return std::string(reinterpret_cast<const char*>(p), meta->getLength(&st_, c));
        case SQL_SHORT: {
            short v;
            std::memcpy(&v, p, sizeof v);
            return std::to_string(v);
        }
        case SQL_LONG: {
            ISC_LONG v;
            std::memcpy(&v, p, sizeof v);
            return std::to_string(v);
        }
        case SQL_INT64: {
            ISC_INT64 v;
            std::memcpy(&v, p, sizeof v);
            return std::to_string(v);
        }
        default:
            throw std::runtime_error("column type not handled by the benchmark");
        }
    }

    Firebird::IMaster* master_;
    Firebird::IUtil* util_;
    Firebird::IProvider* provider_;
    Firebird::IStatus* status_;
    Firebird::CheckStatusWrapper st_;
    Firebird::IAttachment* attacco_ = nullptr;
};

// ---- set-up ----------------------------------------------------------------------------

void Esegui(fb::TDatabase& db, fb::TTransazione& tr, const QString& testo) {
    fb::TQuery q(&db, &tr);
    q.SQL.Add(testo);
    q.ExecSQL();
}

void CreaDatabase(const QString& nome) {
    fb::TDatabase db;
    db.DatabaseName = nome;
    db.Params = {QStringLiteral("USER \"SYSDBA\""),
                 QStringLiteral("PASSWORD \"") + QLatin1String(Password) + QLatin1Char('"'),
                 QStringLiteral("PAGE_SIZE 4096")};
    db.SQLDialect = 3;
    db.CreateDatabase();
    fb::TTransazione tr(&db);
    Esegui(db, tr,
           QStringLiteral("CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), "
                          "VALORE INTEGER)"));
    Esegui(db, tr,
           QStringLiteral("CREATE TABLE I (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40))"));
    Esegui(db, tr, QStringLiteral("CREATE GENERATOR G"));
    tr.Commit();
    Esegui(db, tr,
           QStringLiteral("EXECUTE BLOCK AS DECLARE N INTEGER = 1; BEGIN "
                          "WHILE (N <= %1) DO BEGIN "
                          "INSERT INTO B (ID, NOME, VALORE) "
                          "VALUES (:N, 'name ' || :N, MOD(:N * 37, 1000)); "
                          "N = N + 1; END END")
               .arg(RigheTabella));
    tr.Commit();
    db.Close();
}

// ---- figures ---------------------------------------------------------------------------

double Mediana(std::vector<double> valori) {
    if (valori.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(valori.begin(), valori.end());
    const std::size_t n = valori.size();
    return n % 2 ? valori[n / 2] : (valori[n / 2 - 1] + valori[n / 2]) / 2;
}

struct Risultato {
    QString modo;
    int istruzioni = 0;
    std::vector<Misura> nudo, nostro;
};

void StampaIntestazione() {
    std::printf("%-9s %-16s %6s %10s %10s %9s\n", "mode", "what", "count", "bare ms", "ours ms",
                "ours/bare");
}

void StampaRiga(const QByteArray& modo, const char* cosa, int conta, double nudo, double nostro) {
    std::printf("%-9s %-16s %6d %10.2f %10.2f %9.3f\n", modo.constData(), cosa, conta, nudo, nostro,
                nostro / nudo);
}

template <typename Campo> double MedianaDi(const std::vector<Misura>& misure, Campo campo) {
    std::vector<double> valori;
    for (const Misura& m : misure)
        valori.push_back(campo(m));
    return Mediana(valori);
}

void Stampa(const Risultato& r) {
    const QByteArray modo = r.modo.toLatin1();
    auto riga = [&](const char* cosa, int conta, auto campo) {
        StampaRiga(modo, cosa, conta, MedianaDi(r.nudo, campo), MedianaDi(r.nostro, campo));
    };
    riga("statements", r.istruzioni, [](const Misura& m) { return m.istruzioniMs; });
    for (int k = 0; k < NumeroTipi; ++k) {
        int conta = 0;
        for (int i = 0; i < r.istruzioni; ++i)
            conta += TipoDi(i) == k;
        riga(NomiTipi[k], conta, [k](const Misura& m) { return m.perTipoMs[k]; });
    }
    riga("start+commit", 1, [](const Misura& m) { return m.totaleMs - m.istruzioniMs; });
    riga("whole run", r.istruzioni, [](const Misura& m) { return m.totaleMs; });
}

void StampaLetti(const Risultato& r) {
    auto letti = [](const std::vector<Misura>& v) {
        return v.empty() ? std::size_t{0} : v.back().caratteriLetti;
    };
    std::printf("%-9s text read in the last run: bare %zu characters, ours %zu\n",
                r.modo.toLatin1().constData(), letti(r.nudo), letti(r.nostro));
}

struct Opzioni {
    int giri = 5;
    int istruzioni = 1000;
    bool queryNuova = false;
    bool contaRighe = false;
    bool nostro = true;
    bool nudo = true;
};

// One mode: its own database file, a warm-up of each path, then the rounds, alternating which
// path goes first.
Risultato MisuraModo(const QString& modo, const QString& nomeDatabase, const Opzioni& o) {
    CreaDatabase(nomeDatabase);

    fb::TDatabase db;
    db.DatabaseName = nomeDatabase;
    db.Params = {QStringLiteral("user_name=SYSDBA"),
                 QStringLiteral("password=") + QLatin1String(Password)};
    db.Open();
    Nudo nudo;
    nudo.Attacca(nomeDatabase.toStdString());

    Risultato r;
    r.modo = modo;
    r.istruzioni = o.istruzioni;
    int run = 0;
    auto nostro = [&] {
        if (o.nostro)
            r.nostro.push_back(EseguiNostro(db, run, o.istruzioni, o.queryNuova));
        ++run;
    };
    auto bare = [&] {
        if (o.nudo)
            r.nudo.push_back(nudo.Esegui(run, o.istruzioni, o.contaRighe));
        ++run;
    };
    nostro();
    bare();
    r.nostro.clear();
    r.nudo.clear();
    for (int giro = 0; giro < o.giri; ++giro) {
        if (giro % 2 == 0) {
            nostro();
            bare();
        } else {
            bare();
            nostro();
        }
    }
    // Detached before the next mode opens its own file.
    nudo.Stacca();
    db.Close();
    return r;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Time of our Firebird layer against the bare client, same statements."));
    parser.addHelpOption();
    const QCommandLineOption dirOpt(
        QStringLiteral("dir"),
        QStringLiteral("Directory for the database files (default: a temporary one)."),
        QStringLiteral("path"));
    const QCommandLineOption giriOpt(QStringLiteral("rounds"),
                                     QStringLiteral("Measured rounds (default 5)."),
                                     QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption istrOpt(QStringLiteral("statements"),
                                     QStringLiteral("Statements per run (default 1000)."),
                                     QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption nuovaOpt(
        QStringLiteral("fresh-query"),
        QStringLiteral("Our path makes a TQuery per statement instead of reusing one."));
    const QCommandLineOption soloOpt(
        QStringLiteral("only"),
        QStringLiteral("Run only one path, \"ours\" or \"bare\", for profiling."),
        QStringLiteral("path"));
    const QCommandLineOption contaOpt(
        QStringLiteral("bare-row-count"),
        QStringLiteral("The bare path also asks for the affected row count after each execute."));
    parser.addOptions({dirOpt, giriOpt, istrOpt, nuovaOpt, soloOpt, contaOpt});
    parser.process(app);

    Opzioni o;
    o.giri = parser.value(giriOpt).toInt();
    o.istruzioni = parser.value(istrOpt).toInt();
    o.queryNuova = parser.isSet(nuovaOpt);
    o.contaRighe = parser.isSet(contaOpt);
    if (parser.isSet(soloOpt)) {
        o.nostro = parser.value(soloOpt) == QLatin1String("ours");
        o.nudo = parser.value(soloOpt) == QLatin1String("bare");
        if (!o.nostro && !o.nudo) {
            std::fprintf(stderr, "--only takes \"ours\" or \"bare\"\n");
            return 2;
        }
    }
    if (o.giri < 1 || o.istruzioni < 1 || o.istruzioni > 9999) {
        std::fprintf(stderr, "rounds must be >= 1 and statements between 1 and 9999\n");
        return 2;
    }

    QTemporaryDir temporanea;
    QString cartella;
    if (parser.isSet(dirOpt)) {
        cartella = QFileInfo(parser.value(dirOpt)).absoluteFilePath();
        if (!QDir().mkpath(cartella)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(cartella));
            return 2;
        }
    } else {
        if (!temporanea.isValid()) {
            std::fprintf(stderr, "cannot create a temporary directory\n");
            return 2;
        }
        cartella = temporanea.path();
    }
    // Never write over a file that is not ours.
    const QString fileEmbedded = cartella + QStringLiteral("/bench_embedded.fdb");
    const QString fileServer = cartella + QStringLiteral("/bench_server.fdb");
    for (const QString& f : {fileEmbedded, fileServer}) {
        if (QFileInfo::exists(f)) {
            std::fprintf(stderr, "%s already exists; remove it or choose another --dir\n",
                         qPrintable(f));
            return 2;
        }
    }

    const QString server = qEnvironmentVariable("QUENDRA_SERVER");
    std::printf("bench_fb: %d statements per run (select by key / insert / generator in rotation), "
                "median of %d rounds%s%s\n\n",
                o.istruzioni, o.giri, o.queryNuova ? ", ours with a TQuery per statement" : "",
                o.contaRighe ? ", bare asking the row count after execute" : "");

    std::vector<Risultato> risultati;
    int esito = 0;
    try {
        risultati.push_back(MisuraModo(QStringLiteral("embedded"), fileEmbedded, o));
        if (!server.isEmpty())
            risultati.push_back(
                MisuraModo(QStringLiteral("server"), server + QLatin1Char(':') + fileServer, o));
    } catch (const fb::EErroreDB& e) {
        std::fprintf(stderr, "database error: %s\n", qPrintable(e.Messaggio()));
        esito = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        esito = 1;
    }

    StampaIntestazione();
    for (const Risultato& r : risultati)
        Stampa(r);
    if (server.isEmpty())
        std::printf("server    skipped: set QUENDRA_SERVER=localhost to run through the "
                    "loopback server\n");
    std::printf("\n");
    for (const Risultato& r : risultati)
        StampaLetti(r);

    // Files in a directory the user gave are removed too: they are only scratch.
    if (parser.isSet(dirOpt)) {
        QFile::remove(fileEmbedded);
        QFile::remove(fileServer);
    }
    return esito;
}
