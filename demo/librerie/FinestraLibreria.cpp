#include "FinestraLibreria.h"

#include "datamodule/TabX.h"

#include <QWidget>

namespace {

void RegistraHandle(qint32 idFinestra, QWidget* finestra) {
    // 0 means the call log keeps no windows: there is no row to write into.
    if (idFinestra == 0)
        return;
    if (TTabXForm* modulo = DataModuleCorrente())
        modulo->ScritturaHandleDiApertura(idFinestra, static_cast<qint64>(finestra->winId()));
}

} // namespace

void MostraFinestraLibreria(QWidget* finestra, std::optional<qint32> idFinestra) {
    finestra->setAttribute(Qt::WA_DeleteOnClose);
    // The company it works on, as the menu window names it: a window never outlives a change.
    if (TTabXForm* modulo = DataModuleCorrente(); modulo && !modulo->GetDitta().isEmpty())
        finestra->setWindowTitle(finestra->windowTitle() + QStringLiteral(" - Ditta: ") + modulo->GetDitta());
    finestra->show();
    if (idFinestra)
        RegistraHandle(*idFinestra, finestra);
}
