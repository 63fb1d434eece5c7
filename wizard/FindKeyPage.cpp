// The media selection page: the source (a CD/DVD drive or an image) and the target key, and
// the checks that they fit each other and the task.
#include "wizard/FindKeyPage.h"

#include "common/IsoImage.h"
#include "framework/CWaitCursor.h"
#include "framework/DataExchange.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "keybuilder/PathFunctions.h"
#include "platform/SystemCalls.h"
#include "resources/StringIds.h"
#include "wizard/DefinitionText.h"
#include "wizard/Wizard97.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace {

CString loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// The drive letter an item starts with; 0 when nothing is selected.
char selectedLetter(const CComboBox &combo) {
    int selected = combo.GetCurSel();
    if (selected == CB_ERR)
        return 0;
    CString text;
    combo.GetLBText(selected, text);
    return text.IsEmpty() ? 0 : text[0];
}

CString windowText(const CWnd &control) {
    int length = control.GetWindowTextLength();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    control.GetWindowText(text.data(), length + 1);
    return CString(text.data());
}

// The platform's own text for an error code; empty when it has none.
CString systemErrorText(DWORD code) {
    char *buffer = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    CString text = length && buffer ? CString(buffer) : CString();
    if (buffer)
        ::LocalFree(buffer);
    return text;
}

// The path as the system resolves it against the current folder; the path itself when that fails.
CString fullPathOf(const CString &path) {
    DWORD length = ::GetFullPathNameA(path, 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::vector<char> full(length + 1, '\0');
    DWORD written = ::GetFullPathNameA(path, length + 1, full.data(), nullptr);
    return written == 0 || written > length ? path : CString(full.data());
}

// The system's name of the volume that holds a path ("\\?\Volume{...}\"); empty when it has none.
CString volumeNameOf(const char *path) {
    // The mount point is the path or a part of it, with a backslash at its end.
    std::vector<char> mountPoint(std::max<size_t>(MAX_PATH, std::strlen(path) + 2), '\0');
    char volume[MAX_PATH] = {};
    if (!sys.GetVolumePathNameA(path, mountPoint.data(), static_cast<DWORD>(mountPoint.size())) ||
        !sys.GetVolumeNameForVolumeMountPointA(mountPoint.data(), volume, MAX_PATH))
        return CString();
    return CString(volume);
}

// The drive letter a full path starts with, in upper case; 0 for a path on no letter (a share).
char driveLetterOf(const char *path) {
    if (std::strncmp(path, "\\\\?\\", 4) == 0 || std::strncmp(path, "\\\\.\\", 4) == 0)
        path += 4;
    if (!std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':')
        return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
}

// Whether a file lies on the key. Volumes are compared rather than letters, so that a substituted
// letter or a folder the key is mounted on counts as the key; where either volume has no name, the
// letters are all there is to compare.
bool liesOnKey(const CString &fullPath, char keyLetter) {
    char keyRoot[] = "?:\\";
    keyRoot[0] = keyLetter;
    CString fileVolume = volumeNameOf(fullPath);
    CString keyVolume = volumeNameOf(keyRoot);
    if (!fileVolume.IsEmpty() && !keyVolume.IsEmpty())
        return fileVolume.CompareNoCase(keyVolume) == 0;
    char letter = driveLetterOf(fullPath);
    return letter != 0 && letter == std::toupper(static_cast<unsigned char>(keyLetter));
}

// What the user is told about an image that was refused with no platform error: a sound disc
// whose names or file sizes no key can take is not called damaged.
UINT imageRefusalMessage(Common::IsoRefusal refusal) {
    switch (refusal) {
    case Common::IsoRefusal::UnwritableName:
        return IDS_IMAGE_NAME_UNWRITABLE;
    case Common::IsoRefusal::FileTooLarge:
        return IDS_IMAGE_FILE_TOO_LARGE;
    case Common::IsoRefusal::None:
        break;
    }
    return IDS_IMAGE_DAMAGED;
}

} // namespace

CFindKey::CFindKey() : CInteriorPropertyPage(IDD_FIND_KEY, 0, 0, 0) {
    m_pSheet = nullptr;
    MapCommand(IDC_RESCAN_SOURCE, BN_CLICKED, &CFindKey::OnRescanSource);
    MapCommand(IDC_RESCAN_TARGET, BN_CLICKED, &CFindKey::OnRescanTarget);
    MapCommand(IDC_SOURCE_COMBO, CBN_SELCHANGE, &CFindKey::OnSourceChange);
    MapCommand(IDC_TARGET_COMBO, CBN_SELCHANGE, &CFindKey::OnTargetChange);
    MapCommand(IDC_ISO_FILE_RADIO, BN_CLICKED, &CFindKey::OnSelectIsoFile);
    MapCommand(IDC_CD_DRIVE_RADIO, BN_CLICKED, &CFindKey::OnSelectCdDrive);
    MapCommand(IDC_BROWSE_ISO, BN_CLICKED, &CFindKey::OnBrowseIso);
}

CFindKey::~CFindKey() = default;

void CFindKey::DoDataExchange(CDataExchange *pDX) {
    CInteriorPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOURCE_COMBO, m_sourceCombo);
    DDX_Control(pDX, IDC_TARGET_COMBO, m_targetCombo);
    DDX_Control(pDX, IDC_RESCAN_SOURCE, m_rescanSourceButton);
    DDX_Control(pDX, IDC_RESCAN_TARGET, m_rescanTargetButton);
    DDX_Control(pDX, IDC_INFO_TEXT, m_infoText);
    DDX_Control(pDX, IDC_CD_DRIVE_RADIO, m_cdDriveRadio);
    DDX_Control(pDX, IDC_ISO_FILE_RADIO, m_isoFileRadio);
    DDX_Control(pDX, IDC_FROM_FILE_LABEL, m_fromFileLabel);
    DDX_Control(pDX, IDC_ISO_PATH, m_isoPathEdit);
    DDX_Control(pDX, IDC_BROWSE_ISO, m_browseButton);
    DDX_Control(pDX, IDC_CD_DRIVE_LABEL, m_cdDriveLabel);
}

BOOL CFindKey::OnInitDialog() {
    CWaitCursor wait;
    CInteriorPropertyPage::OnInitDialog();
    m_pSheet->m_deviceManager.FindUsbKeys();
    FillTargetCombo();
    m_pSheet->m_mediaDefinition.FindCdromDrives();
    FillSourceCombo();
    m_cdDriveRadio.SetCheck(BST_CHECKED);
    OnSelectCdDrive();
    return FALSE;
}

BOOL CFindKey::OnSetActive() { return CInteriorPropertyPage::OnSetActive(); }

void CFindKey::FillTargetCombo() {
    for (int i = m_targetCombo.GetCount() - 1; i >= 0; --i)
        m_targetCombo.DeleteString(static_cast<UINT>(i));
    CDeviceManager &keys = m_pSheet->m_deviceManager;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (keys.isUsbKey[letter - 'A'] != 1)
            continue;
        keys.Open(letter);
        unsigned size = static_cast<unsigned>(keys.GetSizeMB());
        if (size < kMinKeySizeMB || size > kMaxKeySizeMB)
            continue;
        CString item;
        item.Format(kKeyItemFormat, letter, size);
        m_targetCombo.AddString(item);
    }
    m_targetCombo.SetCurSel(0);
}

void CFindKey::FillSourceCombo() {
    for (int i = m_sourceCombo.GetCount() - 1; i >= 0; --i)
        m_sourceCombo.DeleteString(static_cast<UINT>(i));
    m_sourceCombo.SetCurSel(0);
    CMediaDefinition &media = m_pSheet->m_mediaDefinition;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (media.cdromFlag[letter - 'A'] != 1)
            continue;
        media.SetSourceDrive(letter);
        CString label = media.GetVolumeLabel();
        CString item;
        item.Format(kDriveItemFormat, letter, static_cast<const char *>(label));
        int added = m_sourceCombo.AddString(item);
        if (media.DefinitionFileExists())
            m_sourceCombo.SetCurSel(added);
    }
}

void CFindKey::DisableIsoControls() {
    m_isoFileRadio.SetCheck(BST_UNCHECKED);
    m_fromFileLabel.EnableWindow(FALSE);
    m_isoPathEdit.EnableWindow(FALSE);
    m_browseButton.EnableWindow(FALSE);
}

void CFindKey::DisableCdControls() {
    m_cdDriveRadio.SetCheck(BST_UNCHECKED);
    m_cdDriveLabel.EnableWindow(FALSE);
    m_sourceCombo.EnableWindow(FALSE);
    m_rescanSourceButton.EnableWindow(FALSE);
}

void CFindKey::OnSelectCdDrive() {
    DisableIsoControls();
    m_cdDriveLabel.EnableWindow(TRUE);
    m_sourceCombo.EnableWindow(TRUE);
    m_rescanSourceButton.EnableWindow(TRUE);
}

void CFindKey::OnSelectIsoFile() {
    DisableCdControls();
    m_fromFileLabel.EnableWindow(TRUE);
    m_isoPathEdit.EnableWindow(TRUE);
    m_browseButton.EnableWindow(TRUE);
}

void CFindKey::OnRescanTarget() {
    CWaitCursor wait;
    m_pSheet->m_deviceManager.FindUsbKeys();
    FillTargetCombo();
}

void CFindKey::OnRescanSource() {
    CWaitCursor wait;
    m_pSheet->m_mediaDefinition.FindCdromDrives();
    FillSourceCombo();
}

void CFindKey::OnBrowseIso() {
    char folder[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, folder);
    CFileDialog dialog(TRUE, kIsoDefaultExtension, nullptr, kIsoDialogFlags, kIsoFilter, nullptr, 0, TRUE);
    dialog.m_ofn.lpstrInitialDir = folder;
    if (dialog.DoModal() == IDOK)
        m_isoPathEdit.SetWindowText(dialog.GetPathName());
}

LRESULT CFindKey::refuse(const CString &message) {
    AfxMessageBox(message, MB_ICONERROR);
    return -1;
}

LRESULT CFindKey::checkImageSource() {
    CMediaDefinition &media = m_pSheet->m_mediaDefinition;
    // Lets go of the image an earlier Next opened.
    media.SetSourceImage(Common::IsoImage(Common::string()));
    CString path = windowText(m_isoPathEdit);
    if (path.IsEmpty())
        return refuse(loaded(IDS_NO_IMAGE_FILENAME));
    Common::IsoImage image{Common::string(static_cast<const char *>(path))};
    if (!image.isOpen()) {
        DWORD code = ::GetLastError();
        if (code == 0)
            return refuse(loaded(imageRefusalMessage(image.refusal())));
        CString message;
        message.Format(IDS_IMAGE_READ_ERROR, static_cast<unsigned>(code),
                       static_cast<const char *>(systemErrorText(code)));
        return refuse(message);
    }
    media.SetSourceImage(image);
    if (!media.image.isFile(Common::string(kMediaDefinitionPath)))
        return refuse(loaded(IDS_IMAGE_NOT_SUPPORTED));
    Common::SharedPtr<Common::XmlElement> tree = media.LoadScriptTree(Common::string(kMediaDefinitionPath));
    if (!tree.get() || !tree->hasChild("filesystem_commands"))
        return refuse(loaded(IDS_IMAGE_NOT_SUPPORTED));
    return 0;
}

LRESULT CFindKey::OnWizardNext() {
    CWaitCursor wait;
    CMediaDefinition &media = m_pSheet->m_mediaDefinition;
    CDeviceManager &key = m_pSheet->m_deviceManager;

    bool fromImage = m_cdDriveRadio.GetCheck() != BST_CHECKED;
    if (!fromImage) {
        char letter = selectedLetter(m_sourceCombo);
        if (!letter)
            return refuse(loaded(IDS_NO_VALID_CDROM));
        media.SetSourceDrive(letter);
        if (!media.DefinitionFileExists())
            return refuse(loaded(IDS_NO_VALID_CDROM));
    } else if (checkImageSource() == -1) {
        return -1;
    }

    media.Load();

    char keyLetter = selectedLetter(m_targetCombo);
    if (!keyLetter)
        return refuse(loaded(IDS_NO_USB_KEYS));
    key.Open(keyLetter);

    // Creating a key formats it: an image on it would either hold the format up with its open
    // handles or be wiped before it is copied.
    if (fromImage && m_pSheet->m_nTask != kAddDiscToKey) {
        CString imagePath = fullPathOf(windowText(m_isoPathEdit));
        char letter = key.GetDriveLetter();
        if (liesOnKey(imagePath, letter)) {
            CString message;
            message.Format(IDS_IMAGE_ON_KEY, static_cast<const char *>(imagePath), letter);
            return refuse(message);
        }
    }

    // The program's own folder on the key would go with the format, and with it the installer and the
    // boot files the build copies after it. The build takes those files from that folder: one that
    // cannot be named would only fail the build after the key is wiped.
    if (m_pSheet->m_nTask != kAddDiscToKey) {
        char programFolder[MAX_PATH + 1];
        if (!GetModuleDirectory(programFolder, MAX_PATH))
            return refuse(loaded(IDS_PROGRAM_FOLDER_UNKNOWN));
        char letter = key.GetDriveLetter();
        // With its backslash a folder that is a drive's root ("P:") names the root, not the current
        // folder of that drive.
        if (liesOnKey(CString(programFolder) + "\\", letter)) {
            CString message;
            message.Format(IDS_PROGRAM_ON_KEY, letter);
            return refuse(message);
        }
        // The boot loader is the user's to place beside the program: a build without it would wipe
        // the key and still leave it unable to boot.
        if (const char *missing = MissingBootFile(programFolder, media.multibootSupport)) {
            CString message;
            message.Format(IDS_BOOT_FILE_MISSING, missing, programFolder);
            return refuse(message);
        }
    }

    if (m_pSheet->m_nTask == kAddDiscToKey) {
        if (!media.multibootSupport)
            return refuse(loaded(IDS_NO_MULTIBOOT_SUPPORT));
        if (!key.HasMultibootConfig())
            return refuse(loaded(IDS_KEY_NOT_MULTIBOOT));
        if (key.KeyDirectoryExists(media.multibootDirectory))
            return refuse(loaded(IDS_ALREADY_ON_KEY));
    }

    Common::u32 freeMB = key.GetFreeSpaceMB();
    Common::u32 sizeMB = static_cast<Common::u32>(key.GetSizeMB());
    Common::u32 needMB = static_cast<Common::u32>(media.sizeMB);
    char letter = key.GetDriveLetter();
    CString message;
    if (m_pSheet->m_nTask == kAddDiscToKey) {
        if (freeMB < needMB) {
            message.Format(IDS_KEY_FREE_SPACE_TOO_SMALL, letter, static_cast<int>(freeMB),
                           static_cast<int>(needMB));
            return refuse(message);
        }
    } else if (sizeMB < needMB) {
        message.Format(IDS_KEY_TOO_SMALL, letter, static_cast<int>(sizeMB), static_cast<int>(needMB),
                       static_cast<const char *>(DefinitionTextForDisplay(media.displaySize)));
        return refuse(message);
    }

    m_pSheet->PushPageHistory(m_nIDD);
    return IDD_FORMAT;
}
