// Texts of the help menu and the about window: the maker's addresses, the edit
// history, and the troubleshooting mail (version, registry summary, message log).
#pragma once

#include <QString>
#include <QStringList>

struct ProgramState;

extern const QString kMakerSite;  // web address
extern const QString kMakerMail;  // e-mail address
extern const QString kProgramVersion;
extern const QString kHelpDocumentName;  // "Software Help.pdf"
extern const QString kNoMailProgramMessage;

// What the help menu says when the desktop could not open the help document or the
// program's folder (no program for it): the file or folder, to open by hand.
QString helpDocumentNotOpenedMessage(const QString& path);
QString programFolderNotOpenedMessage(const QString& path);
// The help document to open: the root folder's copy when it has one (a copied
// program), else the installed one in docDir.
QString helpDocumentPath(const QString& rootDir, const QString& docDir);
// Where the installed program keeps its help document.
extern const QString kInstalledDocDir;

// The about window's edit history, newest first, ending with seven empty lines.
QStringList editHistoryLines();
// One line per registered device: name, ID, address and its named channels.
QStringList registrySummary(const ProgramState& state);
// A "mailto:" address to the maker with the subject and a body holding the program
// version, the registry summary and the last lines of the message log.
QString troubleshootingMailUrl(const QStringList& registry, const QStringList& logLines);
