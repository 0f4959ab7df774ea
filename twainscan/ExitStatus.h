// The tool's exit statuses: one per kind of failure, so scripts can tell them apart.
#pragma once

enum EExitStatus : int {
    EXIT_OK = 0,
    EXIT_USAGE = 1,          // bad command line
    EXIT_NO_MANAGER = 2,     // TWAINDSM.dll missing or refusing MSG_OPENDSM
    EXIT_NO_SOURCE = 3,      // no source at all, or none by the name asked for
    EXIT_OPEN_REFUSED = 4,   // the source refused MSG_OPENDS
    EXIT_CANCELLED = 5,      // the user or the source cancelled
    EXIT_DEVICE_ERROR = 6,   // enabling or a transfer failed
    EXIT_NOTHING_TO_SCAN = 7,
    EXIT_TIMEOUT = 8,        // the source never said it was ready
    EXIT_OUTPUT_ERROR = 9,   // an image file could not be written
    EXIT_CAP_REFUSED = 10,   // the source refused a setting asked for
};
