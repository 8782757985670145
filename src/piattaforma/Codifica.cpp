#include "Codifica.h"

namespace piattaforma {

namespace {

// Characters of bytes 0x80-0x9F; the rest of the code page is Latin-1.
constexpr char16_t TabellaC1[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

char CercaInTabellaC1(char16_t carattere) {
    for (int i = 0; i < 32; ++i) {
        if (TabellaC1[i] == carattere)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

char ConvertiCarattere(char16_t carattere) {
    if (carattere < 0x80 || (carattere >= 0xA0 && carattere <= 0xFF))
        return static_cast<char>(carattere);
    // Covers both the characters of 0x80-0x9F and the C1 controls kept for the
    // undefined bytes; any other C1 control is not in the code page.
    return CercaInTabellaC1(carattere);
}

} // namespace

QByteArray ACp1252(const QString& testo) {
    QByteArray risultato(testo.size(), Qt::Uninitialized);
    char* uscita = risultato.data();
    const QChar* dati = testo.constData();
    const qsizetype lunghezza = testo.size();
    for (qsizetype i = 0; i < lunghezza; ++i) {
        const char16_t carattere = dati[i].unicode();
        // A character outside the BMP is a surrogate pair but still one '?'.
        if (QChar::isHighSurrogate(carattere) && i + 1 < lunghezza && dati[i + 1].isLowSurrogate())
            ++i;
        *uscita++ = ConvertiCarattere(carattere);
    }
    risultato.truncate(uscita - risultato.constData());
    return risultato;
}

QList<char32_t> FuoriCp1252(const QString& testo) {
    QList<char32_t> fuori;
    const qsizetype lunghezza = testo.size();
    for (qsizetype i = 0; i < lunghezza; ++i) {
        const char16_t carattere = testo[i].unicode();
        char32_t codice = carattere;
        if (QChar::isHighSurrogate(carattere) && i + 1 < lunghezza && testo[i + 1].isLowSurrogate())
            codice = QChar::surrogateToUcs4(carattere, testo[++i].unicode());
        else if (carattere == u'?' || ConvertiCarattere(carattere) != '?')
            continue;
        if (!fuori.contains(codice))
            fuori.append(codice);
    }
    return fuori;
}

QString DaCp1252(QByteArrayView byte) {
    QString risultato(byte.size(), Qt::Uninitialized);
    QChar* uscita = risultato.data();
    for (const char c : byte) {
        const auto valore = static_cast<unsigned char>(c);
        *uscita++ = (valore >= 0x80 && valore < 0xA0) ? QChar(TabellaC1[valore - 0x80])
                                                      : QChar(char16_t(valore));
    }
    return risultato;
}

} // namespace piattaforma
