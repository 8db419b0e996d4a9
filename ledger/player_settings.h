#pragma once
// The settings the player makes (ledger/settings_parts.h), as the program
// holds them while it runs: read from and written to the name registry, and
// observed by whatever shows or uses them, which follows changed() instead of
// being told by hand.
#include <QObject>

#include <vector>

#include "ledger/settings_parts.h"

namespace velmo {

class PlayerSettings : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    template <typename Part>
    const Part& get() const {
        return parts_.get<Part>();
    }
    // A setting the player changed: changed() follows when the part differs.
    template <typename Part>
    void set(const Part& value) {
        if (parts_.get<Part>() == value) return;
        parts_.set(value);
        Q_EMIT changed();
    }
    const SettingsParts& parts() const { return parts_; }

    // What the name registry holds: every part, and the records of types no
    // codec here reads, kept to be written back. changed() follows when a part
    // differs; what is loaded counts as saved.
    void load(SettingsParts parts, std::vector<RegistryRecord> unread);
    const std::vector<RegistryRecord>& unread() const { return unread_; }

    // True while a part differs from what was last loaded or saved.
    bool unsaved() const { return !(parts_ == saved_); }
    // After the registry was written with the parts as they are.
    void mark_saved() { saved_ = parts_; }

Q_SIGNALS:
    // Once per change of any part, after the change.
    void changed();

private:
    SettingsParts parts_;
    SettingsParts saved_;
    std::vector<RegistryRecord> unread_;
};

}  // namespace velmo
