#pragma once

#include <QObject>

class QSocketNotifier;

namespace piattaforma {

// The stop signals (SIGTERM, SIGINT, SIGHUP) are kept from every handler (the database
// engine installs its own, which detaches every database and leaves the program running
// on dead connections): BloccaSegnaliDiFine, first thing in main and before any thread
// starts, blocks them for the whole process; TSegnaliDiFine then reads them on the event
// loop and says so with Ricevuto.
void BloccaSegnaliDiFine();

class TSegnaliDiFine : public QObject {
    Q_OBJECT
public:
    explicit TSegnaliDiFine(QObject* parent = nullptr);
    ~TSegnaliDiFine() override;

signals:
    void Ricevuto(int segnale);

private:
    void Leggi();

    int descrittore_ = -1;
    QSocketNotifier* notificatore_ = nullptr;
};

// For programs with nothing to close (the demo builder, the screenshot command): a stop
// signal ends the process at once, with the usual exit status. First thing in main.
void FineImmediataSuSegnale();

} // namespace piattaforma
