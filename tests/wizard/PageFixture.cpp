// The page fixture: a key, the doubles and the images.
#include "PageFixture.h"

#include "framework/Resources.h"

unsigned long long PageFixture::keyFreeMB = 0;

std::string testFolder() {
    char path[MAX_PATH];
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string pageImage(const char *name) { return testFolder() + "page-images\\" + name + ".iso"; }

std::string loadedText(unsigned id) {
    std::string text;
    LoadResourceString(id, text);
    return text;
}

std::string windowText(HWND window) {
    int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

PageFixture::PageFixture(bool withKey, int answer)
    : m_withKey(withKey), boxes(answer), m_freeSpace(sys.GetDiskFreeSpaceExA, &PageFixture::freeSpace) {}

BOOL WINAPI PageFixture::freeSpace(LPCSTR root, PULARGE_INTEGER available, PULARGE_INTEGER total,
                                   PULARGE_INTEGER totalFree) {
    if (root && root[0] == kKeyLetter) {
        if (available)
            available->QuadPart = keyFreeMB << 20;
        if (total)
            total->QuadPart = static_cast<unsigned long long>(kKeySizeMB) << 20;
        if (totalFree)
            totalFree->QuadPart = keyFreeMB << 20;
        return TRUE;
    }
    return ::GetDiskFreeSpaceExA(root, available, total, totalFree);
}

void PageFixture::SetUp() {
    keyFreeMB = kKeySizeMB;
    if (m_withKey) {
        keyRoot = disks.folderLetter(kKeyLetter);
        ASSERT_FALSE(keyRoot.empty());
        disks.setDiskList({"IDE\\DiskST3500\\1", "USBSTOR\\Disk&Ven_Kx&Prod_Key\\1"});
        disks.defineLetter(kKeyLetter, "\\Device\\Harddisk1\\Partition1");
        devices.addDisk(1, FakeKeyDevices::geometry(3900, 255, 63, 512));
        devices.addVolume(kKeyLetter);
    }
    WizardSheetFixture::SetUp();
    HMODULE library = ::GetModuleHandleA("fmifs.dll");
    ASSERT_NE(library, nullptr);
    setFormatOutcome = reinterpret_cast<SetFormatOutcomeFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, kSetFormatOutcome)));
    lastFormat = reinterpret_cast<LastFormatCallFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(library, kLastFormatCall)))();
    setFormatOutcome(FormatOutcome::Succeed);
}

void PageFixture::TearDown() { WizardSheetFixture::TearDown(); }

void PageFixture::click(CWnd &page, int id) {
    ::SendMessageA(control(page, id), BM_CLICK, 0, 0);
    PumpMessages();
}

void PageFixture::goToSelectMedia(unsigned task) {
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 173u);
    click(sheet->m_eulaPage, IDC_AGREE);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 174u);
    click(sheet->m_taskPage, task == kAddDiscToKey ? IDC_TASK_ADD : IDC_TASK_CREATE);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 106u);
    press(PSBTN_NEXT);
    ASSERT_EQ(currentId(), 109u);
}

void PageFixture::chooseImage(const std::string &path) {
    click(sheet->m_findKeyPage, IDC_ISO_FILE_RADIO);
    ::SetWindowTextA(control(sheet->m_findKeyPage, IDC_ISO_PATH), path.c_str());
}

void PageFixture::buildIfLetThrough() {
    if (currentId() != 115u)
        return;
    ScopedSystemCall<decltype(sys.ExitProcess)> end(sys.ExitProcess, [](UINT) {});
    press(PSBTN_NEXT);
}

std::vector<std::string> PageFixture::takeBoxes() {
    std::vector<std::string> texts;
    for (; m_boxesTaken < boxes.boxes().size(); ++m_boxesTaken)
        texts.push_back(boxes.boxes()[m_boxesTaken].text);
    return texts;
}
