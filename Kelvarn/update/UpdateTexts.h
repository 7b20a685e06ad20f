#pragma once

#include "update/UpdateState.h"

#include <QString>

#include <optional>

namespace kelvarn::update {

// The update banner's line for a state; absent when the banner shows nothing (idle, checking).
std::optional<QString> bannerText(const UpdateState& state, const QString& currentVersion);

// The status menu's "Version 1.2 (34)".
QString versionLabel(const QString& version, qint64 build);

} // namespace kelvarn::update
