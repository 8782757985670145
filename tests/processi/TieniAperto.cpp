// A second process of the same installation: opens the database named on the command line
// the way the program does, says "aperto", and keeps it open until its input closes.

#include "db/ZavDB.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QFileInfo file(QString::fromLocal8Bit(argv[1]));
    fb::TDatabase db;
    if (!ApriCreaDatabase(db, file.absolutePath() + QLatin1Char('/'), file.fileName(), {}, {}, nullptr))
        return 1;
    fb::TTransazione transazione(&db);
    transazione.StartTransaction();
    fb::TQuery query(&db, &transazione);
    query.ApriSQL({QStringLiteral("SELECT 1 FROM RDB$DATABASE")});
    std::printf("aperto\n");
    std::fflush(stdout);
    std::string riga;
    while (std::getline(std::cin, riga)) {
    }
    query.Close();
    transazione.Commit();
    return 0;
}
