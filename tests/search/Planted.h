// What the planted libraries and programs share with the tests: where they say that they ran.
#pragma once

// The file each planted library or program appends a line to when it is loaded or started: its own
// path, and a program's command line. Unset, they do nothing but end.
constexpr const char *kPlantedMarkerVariable = "ORVELLA_PLANTED_MARKER";
