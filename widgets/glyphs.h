// The buttons' small pictures, drawn in code so the program carries no image files.
#pragma once

#include <QIcon>

namespace ui {

enum class Glyph {
    record,      // a red dot: start a scan
    pause,       // two bars
    stop,        // a square
    fastDown,    // two arrow heads to the left: move the arm continuously down
    stepDown,    // one arrow head to the left
    stepUp,      // one arrow head to the right
    fastUp,      // two arrow heads to the right
    highVoltage, // a lightning flash
    speaker,     // a loudspeaker
    reset,       // a circular arrow
    save,        // a floppy disk
    load,        // an open folder
    close,       // a cross
    print,       // a printer
    setup,       // a spanner
    exit,        // a door with an arrow
    help,        // a question mark in a circle
    ok,          // a tick
};

// The picture, 16 x 16 pixels.
QIcon glyph(Glyph kind);

} // namespace ui
