#include "db/DumpIstruzione.h"
#include "fb/Query.h"
#include "fixture/DatabaseDiProva.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <optional>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// The dump of a failed change of company: two lines, one with a character of the code page.
const QByteArray Contenuto = QByteArray("UPDATE UTENTI SET DITTA='Caff\xE8 Rossi'\nWHERE CODICE='3'\n");

fb::TRighe Istruzione() {
    fb::TRighe righe;
    righe.Add(QString::fromUtf8("UPDATE UTENTI SET DITTA='Caffè Rossi'"));
    righe.Add(QStringLiteral("WHERE CODICE='3'"));
    return righe;
}

QByteArray Leggi(const QString& percorso) {
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// File names reach the system in UTF-8, whatever the locale says.
std::optional<struct stat> Stato(const QString& percorso) {
    struct stat informazioni;
    if (::lstat(percorso.toUtf8().constData(), &informazioni) != 0)
        return std::nullopt;
    return informazioni;
}

// The test works in a directory of its own, with a state directory of its own; the current
// directory, the environment and the umask are given back after.
class DumpIstruzione : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(dir.File("lavoro")));
        ASSERT_TRUE(QDir::setCurrent(dir.File("lavoro")));
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.File("stato")));
    }
    void TearDown() override {
        QDir::setCurrent(correnteIniziale);
        ::umask(umaskIniziale);
        Ripristina("XDG_STATE_HOME", statoIniziale);
        Ripristina("HOME", casaIniziale);
    }
    static void Ripristina(const char* variabile, const std::optional<QByteArray>& valore) {
        if (valore)
            qputenv(variabile, *valore);
        else
            qunsetenv(variabile);
    }
    static std::optional<QByteArray> Variabile(const char* nome) {
        return qEnvironmentVariableIsSet(nome) ? std::optional(qgetenv(nome)) : std::nullopt;
    }

    QString Lavoro(const QString& nome) const { return dir.File("lavoro/" + nome); }

    prova::CartellaProva dir;
    const QString correnteIniziale = QDir::currentPath();
    const mode_t umaskIniziale = [] {
        const mode_t attuale = ::umask(022);
        ::umask(attuale);
        return attuale;
    }();
    const std::optional<QByteArray> statoIniziale = Variabile("XDG_STATE_HOME");
    const std::optional<QByteArray> casaIniziale = Variabile("HOME");
};

struct Preesistente {
    const char* caso;
    std::function<void(const QString& nome, const QString& altrove)> prepara;
};

TEST_F(DumpIstruzione, ReplacesWhatHoldsTheNameWithAFileOnlyItsOwnerReadsAndNeverFollowsALink) {
    const QString nome = Lavoro("Quendra.CambioDitta.sql");
    const auto collega = [](const QString& bersaglio, const QString& link) {
        ASSERT_EQ(::symlink(QFile::encodeName(bersaglio).constData(), QFile::encodeName(link).constData()), 0);
    };
    const auto scrivi = [](const QString& percorso, const QByteArray& testo) {
        QFile file(percorso);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(testo);
    };
    const Preesistente casi[] = {
        {"no earlier file", [](const QString&, const QString&) {}},
        {"an earlier dump readable by all",
         [&](const QString& n, const QString&) {
             scrivi(n, "vecchio\n");
             ::chmod(QFile::encodeName(n).constData(), 0644);
         }},
        {"a link to another file", [&](const QString& n, const QString& altrove) {
             scrivi(altrove, "da non toccare\n");
             collega(altrove, n);
         }},
        {"a link to a file not there", [&](const QString& n, const QString& altrove) { collega(altrove, n); }},
        {"a link to a link to another file", [&](const QString& n, const QString& altrove) {
             scrivi(altrove, "da non toccare\n");
             collega(altrove, n + ".intermedio");
             collega(n + ".intermedio", n);
         }},
    };
    // Whatever the umask takes away or leaves, the dump is the owner's alone.
    for (const mode_t umask : {mode_t{0}, mode_t{022}, mode_t{077}, mode_t{0277}}) {
        for (const Preesistente& caso : casi) {
            SCOPED_TRACE(QStringLiteral("%1, umask %2").arg(caso.caso).arg(umask, 4, 8, QLatin1Char('0')).toStdString());
            const QString altrove = dir.File("altrove.sql");
            QFile::remove(nome);
            QFile::remove(nome + ".intermedio");
            QFile::remove(altrove);
            caso.prepara(nome, altrove);
            const QByteArray primaAltrove = QFile::exists(altrove) ? Leggi(altrove) : QByteArray("<none>");
            ::umask(umask);

            SalvaIstruzione(QStringLiteral("CambioDitta"), Istruzione());

            ::umask(022);
            const auto scritto = Stato(nome);
            ASSERT_TRUE(scritto.has_value());
            EXPECT_TRUE(S_ISREG(scritto->st_mode)) << "a regular file, not the link";
            EXPECT_EQ(scritto->st_mode & 07777, 0600u);
            EXPECT_EQ(Leggi(nome), Contenuto);
            EXPECT_EQ(QFile::exists(altrove) ? Leggi(altrove) : QByteArray("<none>"), primaAltrove)
                << "what a link pointed at stays as it was";
            EXPECT_TRUE(QDir(dir.File("lavoro")).entryList({".*"}, QDir::Files | QDir::Hidden | QDir::System).isEmpty())
                << "nothing left over beside it";
        }
    }
}

// A directory that takes no new file from this process: immutable when running as root (who
// ignores permissions), read and search only otherwise. The guard makes it writable again.
class DirectoryChiusa {
public:
    explicit DirectoryChiusa(const QString& percorso) : percorso_(QFile::encodeName(percorso)) {
        if (::geteuid() != 0) {
            chiusa_ = ::chmod(percorso_.constData(), 0555) == 0;
            return;
        }
        const int descrittore = ::open(percorso_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int attributi = 0;
        if (descrittore >= 0 && ::ioctl(descrittore, FS_IOC_GETFLAGS, &attributi) == 0) {
            attributi |= FS_IMMUTABLE_FL;
            chiusa_ = ::ioctl(descrittore, FS_IOC_SETFLAGS, &attributi) == 0;
        }
        if (descrittore >= 0)
            ::close(descrittore);
    }
    ~DirectoryChiusa() {
        if (!chiusa_)
            return;
        if (::geteuid() != 0) {
            ::chmod(percorso_.constData(), 0755);
            return;
        }
        const int descrittore = ::open(percorso_.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int attributi = 0;
        if (descrittore >= 0 && ::ioctl(descrittore, FS_IOC_GETFLAGS, &attributi) == 0) {
            attributi &= ~FS_IMMUTABLE_FL;
            ::ioctl(descrittore, FS_IOC_SETFLAGS, &attributi);
        }
        if (descrittore >= 0)
            ::close(descrittore);
    }
    // False when neither way was open to this process (root without the right to set the
    // immutable attribute, or a file system without it).
    bool Chiusa() const { return chiusa_; }

private:
    QByteArray percorso_;
    bool chiusa_ = false;
};

struct StatoAltrove {
    const char* caso;
    const char* xdgStateHome; // relative to the test directory; nullptr: unset; "=" prefix: as it stands
    const char* home;         // relative to the test directory
    const char* atteso;       // where the dump lands, relative to the test directory
};

TEST_F(DumpIstruzione, FromADirectoryThatTakesNoFileTheDumpGoesToTheStateDirectory) {
    DirectoryChiusa chiusa(dir.File("lavoro"));
    if (!chiusa.Chiusa())
        GTEST_SKIP() << "no directory this process cannot write in: running as root without the right to make "
                        "a directory immutable, or on a file system without that attribute";
    ASSERT_FALSE(QFile(Lavoro("prova")).open(QIODevice::WriteOnly)) << "the directory still takes files";

    const StatoAltrove casi[] = {
        {"XDG_STATE_HOME", "stato", "casa", "stato/quendra/"},
        {"XDG_STATE_HOME under a name with an accent", "Società/stato", "casa", "Società/stato/quendra/"},
        {"no XDG_STATE_HOME", nullptr, "casa", "casa/.local/state/quendra/"},
        {"an empty XDG_STATE_HOME", "=", "casa", "casa/.local/state/quendra/"},
        {"a relative XDG_STATE_HOME is ignored", "=relativo", "casa", "casa/.local/state/quendra/"},
    };
    for (const StatoAltrove& caso : casi) {
        SCOPED_TRACE(caso.caso);
        if (caso.xdgStateHome == nullptr)
            qunsetenv("XDG_STATE_HOME");
        else if (caso.xdgStateHome[0] == '=')
            qputenv("XDG_STATE_HOME", caso.xdgStateHome + 1);
        else
            qputenv("XDG_STATE_HOME", QFile::encodeName(dir.File(QString::fromUtf8(caso.xdgStateHome))));
        qputenv("HOME", QFile::encodeName(dir.File(QString::fromUtf8(caso.home))));
        ::umask(077);

        SalvaIstruzione(QStringLiteral("CambioDitta"), Istruzione());

        ::umask(022);
        const QString cartella = dir.File(QString::fromUtf8(caso.atteso));
        const auto statoCartella = Stato(cartella);
        ASSERT_TRUE(statoCartella.has_value()) << cartella.toStdString();
        EXPECT_TRUE(S_ISDIR(statoCartella->st_mode));
        EXPECT_EQ(statoCartella->st_mode & 07777, 0700u) << "created for its owner only";
        const auto scritto = Stato(cartella + "Quendra.CambioDitta.sql");
        ASSERT_TRUE(scritto.has_value());
        EXPECT_EQ(scritto->st_mode & 07777, 0600u);
        EXPECT_EQ(Leggi(cartella + "Quendra.CambioDitta.sql"), Contenuto);
        EXPECT_FALSE(QFile::exists(Lavoro("Quendra.CambioDitta.sql")));
        QDir(cartella).removeRecursively();
    }
    EXPECT_TRUE(QDir(dir.File("lavoro")).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
}

// A program whose directory was removed under it still keeps its dumps.
TEST_F(DumpIstruzione, FromADirectoryRemovedWhileInUseTheDumpGoesToTheStateDirectory) {
    ASSERT_TRUE(QDir().rmdir(dir.File("lavoro")));
    SalvaIstruzione(QStringLiteral("CambioDitta"), Istruzione());
    EXPECT_EQ(Leggi(dir.File("stato/quendra/Quendra.CambioDitta.sql")), Contenuto);
    EXPECT_FALSE(QFileInfo::exists(dir.File("lavoro")));
}

// A dump that has nowhere to go is skipped: the failure's own box still follows.
TEST_F(DumpIstruzione, ANameTakenByADirectoryIsLeftAloneAndNothingIsLeftBeside) {
    ASSERT_TRUE(QDir().mkpath(Lavoro("Quendra.CambioDitta.sql/dentro")));
    SalvaIstruzione(QStringLiteral("CambioDitta"), Istruzione());
    EXPECT_TRUE(QFileInfo(Lavoro("Quendra.CambioDitta.sql/dentro")).isDir());
    EXPECT_EQ(QDir(dir.File("lavoro")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"Quendra.CambioDitta.sql"});
    EXPECT_FALSE(QFile::exists(dir.File("stato/quendra/Quendra.CambioDitta.sql")));
}

} // namespace
