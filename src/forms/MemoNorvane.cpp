#include "forms/MemoNorvane.h"

#include "datamodule/Norvane.h"
#include "datamodule/TabX.h"
#include "db/Lotto.h"
#include "fb/Valori.h"
#include "forms/AbilitaDitte.h"
#include "forms/Dialogo.h"
#include "forms/SelDir.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>

namespace {

const QString ErroreUpdate = QStringLiteral(
    "Errore interno di UPDATE: impossibile aggiornare i parametri norvane dell'utente");
const QString ErroreDelete =
    QStringLiteral("Errore interno di DELETE: impossibile aggiornare la "
                   "tabella TABNORVANE. Chiudere il programma e riaprirlo");
const QString ErroreInsert =
    QStringLiteral("Errore interno di INSERT: impossibile aggiornare la "
                   "tabella TABNORVANE. Chiudere il programma e riaprirlo");

// The acute accent stands in for the apostrophe in stored values (0xB4 of the code page).
constexpr QChar AccentoAcuto = QChar(0x00B4);

} // namespace

TMemoNorvaneForm::TMemoNorvaneForm(QWidget* owner, TTabXForm* dataModule)
    : QDialog(owner), TransazioneMemo(&dataModule->IBDatabaseUser),
      QueryAux(&dataModule->IBDatabaseUser, &TransazioneMemo), TabXForm(dataModule) {
    CreaComponenti();
    setWindowTitle(windowTitle() + u' ' + TabXForm->GetNomeUser());
    TransazioneMemo.Params = {QStringLiteral("isc_tpb_concurrency"),
                              QStringLiteral("isc_tpb_nowait")};
    TransazioneMemo.StartTransaction();
    CaricaTesto();
}

// What was left pending (the load, a failed store) is rolled back by the transaction itself.
TMemoNorvaneForm::~TMemoNorvaneForm() {
    QueryAux.Close();
}

void TMemoNorvaneForm::CreaComponenti() {
    setObjectName(QStringLiteral("MemoNorvaneForm"));
    setWindowTitle(QStringLiteral("Editazione parametri norvane - Ditta:"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(745, 523);

    MemoSD = new QPlainTextEdit(this);
    MemoSD->setObjectName(QStringLiteral("MemoSD"));
    MemoSD->setGeometry(32, 24, 673, 403);
    MemoSD->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(216, 432, 75, 25);
    // Enter belongs to the text; the default button answers only outside it.
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonOkClick(); }));

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(392, 434, 75, 25);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonCancelClick(); }));

    ButtonFile = CreaPulsanteVeloce(this, QStringLiteral("ButtonFile"), QStringLiteral("File"),
                                    QRect(489, 5, 72, 18), true);
    connect(ButtonFile, &QToolButton::clicked, this,
            piattaforma::Protetto([this] { ButtonFileClick(); }));

    ButtonPercorso = CreaPulsanteVeloce(this, QStringLiteral("ButtonPercorso"),
                                        QStringLiteral("Percorso"), QRect(561, 5, 72, 18), true);
    connect(ButtonPercorso, &QToolButton::clicked, this,
            piattaforma::Protetto([this] { ButtonPercorsoClick(); }));

    DialogApri = new QFileDialog(this);
    DialogApri->setObjectName(QStringLiteral("DialogApri"));
    ScegliFile = [this] {
        if (DialogApri->exec() != QDialog::Accepted)
            return QString();
        return DialogApri->selectedFiles().value(0);
    };

    ButtonAbilitaDitte =
        CreaPulsanteVeloce(this, QStringLiteral("ButtonAbilitaDitte"),
                           QStringLiteral("Abilitaz. ditte"), QRect(633, 5, 72, 18), true);
    connect(ButtonAbilitaDitte, &QToolButton::clicked, this,
            piattaforma::Protetto([this] { ButtonAbilitaDitteClick(); }));

    // The field is anchored on all sides, the File button to the top right corner.
    Ancore.Registra(MemoSD, TAncore::Tutti);
    Ancore.Registra(ButtonFile, TAncore::AltoDestra);
}

void TMemoNorvaneForm::CaricaTesto() {
    QueryAux.ImpostaSQL({QStringLiteral("SELECT NORVANE FROM UTENTI WHERE CODICE=") +
                         fb::Quota(TabXForm->GetNumUser())});
    QueryAux.Open();
    if (!QueryAux.Eof())
        ImpostaTestoMemo(QueryAux.FieldByName(QStringLiteral("NORVANE")).AsString());
    QueryAux.Close();
}

// Carriage returns count for nothing in the text, but the field would show a lone one as a
// line break and store it as one: they are left out, so what is shown reads as stored.
void TMemoNorvaneForm::ImpostaTestoMemo(const QString& testo) {
    QString senzaRitorni = testo;
    senzaRitorni.remove(u'\r');
    MemoSD->setPlainText(senzaRitorni);
}

// The document's raw text: its plain text would turn no-break spaces into blanks.
QString TMemoNorvaneForm::TestoMemo() const {
    QString testo = MemoSD->document()->toRawText();
    testo.replace(QChar::ParagraphSeparator, u'\n');
    testo.replace(QChar::LineSeparator, u'\n');
    return testo;
}

void TMemoNorvaneForm::InserisciNelTesto(const QString& testo) {
    MemoSD->insertPlainText(testo);
}

void TMemoNorvaneForm::ButtonOkClick() {
    Memorizzazione();
    close();
}

void TMemoNorvaneForm::ButtonCancelClick() {
    close();
}

// The parameter text holds paths in drive-letter form, like every stored path, with the
// drive in lower case as the path picker and the disk choice write it.
void TMemoNorvaneForm::ButtonFileClick() {
    const QString scelto = ScegliFile();
    if (scelto.isEmpty())
        return;
    QString percorso = piattaforma::PercorsoConUnita(scelto);
    if (percorso.size() >= 2 && percorso[1] == u':')
        percorso[0] = percorso[0].toLower();
    InserisciNelTesto(percorso);
}

void TMemoNorvaneForm::ButtonPercorsoClick() {
    TSelDirForm selezione(this);
    if (selezione.exec() != TSelDirForm::RisultatoOk)
        return;
    QString directory = selezione.Directory();
    if (!directory.endsWith(u'\\'))
        directory += u'\\';
    InserisciNelTesto(directory);
}

void TMemoNorvaneForm::Memorizzazione() {
    QString testo = TestoMemo();
    // Put back only when it changed, so the caret stays where the user left it.
    if (testo.contains(u'\'')) {
        testo.remove(u'\'');
        ImpostaTestoMemo(testo);
    }

    // The text and the rows are one store: both written or neither, so the next opening
    // never shows parameters that the program does not read.
    const qint32 utente = TabXForm->GetNumUser();
    TLottoIstruzioni lotto(QueryAux, TransazioneMemo);
    lotto.Esegui({QStringLiteral("UPDATE UTENTI SET NORVANE=") + fb::Quota(testo) + QStringLiteral(" WHERE"),
                  QStringLiteral("CODICE=") + fb::Quota(utente)},
                 ErroreUpdate);
    ScriviRigheTabNorvane(lotto);
    QueryAux.Close();
    if (lotto.Commit())
        TabXForm->SetUserPerNum(utente);
    // The data module's users transaction took its snapshot before this store committed: a
    // fresh one makes the company dialogs (the enabling one and the change of company) list
    // the headings just stored.
    TabXForm->QueryNorvane.Close();
    RiavviaTransazione(TabXForm->TransazioneUser);
}

void TMemoNorvaneForm::AggiornaTabNorvane() {
    TLottoIstruzioni lotto(QueryAux, TransazioneMemo);
    ScriviRigheTabNorvane(lotto);
    QueryAux.Close();
    lotto.Commit();
}

void TMemoNorvaneForm::ScriviRigheTabNorvane(TLottoIstruzioni& lotto) {
    const std::vector<TNorvane> voci = ScomponiNorvane(TestoMemo());
    const QString utente = fb::Quota(TabXForm->GetNumUser());

    lotto.Esegui({QStringLiteral("DELETE FROM TABNORVANE WHERE UTENTE=") + utente}, ErroreDelete);
    qint64 progressivo = 1;
    for (const TNorvane& voce : voci) {
        const QString valore =
            voce.Valore.isEmpty()
                ? QStringLiteral("NULL,")
                : fb::Quota(QString(voce.Valore).replace(u'\'', AccentoAcuto)) + u',';
        if (!lotto.Esegui({QStringLiteral("INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,"),
                           QStringLiteral("VALORE,PROGRESSIVO) VALUES("), utente + u',',
                           fb::Quota(voce.Intestazione) + u',', fb::Quota(voce.Parametro) + u',',
                           valore, fb::Quota(progressivo) + u')'},
                          ErroreInsert))
            break;
        ++progressivo;
    }
}

void TMemoNorvaneForm::ButtonAbilitaDitteClick() {
    Memorizzazione();
    TAbilitaDitteForm abilitazione(this, TabXForm);
    if (abilitazione.exec() != TAbilitaDitteForm::RisultatoOk)
        return;
    ImpostaTestoMemo(MarcaDitteInattive(TestoMemo(), abilitazione.DitteDisattive()));
}

void TMemoNorvaneForm::resizeEvent(QResizeEvent* evento) {
    QDialog::resizeEvent(evento);
    Ancore.Applica();
}

void TMemoNorvaneForm::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}
