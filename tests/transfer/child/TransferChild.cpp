// The transfer as the program runs it, in a process of its own: the caller watches how it ends.
//   transfer_child image IMAGE KEY_LETTER     an image source into the key's root
//   transfer_child drive DISC_LETTER KEY_LETTER SCRIPT     a CD/DVD handed to a creation script
//   transfer_child menu KEY_LETTER     a first task's menu entry appended to the key's syslinux.cfg
// Each message box is written to standard output as "box <icon> <text>" and answered with OK.
#include "keybuilder/DeviceManager.h"
#include "keybuilder/MediaDefinition.h"
#include "platform/SystemCalls.h"

#include <cstdio>
#include <cstring>

namespace {

int WINAPI printBox(HWND, LPCSTR text, LPCSTR, UINT type) {
    std::printf("box %u %s\n", static_cast<unsigned>(type & MB_ICONMASK), text ? text : "");
    std::fflush(stdout);
    return IDOK;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], "menu") == 0) {
        CDeviceManager key;
        // Set directly: Open would also open the disk and volume devices, which no test may touch.
        key.letter = argv[2][0];
        bool written = key.AddSyslinuxMenuEntry("disc1", "Disc One 1.0 x64", "isolinux.cfg", 0, "50");
        std::printf("returned %d\n", written ? 1 : 0);
        return 0;
    }
    bool image = argc == 4 && std::strcmp(argv[1], "image") == 0;
    bool drive = argc == 5 && std::strcmp(argv[1], "drive") == 0;
    if (!image && !drive) {
        std::fprintf(stderr, "usage: transfer_child image IMAGE KEY | drive DISC KEY SCRIPT | menu KEY\n");
        return 2;
    }
    sys.MessageBoxA = printBox;

    CMediaDefinition media;
    if (image) {
        Common::IsoImage opened{Common::string(argv[2])};
        if (!opened.isOpen()) {
            std::fprintf(stderr, "cannot open %s\n", argv[2]);
            return 2;
        }
        media.image = opened;
        media.sourceIsImage = 1;
        media.definitionPath = kMediaDefinitionPath;
    } else {
        media.sourceLetter = argv[2][0];
        media.creationScript = argv[4];
    }
    bool result = media.TransferToKey(argv[3][0], true);
    std::printf("returned %d\n", result ? 1 : 0);
    return 0;
}
