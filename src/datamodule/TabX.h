#pragma once

#include "../datamodule/MemTabX.h"
#include "../fb/DataSet.h"
#include "../fb/Database.h"
#include "../fb/Query.h"
#include "../fb/Transazione.h"

#include <QHash>
#include <QObject>

#include <optional>
#include <QString>

class TPulsanteStato;

// The one data module: the program's database connections, the current user and the
// in-memory parameter table. It is never shown.
class TTabXForm : public QObject {
    Q_OBJECT
public:
    enum Sorgente : quint8 { SorgenteDatabase = 0, SorgenteIni = 1, SorgenteNessuna = 3 };

    // Builds the components only; Crea runs the start-up steps, which may raise the
    // database layer's exception while the object stays usable (connections closed).
    TTabXForm(QObject* owner, quint8 modoUtenti);
    ~TTabXForm() override;

    void Crea();

    TMemTabX MemTabX;
    fb::TDatabase IBDatabase1;
    fb::TTransazione IBTransaction1;
    fb::TDatabase IBDatabase2;
    fb::TDatabase IBDatabase3;
    fb::TDatabase IBDatabase4;
    fb::TTransazione IBTransaction2;
    fb::TTransazione IBTransaction3;
    fb::TTransazione IBTransaction4;
    fb::TDatabase IBDatabaseUser;
    fb::TQuery QueryNorvane;
    fb::TTransazione TransazioneUser;
    fb::TDatabase IBDatabase5;
    fb::TTransazione IBTransaction5;

    void ConnettiDatabase0(const QString& percorso);
    void ConnettiDatabase1(const QString& nomeVoce);
    void ConnettiDatabase2(const QString& nomeVoce);
    void ConnettiDatabase3(const QString& nomeVoce);
    void ConnettiDatabase4(const QString& nomeVoce);
    void ConnettiDatabase5(const QString& nomeVoce);

    void SettaFileIni(const QString& sezione, const QString& chiave, const QString& valore);
    QString FileIniUtente() const;

    qint32 GetNumUser() const { return NumUser; }
    QString GetNomeUser() const { return NomeUser; }
    void SetVerde(const QString& percorso) { FileVerde = percorso; }
    void SetRosso(const QString& percorso) { FileRosso = percorso; }
    QString GetVerde() const { return FileVerde; }
    QString GetRosso() const { return FileRosso; }
    quint8 GetModoUtenti() const { return ModoUtenti; }
    QString GetDitta() const { return Ditta; }

    // The in-memory table, as the libraries' windows reach it.
    void Inserisci(const QString& tipo, const QString& nome, const QString& numero,
                   const QString& testo, const QString& data, const QString& memo,
                   const QString& livello1, const QString& livello2, const QString& utente) {
        MemTabX.Inserisci(tipo, nome, numero, testo, data, memo, livello1, livello2, utente);
    }
    QString GetV(const QString& nome) { return MemTabX.GetV(nome); }
    QString GetM(const QString& nome) { return MemTabX.GetM(nome); }
    bool SetV(const QString& nome, const QString& valore) { return MemTabX.SetV(nome, valore); }
    bool SetM(const QString& nome, const QString& valore) { return MemTabX.SetM(nome, valore); }

    // ---- Users ----
    // Appends the user names (source 0) or replaces the list with them (source 1).
    void CaricaUser(QStringList& lista);
    bool VerificaPasswordUser(const QString& nome, const QString& digitata);
    // The login's check, made on what the users database holds at this moment: the user
    // exists, is active, typed the right password, and may work on his current company,
    // whose archive is named by a complete path. Empty when he may enter; otherwise the
    // message that says why not.
    QString MotivoAccessoNegato(const QString& nome, const QString& digitata);
    // Why the current user may not move to that company; empty when he may. The text has
    // no leading verdict: the caller puts its own before it.
    QString MotivoDittaNonUsabile(const QString& ditta);
    void SetUserPerNome(const QString& nome);
    void SetUserPerNum(qint32 numero);
    qint32 ProfiloSicurezzaUtente();
    QString DecodificaNomeUser(qint32 numero);

    // ---- Maker parameters ----
    // Value of a parameter of the current user and company; in source mode 3 the output
    // keeps what it held.
    void CaricaParametro(const QString& nome, QString& valore);
    // While one lives, CaricaParametro answers from one read of every parameter of the
    // current user and company, made in the users transaction at the first question: the
    // answers one read per name would give in that transaction, for one round trip to the
    // server. A new transaction (restart, commit, rollback), another user or another company
    // reads again. Only around work that runs no library, which could write parameters in
    // the users transaction without committing. Blocks may nest.
    class TParametriInBlocco {
    public:
        explicit TParametriInBlocco(TTabXForm& modulo);
        ~TParametriInBlocco();
        TParametriInBlocco(const TParametriInBlocco&) = delete;
        TParametriInBlocco& operator=(const TParametriInBlocco&) = delete;

    private:
        TTabXForm& modulo_;
    };
    void SettaParametro(const QString& nome, const QString& valore);
    void ScriviParametroNorvane(const QString& intestazione, const QString& nome,
                                const QString& valore);
    // Rebuilds the text image of the user's parameters in UTENTI.NORVANE.
    void ScriviNorvane(qint32 utente);
    void CaricaNorvane();

    // ---- Function libraries ----
    // Loads the library, finds the export and calls it with the one integer (form 1); no
    // semaphore, no log, no message. Nothing comes back.
    void AvviaFunzXDll(const QString& dll, const QString& funzione, qint32 intero);
    // Stores the handle of the window opened for a launch in that launch's call log row.
    // False on any failure, without a message.
    bool ScritturaHandleDiApertura(qint32 idFinestra, qint64 handle);

    // ---- Per-user parameters (TABX of the archive) ----
    // Parameters of the current user by project, window (situation) and name.
    bool VerificaEsistenzaInTabX(const QString& progetto, const QString& situazione, const QString& nome);
    // Adds the parameter only when it is not there (true either way); dates "dd/MM/yyyy".
    bool AggiungiParametroInTabX(const QString& progetto, const QString& situazione, const QString& nome,
                                 const QString& numero, const QString& testo, const QString& data,
                                 const QString& memo, const QString& livello1, const QString& livello2);
    // Changes the parameter only when it is there.
    bool ScriviParametroInTabX(const QString& progetto, const QString& situazione, const QString& nome,
                               const QString& numero, const QString& testo, const QString& data,
                               const QString& memo);
    // Refreshes the in-memory row of that name from TABX; the last six texts are not used.
    bool CaricaParametroDaTabX(const QString& progetto, const QString& situazione, const QString& nome,
                               const QString& numero, const QString& testo, const QString& data,
                               const QString& memo, const QString& livello1, const QString& livello2);
    // Every parameter of the current user into the in-memory table.
    void AggiornaParametriTabX();
    // Simple named values, for the current user or for anyone. A failed read (no archive,
    // no TABX) raises fb::EErroreDB, in the writes too; a write or commit the engine refuses
    // makes the writes answer false, without a message.
    QString ValoreTabX(const QString& nome, bool perUtente);
    QString ValoreMTabX(const QString& nome, bool perUtente);
    bool SettaValoreTabX(const QString& nome, const QString& valore, bool perUtente);
    bool SettaValoreMTabX(const QString& nome, const QString& valore, bool perUtente);

    // ---- Scripts (TABSCRIPT of the users database) ----
    // Registers a window's script: added when missing, replaced only when the stored one is
    // empty or forza is "1".
    void IniScriptForm(const QString& progetto, const QString& finestra, const QString& contesto,
                       const QString& utente, const QString& script, const QString& forza);

    // ---- Record editing ----
    // For the libraries' editing windows: a dataset of the archive, the position to come back
    // to, whether to come back to it, and the window's status button (tag 1 = unsaved).
    // Every service works in the dataset's own transaction (TDataSet::Transaction, or the
    // connection's default one when it names none): give each window a transaction of its
    // own and nothing another window does can save, discard or unlock its work.
    // Makes the transaction one of a window's own on the company archive, with the archive's
    // parameters (concurrency, no wait): set it as the window's datasets' Transaction.
    void PreparaTransazioneFinestra(fb::TTransazione& transazione);
    // Re-reads the dataset, discarding what its transaction did not commit.
    void AggiornaTabella(fb::TDataSet& dataset, fb::TBookmark segnalibro, bool riposiziona);
    // Saves: posts an edit in progress and commits. A new row the engine refuses is dropped
    // before the error goes on; work lost with the connection is told, row by row, never
    // written again, and the rows read afresh (then the silent abort ends the caller's work).
    void ChiudiTransazione(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                           TPulsanteStato& pulsante);
    void ChiudiTransEAggiorna(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                              TPulsanteStato& pulsante);
    void Annulla(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona, TPulsanteStato& pulsante);
    bool Elimina(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona, TPulsanteStato& pulsante);
    void Azzera(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona, TPulsanteStato& pulsante,
                const QString& tabella);
    // For the window's closing: with unsaved changes asks whether to save; Yes saves (an
    // error goes on: keep the window open), No rolls the dataset's transaction back. While
    // the program ends on a stop signal nothing is asked and everything is rolled back.
    void Chiudi(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona, TPulsanteStato& pulsante);
    void AggiornamentoDaPulsante(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                 TPulsanteStato& pulsante);
    // For the dataset's BeforeEdit: locks the row, or warns and raises the silent abort. A row
    // held by another user is told as such; a lost connection as a lost connection.
    void EventoBeforeEditDataSet(fb::TDataSet& dataset, TPulsanteStato& pulsante, const QString& tabella);
    // The program is ending on a stop signal: windows close without questions, unsaved work
    // rolled back.
    void ImpostaChiusuraSenzaDomande(bool senzaDomande) { chiusuraSenzaDomande_ = senzaDomande; }
    bool ChiusuraSenzaDomande() const { return chiusuraSenzaDomande_; }

    // ---- Key generators ----
    void NuovoIntSuLast(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                        TPulsanteStato& pulsante);
    void NuovoIntSuMax(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                       TPulsanteStato& pulsante, const QString& tabella);
    void NuovoIntSuGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                              TPulsanteStato& pulsante, const QString& tabella, const QString& generatore);
    // The table must be given with INTO before its name ("INTO CLIENTI").
    void NuovoIntSuGenSQL(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                          TPulsanteStato& pulsante, const QString& tabella, const QString& generatore);
    bool CreaGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                        TPulsanteStato& pulsante, const QString& generatore);
    bool SetGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                       TPulsanteStato& pulsante, const QString& generatore, qint32 valore);
    bool CheckGeneratore(fb::TDataSet& dataset, const QString& generatore);
    // The next value of a generator of the archive; every call draws one.
    QString ValoreGeneratore(const QString& generatore);

    // ---- Printing ----
    // Hands the dataset to the printing library "Vrot"; silent when it or its entry is missing.
    void LanciaStampaConDll(const QString& titolo, const QString& nomeReport, fb::TDataSet& dataset);

protected:
    qint32 NumUser = 0;
    QString NomeUser;
    QString PasswordUser;
    quint8 ModoUtenti;
    QString Ditta;
    QString FileVerde;
    QString FileRosso;

private:
    // The parameters read for a block, and what they were read for.
    struct ParametriLetti {
        bool Validi = false;
        qint32 Utente = 0;
        QString Ditta;
        quint64 Transazione = 0;
        QHash<QString, QString> Valori; // by name without trailing blanks
    };
    int blocchiParametri_ = 0;
    ParametriLetti parametriLetti_;
    const QString& ParametroInBlocco(const QString& nome);

    QString UtenteQuotato() const;
    void AggiungiCondizioniTabX(fb::TRighe& sql, const QString& progetto, const QString& situazione,
                                const QString& nome) const;
    QString LeggiValoreTabX(const QString& colonna, const QString& nome, bool perUtente);
    bool ScriviValoreTabX(const QString& colonna, const QString& nome, const QString& valore, bool perUtente);
    void MostraVerde(TPulsanteStato& pulsante) const;
    void MostraRosso(TPulsanteStato& pulsante) const;
    // Posts an edit in progress. A new row the engine refuses (its key taken meanwhile) does
    // not stay pending: it would be posted again at every save, and a delete would find the
    // stored row with that key.
    static void PostaOScarta(fb::TDataSet& dataset);
    // When the dataset's transaction lost work with its connection: the user is told which
    // rows were not saved, the rows are read again (now, or once an edit being entered is
    // over) and the silent abort ends the caller's work.
    void SeModifichePerse(fb::TDataSet& dataset, const fb::TBookmark& segnalibro, TPulsanteStato& pulsante,
                          bool rileggiSubito);
    [[noreturn]] void RileggiDopoPerdita(fb::TDataSet& dataset, const fb::TBookmark& segnalibro,
                                         TPulsanteStato& pulsante, bool subito);
    // Before a delete or an emptying, as before a refresh: unsaved changes are saved on Yes,
    // discarded on No.
    void SalvaOScarta(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona, TPulsanteStato& pulsante);
    bool chiusuraSenzaDomande_ = false;

    // ---- Users (private) ----
    QString GetPasswordUserPerNome(const QString& nome);
    qint32 GetNumUserPerNome(const QString& nome);
    // Sees what other workstations committed: the users transaction is restarted first.
    QString GetDittaUserPerNome(const QString& nome);
    QString GetNomeUserPerNum(qint32 numero);
    QString MotivoDittaNonUsabile(qint32 numero, const QString& nome, const QString& ditta);
    // Whether UTENTI has the optional UTENTEINATTIVO column: asked once, as the schema is
    // the suite maintenance's and does not change under a running program.
    bool ColonnaUtenteInattivo(fb::TQuery& query);
    std::optional<bool> colonnaUtenteInattivo_;
    static QString FileIniDi(qint32 numero, const QString& nome);

    static void CollegaTransazione(fb::TDatabase& database, fb::TTransazione& transazione);
    // Runs the query's statement and commits; on a database error shows that error box.
    static bool EseguiEConferma(fb::TQuery& query, fb::TTransazione& transazione,
                                const QString& errore);
    void ApriDatabaseUtenti(const QString& directory);
    void CreaTabScriptSeManca();
    void ConnettiDatabase(fb::TDatabase& connessione, const QString& percorso);
};

// The data module of the running program, for the function libraries that link the core
// library; null while there is none. The newest module holds the place until it goes.
TTabXForm* DataModuleCorrente();
