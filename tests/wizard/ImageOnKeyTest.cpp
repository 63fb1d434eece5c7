// The select-media page never lets the first task format away the image it is to copy: an image on
// the chosen key is refused, found by its volume or, where a volume has no name, by its letter.
#include "PageFixture.h"

#include "framework/CString.h"
#include "resources/StringIds.h"
#include "support/FileBytes.h"

#include <cstring>
#include <fstream>

namespace {

enum class Place {
    Key,       // copied into the key's root and chosen as "P:\name.iso"
    KeyFolder, // in a folder of the key, as "P:\mounted\name.iso"
    Relative,  // in the key's root, chosen by its bare name with the key's root as current folder
    Tests,     // where make-page-images put it, on another letter
};

// What the volume functions answer, when the case replaces them: the key's root is its own mount
// point; every other path lies under `imageMountPoint`. A null volume name cannot be named.
struct Volumes {
    const char *imageMountPoint;
    const char *imageVolume;
    const char *keyVolume;
};

struct ImageOnKeyCase {
    const char *what;
    Common::u32 task;
    const char *image; // of make-page-images
    Place place;
    bool throughTable; // else the platform's own answers (under Wine the key's letter has no volume name)
    Volumes volumes;
    bool refused;
};

// Puts the current folder back when the test ends.
struct CurrentFolderRestored {
    CurrentFolderRestored() { ::GetCurrentDirectoryA(MAX_PATH, saved); }
    ~CurrentFolderRestored() { ::SetCurrentDirectoryA(saved); }
    char saved[MAX_PATH];
};

void PrintTo(const ImageOnKeyCase &c, std::ostream *out) { *out << c.what; }

const char *const kKeyVolume = "\\\\?\\Volume{0d15c0de-0000-0000-0000-00000000004b}\\";
const char *const kOtherVolume = "\\\\?\\Volume{0d15c0de-0000-0000-0000-0000000000aa}\\";

// Answers of the replaced volume functions.
const Volumes kReal{};
const Volumes kAnotherLetterNamingTheKey{"Y:\\", kKeyVolume, kKeyVolume};
const Volumes kAnotherVolumeInAKeyFolder{"P:\\mounted\\", kOtherVolume, kKeyVolume};
const Volumes kUnnamedKeyVolume{"P:\\mounted\\", kOtherVolume, nullptr};
const Volumes kNoVolumeNames{"Y:\\", nullptr, nullptr};

const ImageOnKeyCase cases[] = {
    {"on the key, by its letter", 0, "plain", Place::Key, false, kReal, true},
    {"on the key, by a bare name in the current folder", 0, "plain", Place::Relative, false, kReal, true},
    {"on another letter", 0, "plain", Place::Tests, false, kReal, false},
    {"adding from the key formats nothing", 1, "multi", Place::Key, false, kReal, false},
    {"on another letter that names the key's volume", 0, "plain", Place::Tests, true,
     kAnotherLetterNamingTheKey, true},
    {"in a folder of the key where another volume is mounted", 0, "plain", Place::KeyFolder, true,
     kAnotherVolumeInAKeyFolder, false},
    // Where a volume has no name, the letters decide, whatever the other volume is.
    {"in a folder of the key, the key's volume without a name", 0, "plain", Place::KeyFolder, true,
     kUnnamedKeyVolume, true},
    {"on another letter, neither volume with a name", 0, "plain", Place::Tests, true, kNoVolumeNames, false},
};

class ImageOnKey : public PageFixture, public ::testing::WithParamInterface<ImageOnKeyCase> {
  protected:
    static BOOL WINAPI volumePath(LPCSTR path, LPSTR mountPoint, DWORD size) {
        const char *answer = _stricmp(path, "P:\\") == 0 ? "P:\\" : current->volumes.imageMountPoint;
        if (std::strlen(answer) + 1 > size)
            return FALSE;
        std::strcpy(mountPoint, answer);
        return TRUE;
    }
    static BOOL WINAPI volumeName(LPCSTR mountPoint, LPSTR name, DWORD size) {
        const char *answer =
            _stricmp(mountPoint, "P:\\") == 0 ? current->volumes.keyVolume : current->volumes.imageVolume;
        if (!answer || std::strlen(answer) + 1 > size)
            return FALSE;
        std::strcpy(name, answer);
        return TRUE;
    }

    static const ImageOnKeyCase *current;
};

const ImageOnKeyCase *ImageOnKey::current = nullptr;

TEST_P(ImageOnKey, TheFirstTaskRefusesAnImageOnTheKeyBeforeAnythingIsFormatted) {
    const ImageOnKeyCase &c = GetParam();
    current = &c;
    std::string source = pageImage(c.image);
    std::string chosen = source;
    std::string onKey;
    if (c.place != Place::Tests) {
        std::string folder = keyRoot;
        if (c.place == Place::KeyFolder) {
            folder += "mounted\\";
            ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
        }
        onKey = folder + c.image + ".iso";
        ASSERT_TRUE(::CopyFileA(source.c_str(), onKey.c_str(), TRUE));
        chosen = c.place == Place::Relative ? std::string(c.image) + ".iso" : onKey;
    }
    if (c.task == kAddDiscToKey)
        std::ofstream(keyRoot + "kxmboot.cfg") << "multiboot\n";

    CurrentFolderRestored folderBack;
    if (c.place == Place::Relative) {
        ASSERT_TRUE(::SetCurrentDirectoryA(keyRoot.c_str()));
    }
    if (!c.throughTable) {
        // What these cases are about: the platform names no volume for the key here.
        char name[MAX_PATH];
        ASSERT_FALSE(sys.GetVolumeNameForVolumeMountPointA(keyRoot.c_str(), name, MAX_PATH));
    }
    ScopedSystemCall<decltype(sys.GetVolumePathNameA)> path(
        sys.GetVolumePathNameA, c.throughTable ? &ImageOnKey::volumePath : sys.GetVolumePathNameA);
    ScopedSystemCall<decltype(sys.GetVolumeNameForVolumeMountPointA)> name(
        sys.GetVolumeNameForVolumeMountPointA,
        c.throughTable ? &ImageOnKey::volumeName : sys.GetVolumeNameForVolumeMountPointA);

    goToSelectMedia(c.task);
    chooseImage(chosen);
    int formatsBefore = lastFormat->calls;
    press(PSBTN_NEXT);
    std::vector<std::string> shown = takeBoxes();

    if (!c.refused) {
        EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
        EXPECT_EQ(currentId(), 115u);
        return;
    }
    CString expected;
    expected.Format(IDS_IMAGE_ON_KEY, (c.place == Place::Tests ? source : onKey).c_str(), kKeyLetter);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::string(expected));
    EXPECT_EQ(boxes.boxes().back().type, UINT(MB_ICONERROR));
    EXPECT_EQ(currentId(), 109u);
    EXPECT_EQ(history().size(), 4u) << "a refusal pushes nothing";

    // Next again refuses again; the key is never formatted and the image stays whole.
    press(PSBTN_NEXT);
    EXPECT_EQ(takeBoxes(), shown);
    EXPECT_EQ(lastFormat->calls, formatsBefore);
    if (!onKey.empty()) {
        EXPECT_TRUE(readWholeFile(onKey) == readWholeFile(source)) << onKey;
    }
}

INSTANTIATE_TEST_SUITE_P(Places, ImageOnKey, ::testing::ValuesIn(cases), [](const auto &info) {
    std::string name;
    for (const char *p = info.param.what; *p; ++p)
        if (isalnum(static_cast<unsigned char>(*p)))
            name += *p;
    return name;
});

} // namespace
