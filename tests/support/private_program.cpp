#include "tests/support/private_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace velmo::testing {

PrivateProgram::PrivateProgram(bool installed)
    : dir_(QFileInfo(QStringLiteral(VELMO_EXE)).path() + QStringLiteral("/private-XXXXXX")) {
    if (!dir_.isValid()) return;
    if (installed) {
        QFile entry(dir_.filePath(QStringLiteral("share/applications/velmorant.desktop")));
        if (!QDir().mkpath(dir_.filePath(QStringLiteral("bin"))) ||
            !QDir().mkpath(dir_.filePath(QStringLiteral("share/applications"))) || !entry.open(QIODevice::WriteOnly))
            return;
    }
    const QString target = dir_.filePath(installed ? QStringLiteral("bin/velmorant") : QStringLiteral("velmorant"));
    // A hard link: /proc/self/exe names the link the program was started by.
    if (::link(VELMO_EXE, QFile::encodeName(target).constData()) == 0 || QFile::copy(QStringLiteral(VELMO_EXE), target))
        path_ = target;
}

QProcessEnvironment program_environment(const QString& data_home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), data_home);
    return env;
}

}  // namespace velmo::testing
