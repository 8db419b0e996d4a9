#pragma once
// The program under test in a folder of its own. A program in a folder its user
// can write keeps its user files and its instance lock beside itself, so that
// tests starting the one in the build folder would share velmo.lst and meet
// each other's lock; each copy has its own.
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace velmo::testing {

class PrivateProgram {
public:
    // Links (or, across file systems, copies) the built program into a new
    // temporary folder; path() is empty when that fails. An installed one lies in
    // bin/ with its desktop entry in share/applications/, and keeps its user
    // files in the data folder however writable its own folder is.
    explicit PrivateProgram(bool installed = false);
    QString path() const { return path_; }
    QString folder() const { return QFileInfo(path_).path(); }
    QString file(const QString& name) const { return folder() + QLatin1Char('/') + name; }

private:
    QTemporaryDir dir_;
    QString path_;
};

// The environment of a test's run of the program: offscreen, and its data folder
// (XDG_DATA_HOME) in the given folder.
QProcessEnvironment program_environment(const QString& data_home);

}  // namespace velmo::testing
