/*
 * The boundary between Quendra and the function libraries it launches.
 *
 * A function library is a shared library (on Linux a file such as "Pelmar.so", named
 * exactly as the menu row stores it) whose exports open the business windows. Quendra
 * loads it by file name, finds the export by its exact name and calls it on the
 * user-interface thread; the call is synchronous, so an export opens its window
 * (non-modal) and returns.
 *
 * The menu row picks one of five forms by the export name's last character:
 *
 *   form 1   (user)                              name ends neither in 'X' nor 'Y', mode 1
 *   form 2   (user, parameters)                  name ends neither in 'X' nor 'Y', mode 2
 *   form X   (user, window id)                   name ends in 'X', mode 1
 *   form 2X  (user, parameters, window id)       name ends in 'X', mode 2
 *   form 3Y  (user, window id, parameters)       name ends in 'Y'
 *
 * Only the upper-case letters count: "Aprix" is form 1 or 2.
 *
 * - user: the number of the logged-in user; window id: the key of this launch in the call
 *   log (table KESTOLOGFUNZ, column IDFINESTRA), 0 when the log keeps no windows.
 * - parameters: the menu row's parameter text, zero-terminated, in Windows-1252. In forms
 *   2 and 2X an empty text arrives as a null pointer; in form 3Y as "" (never null). The
 *   pointer is valid only during the call: copy what you keep.
 * - The result is ignored (return 0) and nothing else comes back.
 * - The library is never unloaded: every launch loads it again and it stays until the
 *   program ends, so its globals live across launches.
 *
 * Recording the window's handle: a library that received a window id may store the handle
 * of the window it opened, so that Quendra refuses to close while that window is open.
 * Link the core library (quendracore) and, from C++:
 *
 *     #include <quendra/Quendra.h>
 *     if (TTabXForm* modulo = DataModuleCorrente())
 *         modulo->ScritturaHandleDiApertura(idFinestra, static_cast<qint64>(finestra->winId()));
 *
 * The handle is the window's native id as an integer (QWidget::winId()). The same data
 * module instance gives the libraries its other services.
 *
 * This header is plain C and needs nothing but the C library.
 */
#ifndef QUENDRA_FUNZIONI_H
#define QUENDRA_FUNZIONI_H

#include <stdint.h>

/* The Windows convention for exports; x86-64 and Linux have a single one. */
#if defined(_WIN32) && !defined(_WIN64)
#define QUENDRA_STDCALL __stdcall
#else
#define QUENDRA_STDCALL
#endif

#ifdef __cplusplus
#define QUENDRA_C_ESTERNO extern "C"
#else
#define QUENDRA_C_ESTERNO
#endif

/*
 * Marks an export with its plain, undecorated name, visible even when the library is built
 * with hidden visibility:
 *
 *     QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriAgendaX(int32_t utente, int32_t idFinestra);
 *
 * On 32-bit Windows the compiler still decorates stdcall names (_ApriAgendaX@8): list the
 * exports in a .def file there.
 */
#if defined(_WIN32)
#define QUENDRA_ESPORTA QUENDRA_C_ESTERNO __declspec(dllexport)
#else
#define QUENDRA_ESPORTA QUENDRA_C_ESTERNO __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t(QUENDRA_STDCALL* QuendraFunzione1)(int32_t utente);
typedef int32_t(QUENDRA_STDCALL* QuendraFunzione2)(int32_t utente, const char* parametri);
typedef int32_t(QUENDRA_STDCALL* QuendraFunzioneX)(int32_t utente, int32_t idFinestra);
typedef int32_t(QUENDRA_STDCALL* QuendraFunzione2X)(int32_t utente, const char* parametri,
                                                    int32_t idFinestra);
typedef int32_t(QUENDRA_STDCALL* QuendraFunzione3Y)(int32_t utente, int32_t idFinestra,
                                                    const char* parametri);

/*
 * The printing library "Vrot" (Vrot.so beside the program) exports two entries of this
 * shape, both called by the data module's LanciaStampaConDll on the user-interface thread:
 *
 *   ShowVrot11FormD      for a query dataset (class name "TIBQuery")
 *   ShowVrot11MemFormD   for any other dataset
 *
 * dataset:  the fb::TDataSet whose rows are printed, as a pointer;
 * modulo:   the address of a variable holding the TTabXForm* of the data module.
 * The report's title and name are in the data module's in-memory parameters "TitoloStampa"
 * and "NomeReport" (GetV). The call shows the preview and returns when it closes; the
 * result is ignored and the library is unloaded afterwards.
 */
typedef int32_t(QUENDRA_STDCALL* QuendraStampa)(void* dataset, void* modulo);

#ifdef __cplusplus
}
#endif

#endif /* QUENDRA_FUNZIONI_H */
