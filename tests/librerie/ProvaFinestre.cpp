// A function library whose window calls back into the data module after it has closed, as
// a library that saves its state late does. The call fails: the program must report it and
// go on.

#include "FinestraLibreria.h"

#include "datamodule/TabX.h"
#include "fb/Query.h"

#include <quendra/Funzioni.h>

#include <QTimer>
#include <QWidget>

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL RichiamaDopoChiusuraX(int32_t, int32_t idFinestra) {
    auto* finestra = new QWidget;
    finestra->setObjectName(QStringLiteral("RichiamoForm"));
    QObject::connect(finestra, &QObject::destroyed, [] {
        QTimer::singleShot(0, [] {
            TTabXForm* modulo = DataModuleCorrente();
            if (modulo == nullptr)
                return;
            fb::TQuery query(&modulo->IBDatabase1, &modulo->IBTransaction1);
            query.SQL.Add(QStringLiteral("SELECT STATO FROM TABELLA_SPARITA"));
            query.Open();
        });
    });
    MostraFinestraLibreria(finestra, idFinestra);
    return 0;
}
