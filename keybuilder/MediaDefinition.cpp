// CMediaDefinition: the source disc or image, its media definition usbcreator.xml with the override,
// the CD/DVD drive scan, the volume label and the readme viewer.
#include "keybuilder/MediaDefinition.h"

#include "common/SharedPtr.h"
#include "common/TemporaryFile.h"
#include "framework/Startup.h"
#include "keybuilder/ChildProcess.h"
#include "keybuilder/PathFunctions.h"
#include "keybuilder/ZelXMLReader.h"
#include "platform/SystemCalls.h"

#include <windows.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Room for a path, as the platform's path buffers have.
const DWORD kPathBuffer = MAX_PATH;

// The text of an element: the value of its first child when that is a text or CDATA node.
const char *textOf(const CZelXMLNode *node) {
    if (!node || !node->firstChild || node->firstChild->type != CZelXMLNode::text)
        return nullptr;
    return node->firstChild->value;
}

// The field is emptied first, then takes the element's text when there is one.
void takeText(CString &field, const CZelXMLNode *node) {
    field.Empty();
    if (const char *text = textOf(node))
        field = text;
}

CString rootOf(char letter) {
    CString root;
    root.Format("%c:\\", letter);
    return root;
}

// As strtol in base 10, clamped to the 32-bit range whatever the width of long.
std::int32_t decimalValue(const char *text) {
    long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool startsWithYes(const char *text) {
    const char *yes = "yes";
    for (int i = 0; i < 3; ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != yes[i])
            return false;
    }
    return true;
}

// A name as the pages and the boot menu show it: name, version and, when there is one, architecture.
CString fullName(const CString &name, const CString &version, const CString &architecture) {
    CString text = name + " " + version;
    if (!architecture.IsEmpty())
        text += " " + architecture;
    return text;
}

bool printableAscii(unsigned char c) { return c >= 0x20 && c <= 0x7E; }

bool allPrintableAscii(const char *text) {
    for (; *text; ++text)
        if (!printableAscii(static_cast<unsigned char>(*text)))
            return false;
    return true;
}

// Each character outside printable ASCII as one '?': a control character, or a UTF-8 sequence
// whole (a lead byte with the continuation bytes it announces; a stray byte alone).
CString asciiOnly(const char *text) {
    CString ascii;
    const unsigned char *c = reinterpret_cast<const unsigned char *>(text);
    while (*c) {
        if (printableAscii(*c)) {
            ascii += static_cast<char>(*c++);
            continue;
        }
        int continuation = *c >= 0xF0 ? 3 : *c >= 0xE0 ? 2 : *c >= 0xC0 ? 1 : 0;
        ++c;
        while (continuation-- > 0 && (*c & 0xC0) == 0x80)
            ++c;
        ascii += '?';
    }
    return ascii;
}

} // namespace

Common::OutputStream &WriteStringToStream(Common::OutputStream &stream, Common::string text) {
    stream.write(text.c_str(), text.length());
    return stream;
}

CMediaDefinition::CMediaDefinition()
    : cdromFlag(), sourceIsImage(0), sourceLetter(0), sizeMB(0), multibootSupport(0), image(Common::string()),
      scriptProcessId(0) {}

CMediaDefinition::~CMediaDefinition() {}

bool CMediaDefinition::SetSourceDrive(char letter) {
    sourceIsImage = 0;
    sourceLetter = letter;
    definitionPath.Format("%c:%s", letter, kMediaDefinitionPath);
    return true;
}

bool CMediaDefinition::SetSourceImage(const Common::IsoImage &source) {
    sourceIsImage = 1;
    image = source;
    sourceLetter = 0;
    definitionPath = kMediaDefinitionPath;
    return true;
}

bool CMediaDefinition::DefinitionFileExists() {
    if (sourceIsImage)
        return image.isFile(Common::string(definitionPath));
    return FileExists(definitionPath);
}

bool CMediaDefinition::ReadmeExists() {
    if (sourceIsImage)
        return image.isFile(Common::string(readmeFile));
    return FileExists(readmeFile);
}

Common::string CMediaDefinition::copyOutOfImage(const CString &imagePath, const char *extension) {
    // A file missing from the image gives an empty copy.
    Common::string contents;
    image.readFile(Common::string(imagePath), contents);
    Common::TemporaryFile temporary(Common::string(extension), false);
    Common::OutputStream *stream = new Common::OutputStreamToFile(temporary.getName().c_str(), false);
    // The stream pool may be out of room; then no copy is made and the caller reads nothing.
    if (stream) {
        Common::SharedPtr<Common::OutputStream> holder(stream);
        WriteStringToStream(*stream, contents);
    }
    return temporary.getName();
}

bool CMediaDefinition::ParseDefinitionFile(const char *path) {
    char code[3];
    GetSystemLanguageCode(code);
    CZelXMLReader reader;

    // The override always comes from the real file system, also for an image source.
    unsigned result;
    if (sourceIsImage && !std::strstr(path, kOverrideFolder))
        result = reader.LoadFile(copyOutOfImage(path, "xml").c_str());
    else
        result = reader.LoadFile(path);
    if (result != CZelXMLReader::loadOk || !reader.loaded)
        return false;

    CZelXMLNode *cd = reader.FindChild(nullptr, "cd_definition");
    if (!cd)
        return true;

    name.Empty();
    englishName.Empty();
    if (CZelXMLNode *names = reader.FindChild(cd, "name")) {
        CZelXMLNode *english = reader.FindChild(names, "name_xlate", "lang", "en");
        CZelXMLNode *x = reader.FindChild(names, "name_xlate", "lang", code);
        takeText(name, x ? x : english);
        takeText(englishName, english);
    }
    takeText(version, reader.FindChild(cd, "version"));
    takeText(architecture, reader.FindChild(cd, "architecture"));
    displayName = fullName(name, version, architecture);

    creationScript.Empty();
    CZelXMLNode *scripts = reader.FindChild(cd, "scripts");
    CZelXMLNode *windows = scripts ? reader.FindChild(scripts, "windows") : nullptr;
    if (const char *script = textOf(windows ? reader.FindChild(windows, "creation") : nullptr)) {
        char expanded[kPathBuffer + 1] = {};
        DWORD needed = ExpandEnvironmentStringsA(script, expanded, kPathBuffer);
        // An expansion that failed, did not fit or came out too short to hold a drive is no path
        // with a drive: the text as written goes on the source drive.
        if (needed == 0 || needed > kPathBuffer || std::strlen(expanded) < 2 || expanded[1] != ':')
            creationScript.Format("%c:\\%s", sourceLetter, script);
        else
            creationScript = expanded;
    }

    readmeFile.Empty();
    CZelXMLNode *readme = reader.FindChild(cd, "readme_file", "lang", code);
    if (!readme)
        readme = reader.FindChild(cd, "readme_file", "lang", "en");
    if (!readme)
        readme = reader.FindChild(cd, "readme_file");
    if (const char *file = textOf(readme)) {
        if (sourceIsImage)
            readmeFile.Format("\\%s", file);
        else
            readmeFile.Format("%c:\\%s", sourceLetter, file);
    }

    takeText(logFile, reader.FindChild(cd, "log_file"));
    takeText(productId, reader.FindChild(cd, "product_id"));

    sizeMB = 0;
    displaySize.Empty();
    if (CZelXMLNode *size = reader.FindChild(cd, "min_key_size")) {
        if (const char *mb = size->GetAttribute("size_MB"))
            sizeMB = decimalValue(mb);
        if (const char *shown = size->GetAttribute("display_size"))
            displaySize = shown;
    }

    multibootSupport = 0;
    if (const char *multiboot = textOf(reader.FindChild(cd, "multiboot_support")))
        multibootSupport = startsWithYes(multiboot) ? 1 : 0;

    takeText(multibootDirectory, reader.FindChild(cd, "multiboot_directory"));
    takeText(multibootConfigFilename, reader.FindChild(cd, "multiboot_config_filename"));
    timeoutValue = "0";
    if (const char *timeout = textOf(reader.FindChild(cd, "timeout_value")))
        timeoutValue = timeout;
    takeText(volumeLabel, reader.FindChild(cd, "volume_label"));
    return true;
}

CString OverrideFilePath(const char *productId) {
    if (std::strpbrk(productId, "\\/:"))
        return CString();
    // Without the program's folder there is no override folder to look in.
    char directory[kPathBuffer];
    if (!GetModuleDirectory(directory, sizeof directory))
        return CString();
    return CString(directory) + kOverrideFolder + productId + ".xml";
}

bool CMediaDefinition::Load() {
    bool ok = ParseDefinitionFile(definitionPath);
    if (!productId.IsEmpty()) {
        CString path = OverrideFilePath(productId);
        if (!path.IsEmpty() && FileExists(path))
            ok = ParseDefinitionFile(path);
    }
    return ok;
}

bool CMediaDefinition::ShowReadme() {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};

    CString command;
    if (sourceIsImage)
        command.Format(kReadmeCommand, copyOutOfImage(readmeFile, "txt").c_str());
    else
        command.Format(kReadmeCommand, static_cast<const char *>(readmeFile));

    // The viewer starts in the system folder, not in the one the program was started from or the last
    // image was browsed in.
    CString folder = SystemFolder();
    if (folder.IsEmpty()) {
        ShowStartFailure(ERROR_PATH_NOT_FOUND);
        return false;
    }
    // CreateProcessA may write into the command line: hand it a block of its own.
    std::string buffer(command.GetString(), command.GetLength());
    CString viewer = SystemFolderPath(kReadmeViewer);
    if (!sys.CreateProcessA(viewer, &buffer[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                            &process)) {
        ShowStartFailure(GetLastError());
        return false;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

std::int64_t CMediaDefinition::GetDriveUsedBytes(char letter) {
    ULARGE_INTEGER freeToCaller, total, totalFree;
    if (!sys.GetDiskFreeSpaceExA(rootOf(letter), &freeToCaller, &total, &totalFree))
        return -1;
    return static_cast<std::int64_t>(total.QuadPart) - static_cast<std::int64_t>(freeToCaller.QuadPart);
}

bool CMediaDefinition::FindCdromDrives() {
    std::memset(cdromFlag, 0, sizeof cdromFlag);
    DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i))
            cdromFlag[i] = GetDriveTypeA(rootOf(static_cast<char>('A' + i))) == DRIVE_CDROM ? 1 : 0;
    return true;
}

CString CMediaDefinition::BootMenuLabel() const {
    if (allPrintableAscii(displayName))
        return displayName;
    if (englishName.IsEmpty())
        return asciiOnly(displayName);
    CString english = fullName(englishName, version, architecture);
    return allPrintableAscii(english) ? english : asciiOnly(english);
}

CString CMediaDefinition::GetVolumeLabel() {
    if (sourceIsImage)
        return CString(image.getVolumeLabel().c_str());
    // No "insert a disc" dialog for an empty drive, from here on for the rest of the run.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    char label[kPathBuffer + 1] = {};
    char fileSystem[kPathBuffer + 1] = {};
    if (!GetVolumeInformationA(rootOf(sourceLetter), label, sizeof label, nullptr, nullptr, nullptr,
                               fileSystem, sizeof fileSystem) ||
        !label[0])
        return CString();
    return CString(label);
}
