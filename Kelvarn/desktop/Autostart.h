#pragma once

#include <QString>

#include <optional>

namespace kelvarn::desktop {

// "Start at Login": an XDG autostart entry, which every desktop reads when the user logs in.

// $XDG_CONFIG_HOME/autostart/kelvarn.desktop (~/.config when that is unset).
QString autostartEntryPath();

// The entry's text, starting program (an absolute path) with no arguments.
QString autostartEntry(const QString& program);

// Writes the entry at entryPath (atomically: a half-written entry would start nothing) or removes
// it. Returns what went wrong, in words for the user, or nothing when it worked.
std::optional<QString> setStartAtLogin(const QString& entryPath, bool start,
                                       const QString& program);

} // namespace kelvarn::desktop
