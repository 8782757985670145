#pragma once

// Shared by the fuzz targets: a failed check prints what was seen and aborts, so libFuzzer
// keeps the input as a crash.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline QByteArray Mostra(const QString& testo) {
    QByteArray uscita;
    for (const QChar c : testo) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != u'\\')
            uscita += char(u);
        else
            uscita += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')).toLatin1();
    }
    return uscita;
}

[[noreturn]] inline void Fallisce(const char* file, int riga, const char* condizione,
                                  const QString& dettagli) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n%s\n", file, riga, condizione,
                 Mostra(dettagli).constData());
    std::abort();
}

// Qt's warnings (a file name with a NUL in it, say) would flood the fuzzer's output.
inline void ZittisciQt() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

} // namespace fuzz

#define VERIFICA(condizione, dettagli)                                                     \
    do {                                                                                   \
        if (!(condizione))                                                                 \
            ::fuzz::Fallisce(__FILE__, __LINE__, #condizione, (dettagli));                 \
    } while (false)
