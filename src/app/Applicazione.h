#pragma once

#include <QApplication>

#include <exception>

// The program's application object. Anything an event handler does not catch ends that event
// only: its text is shown in an error box and the program goes on.
class TApplicazione : public QApplication {
public:
    TApplicazione(int& argc, char** argv);
    bool notify(QObject* destinatario, QEvent* evento) override;

    // The same report, for code that runs outside an event (the program start).
    static void MostraEccezione(const std::exception& e);
    // Any exception, std::exception or not: the report of every guarded handler.
    static void MostraEccezione(std::exception_ptr eccezione);
};
