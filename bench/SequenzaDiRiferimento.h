#pragma once

// The reference the access window's benchmarks measure against: the login, the change of
// company and a launch as first written, one statement for each question (a count for every
// menu entry, a select for every program's quick entries, a parameter read for every
// "<LINEA>" caption), each statement prepared, executed and fetched through the bare
// Firebird client, in the transactions those procedures use. It decides its next statement
// from the rows that came back, as the procedures do, and builds no widget.

#include <firebird/Interface.h>

#include <QString>

#include <vector>

namespace bench {

// A bare client that reads every value as text (NULL as empty); blob columns are left unread,
// as a select that never touches them leaves them.
class ClienteTesto {
public:
    using Riga = std::vector<QString>;

    ClienteTesto();
    ~ClienteTesto();
    ClienteTesto(const ClienteTesto&) = delete;
    ClienteTesto& operator=(const ClienteTesto&) = delete;

    Firebird::IAttachment* Attacca(const QString& nomeDatabase);
    void Stacca(Firebird::IAttachment*& attacco);

    Firebird::ITransaction* Avvia(Firebird::IAttachment* attacco);
    // Both leave the pointer null; a null one is left alone.
    void Conferma(Firebird::ITransaction*& transazione);
    void Annulla(Firebird::ITransaction*& transazione);
    void ConfermaTrattenendo(Firebird::ITransaction* transazione);

    std::vector<Riga> Seleziona(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                                const QString& testo);
    void Esegui(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione, const QString& testo);

    // Statements sent so far.
    int Istruzioni = 0;

private:
    void Verifica();
    Firebird::IStatement* Prepara(Firebird::IAttachment* attacco, Firebird::ITransaction* transazione,
                                  const QString& testo);

    Firebird::IMaster* master_;
    Firebird::IUtil* util_;
    Firebird::IProvider* provider_;
    Firebird::IStatus* status_;
    Firebird::CheckStatusWrapper st_;
};

// What a reference load built, to be compared with what the window built.
struct MenuCostruito {
    int Programmi = 0;
    int Rapide = 0;
    int Voci = 0; // entries of the loaded program's menu, separators included
    int Pulsantoni = 0;
};

class SequenzaDiRiferimento {
public:
    // The users database and the archive as they are attached by name (the archive's own
    // location rules are file work, not statements, and are left out).
    SequenzaDiRiferimento(const QString& nomeUtenti, const QString& nomeArchivio);
    ~SequenzaDiRiferimento();
    SequenzaDiRiferimento(const SequenzaDiRiferimento&) = delete;
    SequenzaDiRiferimento& operator=(const SequenzaDiRiferimento&) = delete;

    // From the click on OK to the menu: password, user, session, archive, rights, programs,
    // menu of the first program, window position, the two opening parameters.
    void Login(const QString& utente, const QString& digitata);
    // The company list the dialog shows, then everything the change does once one is chosen.
    void CambioDitta(const QString& ditta);
    // A menu entry of a form X export in mode 1, up to the call of the export.
    void Lancio(int programma, int menu);

    int Istruzioni() const { return client_.Istruzioni; }
    const MenuCostruito& Menu() const { return menu_; }

private:
    using Righe = std::vector<ClienteTesto::Riga>;
    Righe SuUtenti(const QString& testo);     // the data module's users transaction
    Righe SuAux(const QString& testo);        // the window's own transaction
    void RiavviaUtenti();
    void RiavviaAux();

    void ImpostaUtente(const QString& nome);
    QString CaricaParametro(const QString& nome);
    void ConnettiArchivio();
    void LeggiProgettoEProfilo();
    void CaricaProgrammi();
    void CaricaMenu(int programma);
    bool CercaFigli(int programma, int menu, int livello);
    void CreaVoci(int programma, int menu, int livello);
    void CaricaPosizione();
    bool VerificaSemafori(const QString& dll, const QString& funzione);
    void OccupaSemaforo(const QString& dll, const QString& funzione, int idFinestra);

    ClienteTesto client_;
    QString nomeArchivio_;
    Firebird::IAttachment* utenti_ = nullptr;
    Firebird::IAttachment* archivio_ = nullptr;
    Firebird::ITransaction* transazioneUtenti_ = nullptr;
    Firebird::ITransaction* transazioneAux_ = nullptr;

    int numUser_ = 0;
    QString nomeUser_;
    QString ditta_;
    int codiceSessione_ = 0;
    int codiceProgetto_ = 0;
    int codiceProfilo_ = 0;
    int primoProgramma_ = 0;
    MenuCostruito menu_;
};

} // namespace bench
