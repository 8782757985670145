/*
 * What a function library may call in Quendra, for library authors (C++).
 *
 * A library that opens windows links the core library and reaches the program's one data
 * module, which gives it every service below. With the installed package:
 *
 *     find_package(Quendra REQUIRED)
 *     target_link_libraries(MiaLibreria PRIVATE Quendra::Quendra)
 *
 * and in the export (see <quendra/Funzioni.h> for the five entry forms):
 *
 *     #include <quendra/Quendra.h>
 *
 *     QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriClientiX(int32_t utente, int32_t idFinestra) {
 *         TTabXForm* modulo = DataModuleCorrente();   // null only before the program started
 *         auto* finestra = new MiaFinestra(*modulo);
 *         finestra->setAttribute(Qt::WA_DeleteOnClose);
 *         finestra->show();
 *         // So that Quendra does not close while the window is open:
 *         modulo->ScritturaHandleDiApertura(idFinestra, static_cast<qint64>(finestra->winId()));
 *         return 0;
 *     }
 *
 * Services of the data module (TTabXForm, datamodule/TabX.h):
 * - connections: IBDatabase1 / IBTransaction1 is the current company's archive (concurrency,
 *   no wait), IBDatabaseUser / TransazioneUser the users database;
 * - the current user: GetNumUser, GetNomeUser, GetDitta;
 * - in-memory parameters: Inserisci, GetV, SetV, GetM, SetM;
 * - per-user parameters in the archive: VerificaEsistenzaInTabX, AggiungiParametroInTabX,
 *   ScriviParametroInTabX, CaricaParametroDaTabX, AggiornaParametriTabX, ValoreTabX,
 *   SettaValoreTabX, ValoreMTabX, SettaValoreMTabX; scripts: IniScriptForm;
 * - maker parameters: CaricaParametro, SettaParametro;
 * - record editing on an editable dataset (fb::TIBTable, fb::TIBQuery, fb/DataSet.h) with a
 *   status button (TPulsanteStato): AggiornaTabella, ChiudiTransazione, ChiudiTransEAggiorna,
 *   Annulla, Elimina, Azzera, Chiudi, AggiornamentoDaPulsante, and EventoBeforeEditDataSet
 *   for the dataset's BeforeEdit, which locks the row as editing starts;
 * - printing titles: LanciaStampaConDll writes "TitoloStampa" and "NomeReport" into the
 *   in-memory table only where rows of those names exist: Inserisci them once, as the demo's
 *   window does, before the first print;
 *
 * Transactions. Give every editing window a transaction of its own and set it as the
 * Transaction of each of its datasets:
 *
 *     fb::TTransazione Transazione;     // declared before the datasets, so it goes after them
 *     fb::TIBTable Clienti;
 *     ...
 *     modulo.PreparaTransazioneFinestra(Transazione);   // the archive, concurrency, no wait
 *     Clienti.Database = &modulo.IBDatabase1;
 *     Clienti.Transaction = &Transazione;
 *
 * Every record service and key generator then works in that transaction only: the row lock
 * taken as editing starts, save (commit), cancel and refresh without saving (rollback),
 * delete, empty, close. Nothing else commits, rolls back or restarts it: not another window,
 * not the parameter stores (which use transactions of their own), not the semaphore window.
 * A dataset left without a Transaction works in IBTransaction1, the archive's default
 * transaction, shared with every other window that does the same, as older libraries expect.
 *
 * What the services guarantee to the window's user:
 * - a save compares what the row held when it was read (TIBTable; for a TIBQuery write your
 *   ModifySQL with ":OLD_<column>" conditions): a change saved by someone else since is
 *   refused, never overwritten;
 * - a new row the table refuses (its key taken) is dropped before the error is shown;
 * - "Elimina" and "Azzera" ask to save unsaved changes first, as "Aggiorna" does; closing
 *   with "Sì" saves, and when the save fails Chiudi raises: keep the window open, e.g.
 *       if (piattaforma::EseguiProtetto([&] { modulo.Chiudi(...); })) e->accept(); else e->ignore();
 * - when the connection to the archive is lost, the rows not saved are named to the user,
 *   nothing of them is ever written again, the rows are read afresh and the services end
 *   the button's work with the silent abort (piattaforma::EAbort);
 * - before a change of company (F9, F12), of user (F8) and before the program ends, Quendra
 *   asks every library window to close (closeEvent, with its own save question); a window
 *   that stays open cancels the change. A dataset whose archive was closed anyway refuses to
 *   read or write. On a stop signal windows close without questions, their work rolled back.
 *   Show the company in the window's caption (GetDitta).
 * - new keys: NuovoIntSuLast, NuovoIntSuMax, NuovoIntSuGeneratore, NuovoIntSuGenSQL,
 *   CreaGeneratore, SetGeneratore, CheckGeneratore, ValoreGeneratore;
 * - printing: LanciaStampaConDll hands a dataset to the printing library "Vrot";
 * - the window's handle: ScritturaHandleDiApertura.
 * A grid shows and edits a dataset through TModelloDataSet (forms/ModelloDataSet.h):
 * Modello.CollegaVista(Griglia) makes it the view's model and keeps view and dataset on one row.
 *
 * Everything runs on the user-interface thread. Database failures are fb::EErroreDB; run
 * the work of a button under piattaforma::Protetto (piattaforma/Protezione.h), which reports
 * anything thrown the way the program does, so nothing is thrown through Qt.
 */
#ifndef QUENDRA_QUENDRA_H
#define QUENDRA_QUENDRA_H

#include <quendra/Funzioni.h>

#include <quendra/core/datamodule/PulsanteStato.h>
#include <quendra/core/datamodule/TabX.h>
#include <quendra/core/fb/DataSet.h>
#include <quendra/core/fb/Errore.h>
#include <quendra/core/forms/ModelloDataSet.h>
#include <quendra/core/piattaforma/Errori.h>
#include <quendra/core/piattaforma/Protezione.h>

#endif /* QUENDRA_QUENDRA_H */
