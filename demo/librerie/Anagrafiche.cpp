// The demo's editing window: the customers of the company archive in a grid, edited the way
// the suite's windows work, through the data module's record services. Changes stay in the
// window's own transaction on the archive until "Salva"; a row is locked as soon as its
// editing starts.

#include "FinestraLibreria.h"

#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "forms/ModelloDataSet.h"
#include "piattaforma/Protezione.h"

#include <quendra/Funzioni.h>

#include <algorithm>

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString Tabella = QStringLiteral("CLIFOR");
const QString Generatore = QStringLiteral("GEN_CLIFOR");

class TClientiForm : public QWidget {
public:
    explicit TClientiForm(TTabXForm& modulo) : Modello(Clienti), modulo_(modulo) {
        setObjectName(QStringLiteral("ClientiForm"));
        setWindowTitle(QStringLiteral("Anagrafica clienti"));
        resize(900, 480);
        modulo_.PreparaTransazioneFinestra(TransazioneClienti);
        Clienti.Database = &modulo_.IBDatabase1;
        Clienti.Transaction = &TransazioneClienti;
        Clienti.TableName = Tabella;
        Clienti.BeforeEdit = [this](fb::TDataSet& dataset) {
            modulo_.EventoBeforeEditDataSet(dataset, PulsanteStato, Tabella);
        };
        CreaComponenti();
        // The printing library reads the title and report name from these rows: the launch
        // only changes rows that exist.
        for (const QString& nome : {QStringLiteral("TitoloStampa"), QStringLiteral("NomeReport")})
            modulo_.Inserisci(QString(), nome, QString(), QString(), QString(), QString(), QString(), QString(),
                              QString());
        modulo_.AggiornaTabella(Clienti, {}, false);
        LarghezzeColonne();
        modulo_.ChiudiTransazione(Clienti, Segnalibro, Riposiziona, PulsanteStato); // green, tag 0
    }

    // Before the dataset, which works in it and goes first.
    fb::TTransazione TransazioneClienti;
    fb::TIBTable Clienti;
    TModelloDataSet Modello;
    TPulsanteStato PulsanteStato;
    QTableView Griglia;
    fb::TBookmark Segnalibro;
    bool Riposiziona = false;

protected:
    // A save that fails keeps the window open with its edit.
    void closeEvent(QCloseEvent* evento) override {
        if (piattaforma::EseguiProtetto([this] { modulo_.Chiudi(Clienti, Segnalibro, Riposiziona, PulsanteStato); }))
            evento->accept();
        else
            evento->ignore();
    }

private:
    QPushButton* Pulsante(QHBoxLayout* riga, const QString& nome, const QString& testo, std::function<void()> azione) {
        auto* pulsante = new QPushButton(testo, this);
        pulsante->setObjectName(nome);
        connect(pulsante, &QPushButton::clicked, this, piattaforma::Protetto(std::move(azione)));
        riga->addWidget(pulsante);
        return pulsante;
    }

    void CreaComponenti() {
        auto* colonna = new QVBoxLayout(this);
        auto* pulsanti = new QHBoxLayout();
        PulsanteStato.setParent(this);
        PulsanteStato.setToolTip(QStringLiteral("Verde: tutto salvato. Rosso: modifiche da salvare."));
        pulsanti->addWidget(&PulsanteStato);
        Pulsante(pulsanti, QStringLiteral("ButtonNuovo"), QStringLiteral("&Nuovo"), [this] {
            modulo_.NuovoIntSuGeneratore(Clienti, Segnalibro, Riposiziona, PulsanteStato, Tabella, Generatore);
            Griglia.setFocus();
        });
        Pulsante(pulsanti, QStringLiteral("ButtonSalva"), QStringLiteral("&Salva"),
                 [this] { modulo_.ChiudiTransEAggiorna(Clienti, Segnalibro, Riposiziona, PulsanteStato); });
        Pulsante(pulsanti, QStringLiteral("ButtonAnnulla"), QStringLiteral("&Annulla"),
                 [this] { modulo_.Annulla(Clienti, Segnalibro, Riposiziona, PulsanteStato); });
        Pulsante(pulsanti, QStringLiteral("ButtonElimina"), QStringLiteral("&Elimina"),
                 [this] { modulo_.Elimina(Clienti, Segnalibro, Riposiziona, PulsanteStato); });
        Pulsante(pulsanti, QStringLiteral("ButtonAzzera"), QStringLiteral("A&zzera"),
                 [this] { modulo_.Azzera(Clienti, Segnalibro, Riposiziona, PulsanteStato, Tabella); });
        Pulsante(pulsanti, QStringLiteral("ButtonAggiorna"), QStringLiteral("A&ggiorna"),
                 [this] { modulo_.AggiornamentoDaPulsante(Clienti, Segnalibro, Riposiziona, PulsanteStato); });
        Pulsante(pulsanti, QStringLiteral("ButtonStampa"), QStringLiteral("S&tampa"), [this] {
            modulo_.LanciaStampaConDll(QStringLiteral("Anagrafica clienti"), QStringLiteral("CLIFOR.rep"), Clienti);
        });
        pulsanti->addStretch();
        colonna->addLayout(pulsanti);

        Griglia.setParent(this);
        Griglia.setObjectName(QStringLiteral("Griglia"));
        Griglia.setSelectionBehavior(QAbstractItemView::SelectRows);
        Griglia.setSelectionMode(QAbstractItemView::SingleSelection);
        Griglia.horizontalHeader()->setStretchLastSection(true);
        Griglia.setWordWrap(false);
        Griglia.verticalHeader()->setDefaultSectionSize(Griglia.fontMetrics().height() + 8);
        colonna->addWidget(&Griglia);
        colonna->addWidget(new QLabel(
            QStringLiteral("Doppio clic o F2 su una cella per modificarla: il record resta bloccato per gli "
                           "altri utenti fino al salvataggio o all'annullamento."),
            this));

        // The grid and the dataset stay on one row.
        Modello.CollegaVista(Griglia);
    }

    // Widths from the fields' kinds and sizes: measuring the rows' texts costs more than
    // reading them.
    void LarghezzeColonne() {
        const QFontMetrics metriche = Griglia.fontMetrics();
        for (int i = 0; i < Clienti.FieldCount(); ++i) {
            const fb::TDefinizioneCampo& campo = Clienti.FieldDefs()[static_cast<size_t>(i)];
            int caratteri = 12;
            if (campo.Genere == fb::TGenere::Testo)
                caratteri = std::clamp(campo.Dimensione, 4, 30);
            else if (campo.Genere == fb::TGenere::Intero)
                caratteri = 7;
            else if (campo.Genere == fb::TGenere::Data)
                caratteri = 10;
            const int testo = metriche.horizontalAdvance(QString(caratteri, QLatin1Char('0')));
            const int titolo = metriche.horizontalAdvance(campo.Nome);
            Griglia.setColumnWidth(i, std::max(testo, titolo) + 16);
        }
    }

    TTabXForm& modulo_;
};

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriClientiX(int32_t utente, int32_t idFinestra) {
    (void)utente;
    TTabXForm* modulo = DataModuleCorrente();
    if (modulo == nullptr)
        return 0;
    MostraFinestraLibreria(new TClientiForm(*modulo), idFinestra);
    return 0;
}
