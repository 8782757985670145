// What the data module offers the function libraries: the launch of a single-integer
// export, the recording of a launched window's handle, and the way to reach the module.

#include "datamodule/TabX.h"

#include "fb/Errore.h"
#include "fb/Valori.h"
#include "piattaforma/Librerie.h"

#include <quendra/Funzioni.h>


void TTabXForm::AvviaFunzXDll(const QString& dll, const QString& funzione, qint32 intero) {
    if (void* esportazione = piattaforma::CaricaEsportazione(dll, funzione))
        reinterpret_cast<QuendraFunzione1>(esportazione)(intero);
}

bool TTabXForm::ScritturaHandleDiApertura(qint32 idFinestra, qint64 handle) {
    try {
        // A fresh snapshot, so the row that the launch has just committed is seen.
        QueryNorvane.Close();
        if (TransazioneUser.InTransaction())
            TransazioneUser.Rollback();
        TransazioneUser.StartTransaction();
        QueryNorvane.SQL.Clear();
        QueryNorvane.SQL.Add(QStringLiteral("UPDATE KESTOLOGFUNZ SET HANDLEFINESTRA=") + fb::Quota(handle));
        QueryNorvane.SQL.Add(QStringLiteral("WHERE IDFINESTRA=") + fb::Quota(idFinestra));
        QueryNorvane.ExecSQL();
        TransazioneUser.CommitRetaining();
        return true;
    } catch (const fb::EErroreDB&) {
        return false;
    }
}
