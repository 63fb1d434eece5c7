// The select-media page never lets the first task format away the image it is to copy or the program
// itself: an image or the program's folder on the chosen key is refused, found by its volume or, where a
// volume has no name, by its letter.
#include "CaseNames.h"
#include "PageFixture.h"

#include "framework/CString.h"
#include "resources/StringIds.h"
#include "support/FileBytes.h"
#include "support/win32/ProgramFolder.h"

#include <cstring>
#include <fstream>
#include <memory>

namespace {

enum class Place {
    Key,       // copied into the key's root and chosen as "P:\name.iso"
    KeyFolder, // in a folder of the key, as "P:\mounted\name.iso"
    Relative,  // in the key's root, chosen by its bare name with the key's root as current folder
    Tests,     // where make-page-images put it, on another letter
};

// Where the program lies.
enum class Program {
    Beside,    // beside the tests, on another letter
    OnKey,     // in "P:\orvella"
    KeyFolder, // in "P:\mounted"
    Lost,      // its path cannot be had by the time Next is pressed
};

const char *const kKeyVolume = "\\\\?\\Volume{0d15c0de-0000-0000-0000-00000000004b}\\";
const char *const kOtherVolume = "\\\\?\\Volume{0d15c0de-0000-0000-0000-0000000000aa}\\";
const char *const kProgramVolume = "\\\\?\\Volume{0d15c0de-0000-0000-0000-0000000000bb}\\";

// What the volume functions answer, when the case replaces them: the key's root is its own mount
// point; the program's folder lies under `programMountPoint`, every other path under
// `imageMountPoint`. A null volume name cannot be named.
struct Volumes {
    const char *imageMountPoint;
    const char *imageVolume;
    const char *keyVolume;
    const char *programMountPoint = "R:\\";
    const char *programVolume = kProgramVolume;
};

struct ImageOnKeyCase {
    const char *what;
    Common::u32 task;
    const char *image; // of make-page-images
    Place place;
    Program program;
    bool throughTable; // else the platform's own answers (under Wine the key's letter has no volume name)
    Volumes volumes;
    UINT refusal; // the message, or 0 when Next goes on
};

void PrintTo(const ImageOnKeyCase &c, std::ostream *out) { *out << c.what; }

// Answers of the replaced volume functions.
const Volumes kReal{};
const Volumes kAnotherLetterNamingTheKey{"Y:\\", kKeyVolume, kKeyVolume};
const Volumes kAnotherVolumeInAKeyFolder{"P:\\mounted\\", kOtherVolume, kKeyVolume};
const Volumes kUnnamedKeyVolume{"P:\\mounted\\", kOtherVolume, nullptr};
const Volumes kNoVolumeNames{"Y:\\", nullptr, nullptr};
const Volumes kProgramOnALetterNamingTheKey{"Y:\\", kOtherVolume, kKeyVolume, "R:\\", kKeyVolume};
const Volumes kProgramOnAnotherVolumeInAKeyFolder{"Y:\\", kOtherVolume, kKeyVolume, "P:\\mounted\\",
                                                  kProgramVolume};
const Volumes kProgramInAKeyFolderUnnamedKey{"Y:\\", kOtherVolume, nullptr, "P:\\mounted\\", kProgramVolume};

const ImageOnKeyCase cases[] = {
    {"on the key, by its letter", 0, "plain", Place::Key, Program::Beside, false, kReal, IDS_IMAGE_ON_KEY},
    {"on the key, by a bare name in the current folder", 0, "plain", Place::Relative, Program::Beside, false,
     kReal, IDS_IMAGE_ON_KEY},
    {"on another letter", 0, "plain", Place::Tests, Program::Beside, false, kReal, 0},
    {"adding from the key formats nothing", 1, "multi", Place::Key, Program::Beside, false, kReal, 0},
    {"on another letter that names the key's volume", 0, "plain", Place::Tests, Program::Beside, true,
     kAnotherLetterNamingTheKey, IDS_IMAGE_ON_KEY},
    {"in a folder of the key where another volume is mounted", 0, "plain", Place::KeyFolder, Program::Beside,
     true, kAnotherVolumeInAKeyFolder, 0},
    // Where a volume has no name, the letters decide, whatever the other volume is.
    {"in a folder of the key, the key's volume without a name", 0, "plain", Place::KeyFolder, Program::Beside,
     true, kUnnamedKeyVolume, IDS_IMAGE_ON_KEY},
    {"on another letter, neither volume with a name", 0, "plain", Place::Tests, Program::Beside, true,
     kNoVolumeNames, 0},

    // The program's own folder, whatever the source.
    {"the program on the key, by its letter", 0, "plain", Place::Tests, Program::OnKey, false, kReal,
     IDS_PROGRAM_ON_KEY},
    {"the image and the program on the key: the image is named first", 0, "plain", Place::Key, Program::OnKey,
     false, kReal, IDS_IMAGE_ON_KEY},
    {"adding with the program on the key formats nothing", 1, "multi", Place::Tests, Program::OnKey, false,
     kReal, 0},
    // Without its folder the build could not install the boot loader: it is refused before the format.
    {"the program's path cannot be had: no boot loader to install", 0, "plain", Place::Tests, Program::Lost,
     false, kReal, IDS_PROGRAM_FOLDER_UNKNOWN},
    {"the image on the key and the program's path lost: the image is named first", 0, "plain", Place::Key,
     Program::Lost, false, kReal, IDS_IMAGE_ON_KEY},
    {"adding with the program's path lost takes nothing from its folder", 1, "multi", Place::Tests,
     Program::Lost, false, kReal, 0},
    {"the program on another letter that names the key's volume", 0, "plain", Place::Tests, Program::Beside,
     true, kProgramOnALetterNamingTheKey, IDS_PROGRAM_ON_KEY},
    {"the program in a folder of the key where another volume is mounted", 0, "plain", Place::Tests,
     Program::KeyFolder, true, kProgramOnAnotherVolumeInAKeyFolder, 0},
    {"the program in a folder of the key, the key's volume without a name", 0, "plain", Place::Tests,
     Program::KeyFolder, true, kProgramInAKeyFolderUnnamedKey, IDS_PROGRAM_ON_KEY},
};

class ImageOnKey : public PageFixture, public ::testing::WithParamInterface<ImageOnKeyCase> {
  protected:
    static BOOL WINAPI volumePath(LPCSTR path, LPSTR mountPoint, DWORD size) {
        const char *answer = _stricmp(path, "P:\\") == 0                  ? "P:\\"
                             : _stricmp(path, programFolder.c_str()) == 0 ? current->volumes.programMountPoint
                                                                          : current->volumes.imageMountPoint;
        if (std::strlen(answer) + 1 > size)
            return FALSE;
        std::strcpy(mountPoint, answer);
        return TRUE;
    }
    static BOOL WINAPI volumeName(LPCSTR mountPoint, LPSTR name, DWORD size) {
        const char *answer = _stricmp(mountPoint, "P:\\") == 0 ? current->volumes.keyVolume
                             : _stricmp(mountPoint, current->volumes.programMountPoint) == 0
                                 ? current->volumes.programVolume
                                 : current->volumes.imageVolume;
        if (!answer || std::strlen(answer) + 1 > size)
            return FALSE;
        std::strcpy(name, answer);
        return TRUE;
    }

    static const ImageOnKeyCase *current;
    // The program's folder with a backslash, as the page asks for its volume.
    static std::string programFolder;
};

const ImageOnKeyCase *ImageOnKey::current = nullptr;
std::string ImageOnKey::programFolder;

TEST_P(ImageOnKey, TheFirstTaskRefusesAnImageOrTheProgramOnTheKeyBeforeAnythingIsFormatted) {
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

    // A program on the key was started from there, with its licence and the boot loader beside it.
    programFolder = testFolder();
    std::unique_ptr<ProgramInFolder> moved;
    if (c.program == Program::OnKey || c.program == Program::KeyFolder) {
        std::string folder = keyRoot + (c.program == Program::OnKey ? "orvella" : "mounted");
        ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
        for (const char *file : {"eula.en", "eula.ja", "syslinux.exe"})
            ASSERT_TRUE(::CopyFileA((testFolder() + file).c_str(), (folder + "\\" + file).c_str(), TRUE));
        moved = std::make_unique<ProgramInFolder>(folder);
        programFolder = folder + "\\";
    }

    // A lost program path must not be read as the root of the current drive, here the key's.
    std::unique_ptr<CurrentFolder> inKeyRoot;
    if (c.place == Place::Relative || c.program == Program::Lost) {
        inKeyRoot = std::make_unique<CurrentFolder>(keyRoot);
        ASSERT_TRUE(inKeyRoot->made());
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
    // Lost after the licence page, which would otherwise have closed the wizard.
    std::unique_ptr<ProgramPathLost> lost;
    if (c.program == Program::Lost)
        lost = std::make_unique<ProgramPathLost>(ProgramPathLoss::CallFails, keyRoot.substr(0, 2));
    chooseImage(chosen);
    int formatsBefore = lastFormat->calls;
    press(PSBTN_NEXT);
    std::vector<std::string> shown = takeBoxes();

    if (!c.refusal) {
        EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0]);
        EXPECT_EQ(currentId(), 115u);
        return;
    }
    // The key is never formatted and the image on it stays whole, even where the user goes on from
    // a page that let the case through.
    auto expectKeyUntouched = [&] {
        buildIfLetThrough();
        EXPECT_EQ(lastFormat->calls, formatsBefore) << "the key is formatted";
        if (!onKey.empty()) {
            EXPECT_TRUE(readWholeFile(onKey) == readWholeFile(source)) << onKey;
        }
    };
    expectKeyUntouched();
    CString expected;
    if (c.refusal == IDS_IMAGE_ON_KEY)
        expected.Format(IDS_IMAGE_ON_KEY, (c.place == Place::Tests ? source : onKey).c_str(), kKeyLetter);
    else if (c.refusal == IDS_PROGRAM_ON_KEY)
        expected.Format(IDS_PROGRAM_ON_KEY, kKeyLetter);
    else
        expected.LoadString(c.refusal);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], std::string(expected));
    EXPECT_EQ(boxes.boxes().back().type, UINT(MB_ICONERROR));
    EXPECT_EQ(currentId(), 109u);
    EXPECT_EQ(history().size(), 4u) << "a refusal pushes nothing";

    // Next again refuses again.
    press(PSBTN_NEXT);
    EXPECT_EQ(takeBoxes(), shown);
    expectKeyUntouched();
}

INSTANTIATE_TEST_SUITE_P(Places, ImageOnKey, ::testing::ValuesIn(cases), NamedByWhat());

} // namespace
