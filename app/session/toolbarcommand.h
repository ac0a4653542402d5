#pragma once

// The toolbar's command table: a click on toolbar button i runs command i.
// Index 3 has no command.
enum class ToolbarCommand : int {
    Open = 0,
    Save = 1,
    RandomCut = 2,
    TellAFriend = 4,
    Settings = 5,
    Help = 6,
    Exit = 7,
};
