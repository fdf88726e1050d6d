#pragma once
// The simulated QX module's channel plan as a user changes it in a spreadsheet: three
// frequencies (written short, as a spreadsheet shows them) and one bandwidth. The separator and
// quoting a spreadsheet saves with are the caller's.

#include <QByteArray>

inline QByteArray ChangedInASpreadsheet(QByteArray csv) {
    csv.replace("\r\n0,410.012500,25,", "\r\n0,433.125,25,")
        .replace("\r\n1,410.025000,25,", "\r\n1,433.15,25,")
        .replace("\r\n3,410.050000,25,", "\r\n3,433.1,12.5,")
        .replace("\r\n4,410.062500,25,", "\r\n4,433.1125,25,");
    return csv;
}
