// A library built against the installed package only: its window edits the archive's
// customers through the data module, as the suite's windows do.

#include <quendra/Quendra.h>

#include <QCloseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

class TEsternaForm : public QWidget {
public:
    explicit TEsternaForm(TTabXForm& modulo) : modulo_(modulo), modello_(clienti_) {
        setObjectName(QStringLiteral("EsternaForm"));
        setWindowTitle(QStringLiteral("Libreria esterna"));
        clienti_.Database = &modulo_.IBDatabase1;
        clienti_.TableName = QStringLiteral("CLIFOR");
        clienti_.BeforeEdit = [this](fb::TDataSet& ds) {
            modulo_.EventoBeforeEditDataSet(ds, stato_, QStringLiteral("CLIFOR"));
        };
        auto* colonna = new QVBoxLayout(this);
        stato_.setParent(this);
        colonna->addWidget(&stato_);
        auto* salva = new QPushButton(QStringLiteral("Salva"), this);
        salva->setObjectName(QStringLiteral("ButtonSalva"));
        connect(salva, &QPushButton::clicked, this, piattaforma::Protetto([this] {
                    modulo_.ChiudiTransEAggiorna(clienti_, segno_, riposiziona_, stato_);
                }));
        colonna->addWidget(salva);
        auto* stampa = new QPushButton(QStringLiteral("Stampa"), this);
        stampa->setObjectName(QStringLiteral("ButtonStampa"));
        connect(stampa, &QPushButton::clicked, this, piattaforma::Protetto([this] {
                    modulo_.LanciaStampaConDll(QStringLiteral("Esterna"), QStringLiteral("esterna.rep"), clienti_);
                }));
        colonna->addWidget(stampa);
        griglia_.setParent(this);
        griglia_.setObjectName(QStringLiteral("Griglia"));
        griglia_.setModel(&modello_);
        // The printing library reads these; the launch only changes rows that exist.
        for (const QString& nome : {QStringLiteral("TitoloStampa"), QStringLiteral("NomeReport")})
            modulo_.Inserisci(QString(), nome, QString(), QString(), QString(), QString(), QString(), QString(),
                              QString());
        colonna->addWidget(&griglia_);
        modulo_.AggiornaTabella(clienti_, {}, false);
    }

    // A new customer with the generator's key, saved at once.
    void NuovoCliente() {
        modulo_.NuovoIntSuGenSQL(clienti_, segno_, riposiziona_, stato_, QStringLiteral("INTO CLIFOR"),
                                 QStringLiteral("GEN_CLIFOR"));
    }

protected:
    void closeEvent(QCloseEvent* evento) override {
        piattaforma::EseguiProtetto([this] { modulo_.Chiudi(clienti_, segno_, riposiziona_, stato_); });
        evento->accept();
    }

private:
    TTabXForm& modulo_;
    fb::TIBTable clienti_;
    TModelloDataSet modello_;
    TPulsanteStato stato_;
    QTableView griglia_;
    fb::TBookmark segno_;
    bool riposiziona_ = false;
};

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriEsternaX(int32_t utente, int32_t idFinestra) {
    TTabXForm* modulo = DataModuleCorrente();
    if (modulo == nullptr)
        return 0;
    auto* finestra = new TEsternaForm(*modulo);
    finestra->setAttribute(Qt::WA_DeleteOnClose);
    finestra->show();
    piattaforma::EseguiProtetto([&] {
        finestra->NuovoCliente();
        modulo->SettaValoreTabX(QStringLiteral("UltimaApertura"), QString::number(utente), true);
    });
    modulo->ScritturaHandleDiApertura(idFinestra, static_cast<qint64>(finestra->winId()));
    return 0;
}
