// The demo's printing library: the rows of a dataset as a table under the report's title,
// in Qt's print preview, from which they print or go to a PDF file.

#include "datamodule/TabX.h"

#include <quendra/Funzioni.h>

#include <QAction>
#include <QFileDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>

namespace {

QString Html(const QString& titolo, const QString& report, fb::TDataSet& dataset) {
    QString html = QStringLiteral("<h2>") + titolo.toHtmlEscaped() + QStringLiteral("</h2>");
    if (!report.isEmpty())
        html += QStringLiteral("<p><small>") + report.toHtmlEscaped() + QStringLiteral("</small></p>");
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\"><tr>");
    for (const fb::TDefinizioneCampo& campo : dataset.FieldDefs())
        html += QStringLiteral("<th>") + campo.Nome.toHtmlEscaped() + QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    for (int riga = 0; riga < dataset.RecordCount(); ++riga) {
        html += QStringLiteral("<tr>");
        for (int campo = 0; campo < dataset.FieldCount(); ++campo)
            html += QStringLiteral("<td>") + fb::TestoValore(dataset.Valore(riga, campo)).toHtmlEscaped() +
                    QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

void SalvaPdf(QWidget* padre, const QTextDocument& documento, const QString& titolo) {
    const QString file = QFileDialog::getSaveFileName(padre, QStringLiteral("Salva in PDF"), titolo + QStringLiteral(".pdf"),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (file.isEmpty())
        return;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName(file);
    documento.print(&pdf);
}

void MostraAnteprima(void* dataset, void* modulo) {
    TTabXForm* tabx = *static_cast<TTabXForm**>(modulo);
    auto& righe = *static_cast<fb::TDataSet*>(dataset);
    const QString titolo = tabx->GetV(QStringLiteral("TitoloStampa"));
    QTextDocument documento;
    documento.setHtml(Html(titolo, tabx->GetV(QStringLiteral("NomeReport")), righe));

    QPrinter stampante(QPrinter::HighResolution);
    stampante.setDocName(titolo);
    QPrintPreviewDialog anteprima(&stampante);
    anteprima.setObjectName(QStringLiteral("AnteprimaStampa"));
    anteprima.setWindowTitle(QStringLiteral("Anteprima di stampa - ") + titolo);
    QObject::connect(&anteprima, &QPrintPreviewDialog::paintRequested, &anteprima,
                     [&documento](QPrinter* printer) { documento.print(printer); });
    if (auto* barra = anteprima.findChild<QToolBar*>()) {
        QAction* pdf = barra->addAction(QStringLiteral("Salva PDF"));
        pdf->setObjectName(QStringLiteral("AzioneSalvaPdf"));
        QObject::connect(pdf, &QAction::triggered, &anteprima,
                         [&] { SalvaPdf(&anteprima, documento, titolo); });
    }
    anteprima.resize(900, 700);
    anteprima.exec();
}

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowVrot11FormD(void* dataset, void* modulo) {
    MostraAnteprima(dataset, modulo);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowVrot11MemFormD(void* dataset, void* modulo) {
    MostraAnteprima(dataset, modulo);
    return 0;
}
