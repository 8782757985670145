#pragma once

#include "../fb/Query.h"
#include "../fb/Transazione.h"
#include "../forms/Ancore.h"

#include <QDialog>

#include <functional>

class QFileDialog;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;
class QShowEvent;
class QToolButton;
class TLottoIstruzioni;
class TTabXForm;

// The editor of the logged-in user's maker parameters: the text of UTENTI.NORVANE edited as a
// whole. Storing writes the text back and rebuilds the user's TABNORVANE rows from it.
class TMemoNorvaneForm : public QDialog {
    Q_OBJECT
public:
    TMemoNorvaneForm(QWidget* owner, TTabXForm* dataModule);
    ~TMemoNorvaneForm() override;

    QPlainTextEdit* MemoSD;
    QPushButton* ButtonOk;
    QPushButton* ButtonCancel;
    QToolButton* ButtonFile;
    QToolButton* ButtonPercorso;
    QFileDialog* DialogApri;
    QToolButton* ButtonAbilitaDitte;

    // The window's own snapshot on the users database, failing at once on a lock; declared
    // before the query that runs in it, so that it outlives the query.
    fb::TTransazione TransazioneMemo;
    fb::TQuery QueryAux;

    // Runs DialogApri and gives the chosen file, empty when the user cancels; tests answer
    // in its place.
    std::function<QString()> ScegliFile;

    // The text of the field as stored: paragraph breaks read as line feeds.
    QString TestoMemo() const;
    void ImpostaTestoMemo(const QString& testo);

    void ButtonOkClick();
    void ButtonCancelClick();
    void ButtonFileClick();
    void ButtonPercorsoClick();
    void ButtonAbilitaDitteClick();

    // Writes the text to UTENTI.NORVANE and rebuilds the user's TABNORVANE rows from it, in
    // one transaction: on any failure nothing of it is written.
    void Memorizzazione();
    // The rebuild of the rows alone, committed on its own.
    void AggiornaTabNorvane();

protected:
    void resizeEvent(QResizeEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    void CreaComponenti();
    void CaricaTesto();
    // Replaces the selection, or inserts at the caret when nothing is selected.
    void InserisciNelTesto(const QString& testo);
    // The delete and the inserts of the rebuild, added to the batch; a failed batch skips them.
    void ScriviRigheTabNorvane(TLottoIstruzioni& lotto);

    TTabXForm* TabXForm;
    TAncore Ancore;
};
