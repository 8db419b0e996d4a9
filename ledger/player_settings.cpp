#include "ledger/player_settings.h"

namespace velmo {

void PlayerSettings::load(SettingsParts parts, std::vector<RegistryRecord> unread) {
    unread_ = std::move(unread);
    saved_ = parts;
    if (parts == parts_) return;
    parts_ = std::move(parts);
    Q_EMIT changed();
}

}  // namespace velmo
