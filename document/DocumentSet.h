#pragma once
// A settings document as the settings pages would hold it after showing it: what their Set
// prepares from it, and what their channel table export writes and import changes. The client
// uses the same widget-free functions as the pages, so a document written here reaches the
// radio, or a file, with the same bytes as through the window.

#include "document/SettingsJson.h"
#include "exchange/WritePlan.h"
#include "orvpage/OrvPageLogic.h"
#include "qxpage/QxPageLogic.h"

#include <QStringList>

#include <string>

namespace Doc {

// What the ORV page's controls hold once filled from the document: the listed frequencies in
// the cells, the protocol and mode the registers name, the layout that mode asks for (the
// normal one when it names none), the address, the close-address box, the port-rate item.
OrvPageLogic::OrvSetInput OrvSetInputOf(const RadioSettings& settings);
bool OrvRepeaterLayoutOf(const RadioSettings& settings);

// What the QX page's list and value members hold once filled from the document.
QxPageLogic::QxSetInput QxSetInputOf(const RadioSettings& settings);

// A document's write, prepared by the page's Set logic, or every reason it cannot be written,
// each as "field: message" with the field named as in the document.
struct PreparedWrite {
    RadioFamily family = FAMILY_ORV;
    OrvWritePlan orv;
    QxWritePlan qx;
    QStringList problems;
};
PreparedWrite PrepareWrite(const SettingsDocument& document);

// The channel table file of the document's 64 channels, as the family's page exports it.
std::string TableFileOf(const SettingsDocument& document);

// What an import of a table file did, in English.
struct TableImport {
    QString refused; // why the file was refused (the document is unchanged); empty: imported
    QString skipped; // what a QX import skipped; empty when nothing
};

// A channel table file put into the document's channels as the family's page imports it into
// its list (the ORV page in the layout the document's mode asks for), or refused whole.
TableImport ImportTableFile(const std::string& bytes, SettingsDocument& document);

// What makes a document that reads well unfit to be written: in the ORV repeater layout the
// radio lists channel 61 in row 63 and the last slot receives on channel 61, so a row 63 that
// differs from row 61 could never be written as shown. One message per bad row.
QStringList LayoutProblems(const SettingsDocument& document);

// Reads the document in path and checks it for the family the command line names. Returns one
// message per bad field (or why the file cannot be read); only when there is none is document
// filled.
QStringList LoadDocument(const QString& path, RadioFamily family, SettingsDocument* document);

// The bytes of the document file in path, read up to the bound every input has; "Cannot read
// <path>: <reason>" when it cannot be read or is larger, else an empty string.
QString ReadDocumentFile(const QString& path, QByteArray* json);

// A document of a family with nothing in it, as a radio with no channels would be read.
SettingsDocument EmptyDocument(RadioFamily family);

} // namespace Doc
