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
 * - new keys: NuovoIntSuLast, NuovoIntSuMax, NuovoIntSuGeneratore, NuovoIntSuGenSQL,
 *   CreaGeneratore, SetGeneratore, CheckGeneratore, ValoreGeneratore;
 * - printing: LanciaStampaConDll hands a dataset to the printing library "Vrot";
 * - the window's handle: ScritturaHandleDiApertura.
 * A grid shows and edits a dataset through TModelloDataSet (forms/ModelloDataSet.h).
 *
 * Everything runs on the user-interface thread. Database failures are fb::EErroreDB; run
 * the work of a button under piattaforma::Protetto (piattaforma/Protezione.h), which reports
 * anything thrown the way the program does, so nothing is thrown through Qt.
 */
#ifndef QUENDRA_QUENDRA_H
#define QUENDRA_QUENDRA_H

#include <quendra/Funzioni.h>

#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "fb/DataSet.h"
#include "fb/Errore.h"
#include "forms/ModelloDataSet.h"
#include "piattaforma/Errori.h"
#include "piattaforma/Protezione.h"

#endif /* QUENDRA_QUENDRA_H */
