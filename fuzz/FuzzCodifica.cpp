// Windows-1252: any bytes decode and encode back unchanged, and any UTF-16 text encodes to
// one byte per character, '?' for what the code page cannot hold.

#include "Verifica.h"

#include "piattaforma/Codifica.h"

#include <QHash>

#include <cstddef>
#include <cstdint>
#include <cstring>

using namespace piattaforma;

namespace {

// Byte of each character the code page holds, taken from the decoder so that both
// directions are held to the same table.
const QHash<char16_t, char>& Rappresentabili() {
    static const QHash<char16_t, char> tabella = [] {
        QHash<char16_t, char> t;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            t.insert(DaCp1252(QByteArrayView(&byte, 1)).at(0).unicode(), byte);
        }
        return t;
    }();
    return tabella;
}

void VerificaByte(QByteArrayView byte) {
    const QString testo = DaCp1252(byte);
    VERIFICA(testo.size() == byte.size(), testo);
    for (qsizetype i = 0; i < byte.size(); ++i) {
        const auto b = static_cast<unsigned char>(byte[i]);
        const char16_t c = testo.at(i).unicode();
        // Outside 0x80-0x9F the code page is Latin-1; inside it never gives a surrogate.
        if (b < 0x80 || b >= 0xA0)
            VERIFICA(c == b, testo);
        else
            VERIFICA(!QChar::isSurrogate(c) && c != u'?', testo);
    }
    VERIFICA(ACp1252(testo) == byte, testo);
}

void VerificaTesto(const QString& testo) {
    const QHash<char16_t, char>& tabella = Rappresentabili();
    QByteArray atteso;
    QString rappresentabile;
    bool tuttoRappresentabile = true;
    for (qsizetype i = 0; i < testo.size(); ++i) {
        const char16_t c = testo.at(i).unicode();
        const auto trovato = tabella.constFind(c);
        if (trovato != tabella.constEnd()) {
            atteso += *trovato;
            rappresentabile += QChar(c);
            continue;
        }
        // A surrogate pair is one character, so one '?'.
        if (QChar::isHighSurrogate(c) && i + 1 < testo.size() && testo.at(i + 1).isLowSurrogate())
            ++i;
        atteso += '?';
        rappresentabile += u'?';
        tuttoRappresentabile = false;
    }
    const QByteArray codificato = ACp1252(testo);
    VERIFICA(codificato == atteso, testo);
    const QString riletto = DaCp1252(codificato);
    VERIFICA(riletto == rappresentabile, testo + u'|' + riletto);
    if (tuttoRappresentabile)
        VERIFICA(riletto == testo, testo + u'|' + riletto);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t misura) {
    const QByteArrayView byte(reinterpret_cast<const char*>(dati), qsizetype(misura));
    VerificaByte(byte);
    // The same bytes read as UTF-16 reach every character, lone surrogates included.
    QString utf16(qsizetype(misura / 2), Qt::Uninitialized);
    if (!utf16.isEmpty())
        std::memcpy(utf16.data(), dati, size_t(utf16.size()) * sizeof(QChar));
    VerificaTesto(utf16);
    // And as UTF-8, which is how the seeds are readable.
    VerificaTesto(QString::fromUtf8(byte));
    return 0;
}
