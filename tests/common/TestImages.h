// Where the images made by make-iso-images lie, seen from the test's working folder.
#pragma once

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

#include <string>

inline std::string testImage(const std::string &name) { return "iso-images/" + name; }

// A private copy of a made image, for tests that patch bytes of it.
inline std::string copyOfTestImage(const ScratchFolder &scratch, const std::string &name) {
    std::string path = scratch / name;
    writeFileAt(path, 0, readWholeFile(testImage(name)));
    return path;
}
