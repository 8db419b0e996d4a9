#pragma once
// Registers the ledger extension with the desktop the freedesktop way: a MIME
// type for the extension, a desktop entry that opens such files with the
// program, the program's icon for both, and the entry made the default.
#include <QString>

class QIcon;

namespace velmo {

struct Association {
    QString extension;     // without the dot, e.g. "vqd"
    QString mime_type;     // e.g. "application/x-velmorant-ledger"
    QString description;   // shown by file managers
    QString desktop_name;  // e.g. "velmorant" (file velmorant.desktop)
    QString app_name;      // Name= of the desktop entry
    QString program;       // full path of the program
    // The program was installed by its package, which registered the type, the
    // desktop entry and the icons system-wide: only the default is set then, so
    // that no entry of the user's hides the package's (or outlives it).
    bool installed = false;
};

// Writes the MIME package, the desktop entry, the icons and the default
// application under $XDG_DATA_HOME and $XDG_CONFIG_HOME (or their usual
// places); for an installed program the default application alone. Writing again replaces the same files and lines. False when a file
// or folder cannot be written.
bool register_association(const Association& a, const QIcon& icon);

// The Exec value of the desktop entry: the program as one quoted argument, then
// %f, escaped as desktop entries require, whatever characters the path holds.
QString desktop_exec_value(const QString& program);

// Tells the desktop's databases about the change, where their tools exist.
void refresh_desktop_databases();

// The text of a mimeapps.list with mime_type's default set to desktop_file,
// every other line kept.
QString with_default_application(const QString& mimeapps, const QString& mime_type, const QString& desktop_file);

}  // namespace velmo
