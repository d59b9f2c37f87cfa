#include "player/playeroptions.h"

#include "app/settings.h"

std::optional<PlayerOption> PlayerOptionOfTag(int tag)
{
    if (tag < int(PlayerOption::Shuffle) || tag > int(PlayerOption::StayOnTop))
        return std::nullopt;
    return PlayerOption(tag);
}

const char *PlayerOptionKey(PlayerOption option)
{
    switch (option) {
    case PlayerOption::Shuffle:
        return "Shuffle";
    case PlayerOption::AutoRun:
        return "AutoRun";
    case PlayerOption::Minimize:
        return "Minimize";
    case PlayerOption::StayOnTop:
        return "StayOnTop";
    }
    return "";
}

bool ReadPlayerOption(const QString &settingsBase, PlayerOption option)
{
    return ReadIniBool(settingsBase, "OPT", PlayerOptionKey(option), false);
}

void WritePlayerOption(const QString &settingsBase, PlayerOption option, bool on)
{
    WriteIniBool(settingsBase, "OPT", PlayerOptionKey(option), on);
}
