#include "framework/file_association.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QProcess>
#include <QStandardPaths>

#include "framework/runtime.h"

namespace velmo {

namespace {

QString home_dir(const char* variable, const QString& fallback) {
    QString dir = qEnvironmentVariable(variable);
    if (dir.isEmpty()) dir = QDir::homePath() + fallback;
    return dir;
}

bool write_text(const QString& path, const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    const QByteArray utf8 = text.toUtf8();
    return write_file_atomic(path, std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))).ok;
}

bool write_icon(const QString& path, const QIcon& icon) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    return icon.pixmap(64, 64).save(path, "PNG");
}

}  // namespace

QString with_default_application(const QString& mimeapps, const QString& mime_type, const QString& desktop_file) {
    const QString header = QStringLiteral("[Default Applications]");
    const QString entry = mime_type + QLatin1Char('=') + desktop_file;
    QStringList lines = mimeapps.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QStringList out;
    bool in_section = false, placed = false;
    for (const QString& line : lines) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (in_section && !placed) {
                out << entry;
                placed = true;
            }
            in_section = trimmed == header;
            out << line;
            continue;
        }
        if (in_section && trimmed.startsWith(mime_type + QLatin1Char('='))) {
            if (!placed) out << entry;
            placed = true;
            continue;
        }
        out << line;
    }
    if (!placed) {
        if (!in_section) out << header;
        out << entry;
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString desktop_exec_value(const QString& program) {
    // The program as one quoted argument: inside the quotes ", `, $ and \ take a backslash.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // A literal % is written %%, so that it is not taken for a field code.
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const QString command = quoted + QStringLiteral(" %f");
    // Then the escapes of every string value of the file, backslash first.
    QString value;
    for (const QChar c : command) {
        if (c == QLatin1Char('\\')) value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n')) value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t')) value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r')) value += QStringLiteral("\\r");
        else value += c;
    }
    return value;
}

bool register_association(const Association& a, const QIcon& icon) {
    const QString data = home_dir("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    const QString config = home_dir("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    const QString icon_name = QString(a.mime_type).replace(QLatin1Char('/'), QLatin1Char('-'));

    const QString mime_xml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"%1\">\n"
                       "    <comment>%2</comment>\n"
                       "    <icon name=\"%3\"/>\n"
                       "    <glob pattern=\"*.%4\"/>\n"
                       "  </mime-type>\n"
                       "</mime-info>\n")
            .arg(a.mime_type, a.description.toHtmlEscaped(), icon_name, a.extension);
    const QString desktop = QStringLiteral(
                                "[Desktop Entry]\n"
                                "Type=Application\n"
                                "Name=%1\n"
                                "Exec=%2\n"
                                "Icon=%3\n"
                                "MimeType=%4;\n"
                                "Terminal=false\n")
                                .arg(a.app_name, desktop_exec_value(a.program), a.desktop_name, a.mime_type);
    const QString desktop_file = a.desktop_name + QStringLiteral(".desktop");
    const QString mimeapps_path = config + QStringLiteral("/mimeapps.list");
    const auto set_default = [&] {
        const QString old = QString::fromUtf8(QByteArray::fromStdString(read_file(mimeapps_path).value_or(std::string())));
        return write_text(mimeapps_path, with_default_application(old, a.mime_type, desktop_file));
    };
    if (a.installed) return set_default();
    if (!write_text(data + QStringLiteral("/mime/packages/") + a.desktop_name + QStringLiteral(".xml"), mime_xml))
        return false;
    if (!write_text(data + QStringLiteral("/applications/") + desktop_file, desktop)) return false;
    // Icons: the program's and the ledger files'. Missing icons do not undo the association.
    write_icon(data + QStringLiteral("/icons/hicolor/64x64/apps/") + a.desktop_name + QStringLiteral(".png"), icon);
    write_icon(data + QStringLiteral("/icons/hicolor/64x64/mimetypes/") + icon_name + QStringLiteral(".png"), icon);

    return set_default();
}

void refresh_desktop_databases() {
    const QString data = home_dir("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    const QString mime_tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    // The tool wants the packages folder, which an installed program's association
    // (its MIME package lies in the system's folder) does not make.
    if (!mime_tool.isEmpty() && QDir().mkpath(data + QStringLiteral("/mime/packages")))
        QProcess::execute(mime_tool, {data + QStringLiteral("/mime")});
    const QString desktop_tool = QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
    if (!desktop_tool.isEmpty()) QProcess::execute(desktop_tool, {data + QStringLiteral("/applications")});
}

}  // namespace velmo
