#include "framework/user_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "framework/runtime.h"

namespace velmo {

namespace {

QString dir_of(UserFilePlace place) { return place == UserFilePlace::ProgramDir ? program_dir() : user_data_dir(); }

bool is_file(const QString& path) { return QFileInfo(path).isFile(); }

UserFileFacts facts_of(const QString& name) {
    UserFileFacts f;
    f.program_dir_own = program_dir_is_own();
    f.in_program_dir = is_file(program_dir() + name);
    f.in_data_dir = is_file(user_data_dir() + name);
    return f;
}

// mkdir -p with mode 0700 for every folder it makes.
bool make_private_path(const QString& dir) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(dir));
    for (qsizetype i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        const QByteArray part = path.left(i);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST && !QFileInfo(QFile::decodeName(part)).isDir())
            return false;
    }
    return QFileInfo(dir).isDir();
}

}  // namespace

UserFilePlaces user_file_places(const UserFileFacts& facts) {
    const UserFilePlace home = facts.program_dir_own ? UserFilePlace::ProgramDir : UserFilePlace::DataDir;
    const UserFilePlace other = facts.program_dir_own ? UserFilePlace::DataDir : UserFilePlace::ProgramDir;
    const bool in_home = facts.program_dir_own ? facts.in_program_dir : facts.in_data_dir;
    const bool in_other = facts.program_dir_own ? facts.in_data_dir : facts.in_program_dir;
    return {!in_home && in_other ? other : home, home};
}

QString user_data_dir() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // Only an absolute path counts; a relative one is ignored, as desktops do.
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.local/share");
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    return base + QStringLiteral("velmorant/");
}

bool program_is_installed() {
    return QFileInfo::exists(program_dir() + QStringLiteral("../share/applications/velmorant.desktop"));
}

bool program_dir_is_own() {
    return ::access(QFile::encodeName(program_dir()).constData(), W_OK) == 0 && !program_is_installed();
}

QString user_file_read_path(const QString& name) { return dir_of(user_file_places(facts_of(name)).read) + name; }

QString user_file_write_path(const QString& name, bool create_folder) {
    const UserFilePlace place = user_file_places(facts_of(name)).write;
    if (create_folder && place == UserFilePlace::DataDir) make_private_path(user_data_dir());
    return dir_of(place) + name;
}

}  // namespace velmo
