#pragma once

// The player's four on/off options: boolean keys of section "OPT", tagged 1 to 4 alike in
// the player's menu and in the editor's check boxes.

#include <QString>

#include <optional>

enum class PlayerOption { Shuffle = 1, AutoRun = 2, Minimize = 3, StayOnTop = 4 };

// The option of a tag, or nothing for a tag that names no option.
std::optional<PlayerOption> PlayerOptionOfTag(int tag);
const char *PlayerOptionKey(PlayerOption option);

// A missing key reads as off. A refused write throws SettingsError.
bool ReadPlayerOption(const QString &settingsBase, PlayerOption option);
void WritePlayerOption(const QString &settingsBase, PlayerOption option, bool on);
