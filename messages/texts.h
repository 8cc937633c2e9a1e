#pragma once

// Every word the program shows, in Italian and UTF-8: the window's on both
// systems, its boxes, and brenvo1-scan's messages, so that they all say the
// same.

#include <string_view>

namespace brenvo1::messages {

inline constexpr std::string_view kWindowTitle = "Scandilo";
inline constexpr std::string_view kMessageBoxCaption = "Brenvo1";

// Captions, and the initial texts of the two text boxes.
inline constexpr std::string_view kSearchButton = "Trova";
inline constexpr std::string_view kFolderPathInitialText = "Percorso";
inline constexpr std::string_view kSearchTextInitialText = "Testo";

// Names a screen reader says for each control.
inline constexpr std::string_view kFolderPathName = "Percorso";
inline constexpr std::string_view kSearchTextName = "Testo";
inline constexpr std::string_view kResultListName = "Risultati";
inline constexpr std::string_view kSearchButtonName = "Trova";

// The result list's context menu; "&" marks the key that picks an item.
inline constexpr std::string_view kOpenMenuItem = "&Apri";
inline constexpr std::string_view kCopyPathMenuItem = "&Copia percorso";
// The key that copies a path too, as the Windows menu names it beside the item.
inline constexpr std::string_view kCopyPathKey = "Ctrl+C";

inline constexpr std::string_view kFolderMissingMessage = "Impossibile trovare il percorso";
// Followed by the number of entries that could not be read.
inline constexpr std::string_view kUnreadableEntriesMessage = "File o cartelle non leggibili: ";
// Why an entry could not be read, in front of its path in the details; any
// other reason is said in the system's own words.
inline constexpr std::string_view kReasonInUse = "in uso da un altro programma";
inline constexpr std::string_view kReasonAccessDenied = "accesso negato";
inline constexpr std::string_view kReasonGone = "non più presente";
// The last line of the details when there were more unreadable entries than
// the details list; followed by how many more.
inline constexpr std::string_view kMoreUnreadableEntries = "... e altri ";
// The captions of the button that unfolds a box's details and folds them
// again (those of Qt's own box in Italian).
inline constexpr std::string_view kShowDetails = "Mostra dettagli...";
inline constexpr std::string_view kHideDetails = "Nascondi dettagli...";
inline constexpr std::string_view kEditorFailedMessage = "Impossibile avviare l'editor di testo";
// Followed by what went wrong, for failures nothing else reports.
inline constexpr std::string_view kSearchFailedMessage = "Errore durante la ricerca: ";
inline constexpr std::string_view kFailedMessage = "Errore: ";
// A run command given no file system to search: never, unless the
// program's start is broken.
inline constexpr std::string_view kNoFileSystem = "servizio dei file non disponibile";

// The window could not be opened at all; followed by the system's reason.
inline constexpr std::string_view kWindowStartFailed = "Impossibile aprire la finestra di Scandilo: ";
// Linux: no display to open it on. The first is followed by the display's
// name in quotes, then, in brackets, what Qt said.
inline constexpr std::string_view kDisplayUnreachable = "brenvo1: impossibile aprire la finestra sul display ";
inline constexpr std::string_view kNoDisplay =
    "brenvo1: nessun display grafico disponibile (DISPLAY e WAYLAND_DISPLAY non sono impostate)";

// brenvo1-scan.
inline constexpr std::string_view kScanUsage =
    "uso: brenvo1-scan CARTELLA TESTO\n"
    "Scrive il percorso di ogni file che contiene TESTO, uno per riga; i file\n"
    "e le cartelle non leggibili, con il motivo, su standard error.\n"
    "Su Windows scrive in una console in Unicode; in un file o in una pipe nella\n"
    "tabella codici della console (chcp), con righe CRLF, o in UTF-8 se non ha\n"
    "console. Un percorso che quella tabella codici non può rappresentare non\n"
    "viene scritto: è indicato su standard error e lo stato di uscita è 4\n"
    "(con chcp 65001 la tabella codici è UTF-8).\n"
    "Stato di uscita: 0 tutto letto; 1 cartella non trovata; 2 argomenti errati;\n"
    "3 alcuni file o cartelle non leggibili; 4 ricerca non riuscita o risultati\n"
    "non tutti scritti.\n";
// Followed by the system's reason.
inline constexpr std::string_view kScanWriteFailed = "brenvo1-scan: scrittura dei risultati: ";
inline constexpr std::string_view kScanFailed = "brenvo1-scan: ";
// Followed by a hit's path, which the output's code page cannot hold.
inline constexpr std::string_view kScanPathNotWritable =
    "brenvo1-scan: percorso non scritto, la tabella codici della console non lo può rappresentare: ";

}  // namespace brenvo1::messages
