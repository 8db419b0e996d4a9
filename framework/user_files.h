#pragma once
// Where the user's own files (the name registry velmo.lst, the lifetime records
// velmo.rcd) are kept. A program run from a folder its user can write keeps them
// beside itself, as it always has; an installed program, whose folder the user
// cannot write (or that belongs to the system), keeps them in the user's data
// folder, $XDG_DATA_HOME/velmorant/ (~/.local/share/velmorant/ when unset).
#include <QString>

namespace velmo {

enum class UserFilePlace { ProgramDir, DataDir };

// What the location of one file depends on.
struct UserFileFacts {
    bool program_dir_own = false;  // the program's folder is writable by this user and not an installed program's
    bool in_program_dir = false;   // the file exists beside the program
    bool in_data_dir = false;      // the file exists in the data folder
};

struct UserFilePlaces {
    UserFilePlace read;
    UserFilePlace write;
};

// The rule: written to the program's folder when it is the user's own, else to
// the data folder; read from the same place, unless the file exists only in
// the other one, which is then read (and the next save writes the usual place).
UserFilePlaces user_file_places(const UserFileFacts& facts);

// The user's data folder for the program, with a trailing '/'.
QString user_data_dir();

// Whether the program is installed: its folder is prefix/bin, with the desktop
// entry the package installs in prefix/share/applications.
bool program_is_installed();

// Whether the program's folder (program_dir()) is the user's own: writable by
// this user and not the folder of an installed program (one with its desktop
// entry in ../share/applications, such as /usr/bin, which root can write too).
bool program_dir_is_own();

// The path a user file is read from, by user_file_places.
QString user_file_read_path(const QString& name);
// The path a user file is written to. Without create_folder nothing changes on
// disk; with it a missing data folder is made (mode 0700, as are missing parents).
QString user_file_write_path(const QString& name, bool create_folder = false);

}  // namespace velmo
