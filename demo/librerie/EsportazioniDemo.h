#pragma once

// The exports of DemoFunzioni.so, each with the entry form it is written for, named as
// include/quendra/Funzioni.h names them: "1", "2", "X", "2X", "3Y". A menu row, quick entry
// or big button must reach an export in this form: any other hands it arguments it does not
// expect. The library checks its own signatures against this table when it is built.

struct EsportazioneDemo {
    const char* Nome;
    const char* Forma;
};

inline constexpr EsportazioneDemo EsportazioniDemo[] = {
    {"MostraArgomenti", "1"},   {"MostraArgomenti2", "2"},   {"MostraArgomentiX", "X"},
    {"MostraArgomenti2X", "2X"}, {"MostraArgomentiY", "3Y"}, {"MostraVoceRapidaX", "X"},
};
