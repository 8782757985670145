#pragma once

#include <QString>

#include <functional>

// The window semaphores a launch consults. An empty member allows everything and does
// nothing, which is what a launch gets until the caller fills it.
struct ControlliSemaforo {
    // Asked before the library is loaded. False stops the launch; whoever says no has
    // already recorded and explained the refusal.
    std::function<bool(const QString& dll, const QString& funzione)> PuoAprire;
    // Forms that carry a window identifier only, once the export has been found and just
    // before it runs: takes the semaphore when the window is a critical one. False stops the
    // launch (another workstation took a conflicting window meanwhile), the refusal already
    // recorded and explained.
    std::function<bool(const QString& dll, const QString& funzione, qint32 idFinestra)> Occupa;
};

// The five loaders, one per entry form of the function libraries. A library that does not
// load or an export that is not there ends the launch without a word. Libraries are never
// unloaded: every launch asks the loader again.
class TFunzioniDll {
public:
    ControlliSemaforo Semafori;

    void CaricaFunzioneDLL(const QString& dll, const QString& funzione, qint32 numUser);
    // An empty text goes as a null pointer.
    void CaricaFunzioneDLL2(const QString& dll, const QString& funzione, const QString& parametri,
                            qint32 numUser);
    void CaricaFunzioneDLLX(const QString& dll, const QString& funzione, qint32 idFinestra,
                            qint32 numUser);
    // An empty text goes as a null pointer.
    void CaricaFunzioneDLL2X(const QString& dll, const QString& funzione, const QString& parametri,
                             qint32 idFinestra, qint32 numUser);
    // An empty text goes as "", never null.
    void CaricaFunzioneDLL3Y(const QString& dll, const QString& funzione, const QString& parametri,
                             qint32 idFinestra, qint32 numUser);

private:
    // Semaphore check, load and look-up; null when the launch stops.
    void* Prepara(const QString& dll, const QString& funzione);
    // The same, then the semaphore of the window is taken.
    void* PreparaConFinestra(const QString& dll, const QString& funzione, qint32 idFinestra);
};
