// CMediaDefinition: the source disc or image, its media definition usbcreator.xml with the override,
// the CD/DVD drive scan, the volume label and the readme viewer.
#pragma once

#include "common/IsoImage.h"
#include "common/SharedPtr.h"
#include "common/Streams.h"
#include "common/String.h"
#include "common/XmlElement.h"
#include "framework/CString.h"

#include <cstdint>

// The definition on a disc or inside an image, and the folder beside the executable that holds the
// override files (named after the definition's product_id).
constexpr const char *kMediaDefinitionPath = "\\usb\\usbcreator.xml";
constexpr const char *kOverrideFolder = "\\override\\";

// The override file for a product id: the override folder beside the executable, the id, ".xml".
// Empty when the id holds a separator or a drive colon, since it could then name a file outside the
// override folder, and when the program's own folder is not known.
CString OverrideFilePath(const char *productId);

// The creation script's job and command lines: the script, the disc's letter, the key's letter and,
// on a multiboot key, the key's folder for the disc, all inside one pair of quotes. The interpreter
// is the one in the system folder.
constexpr const char *kCreateScriptJob = "KXUSB-CreateScript-Job";
constexpr const char *kScriptInterpreter = "CMD.EXE";
constexpr const char *kScriptWithFolder = "CMD.EXE /C \"%s %c: %c: %s\"";
constexpr const char *kScriptWithoutFolder = "CMD.EXE /C \"%s %c: %c:\"";

// The readme viewer, from the system folder, and its command line with the readme's path.
constexpr const char *kReadmeViewer = "NOTEPAD.EXE";
constexpr const char *kReadmeCommand = "NOTEPAD.EXE %s";

class CMediaDefinition {
  public:
    CMediaDefinition();
    ~CMediaDefinition();
    CMediaDefinition(const CMediaDefinition &) = delete;
    CMediaDefinition &operator=(const CMediaDefinition &) = delete;

    // Choose the source; the definition fields stay until the next successful parse. Always true.
    bool SetSourceDrive(char letter);
    bool SetSourceImage(const Common::IsoImage &source);

    bool DefinitionFileExists();
    bool ReadmeExists();
    // The source's definition, then the override for its product id when one exists beside the
    // executable; the result of the last parse.
    bool Load();
    // False when the file cannot be read or parsed, leaving every field as it was; true otherwise,
    // with the fields replaced when the document element is cd_definition.
    bool ParseDefinitionFile(const char *path);
    // Starts the text editor on the readme (for an image, on a temporary copy); true when it started.
    bool ShowReadme();
    // Bytes in use on the letter's volume; -1 when the volume cannot be asked.
    std::int64_t GetDriveUsedBytes(char letter);
    // The image's definition at path (empty: definitionPath) as an element tree, replaced whole by the
    // override file for its product_id when one exists; a bare root when neither can be read.
    Common::SharedPtr<Common::XmlElement> LoadScriptTree(Common::string path);
    // Puts the source on the key: an image is extracted and its filesystem_commands applied, a disc
    // is handed to its creation script. allowMultiboot lets multibootDirectory choose the folder.
    // False when the script cannot be started; a key left short ends the program with message 177.
    bool TransferToKey(char targetLetter, bool allowMultiboot);
    // Refills cdromFlag. Always true.
    bool FindCdromDrives();
    // The source's volume label; empty when there is none.
    CString GetVolumeLabel();
    // The disc's name in its boot-menu entry. The boot loader draws each byte in an 8-bit font of
    // its own, so this is printable ASCII: displayName where it is, else the same text in English
    // where that is, else the English text (or displayName) with each other character as one '?'.
    CString BootMenuLabel() const;

    CString definitionPath;
    std::uint8_t cdromFlag[26];
    std::uint8_t sourceIsImage;
    char sourceLetter;
    CString displayName;
    CString name;
    // The name_xlate whose lang is "en", whatever the system's language; read and emptied with name.
    CString englishName;
    CString version;
    CString architecture;
    CString creationScript;
    CString readmeFile;
    CString logFile;
    CString productId;
    CString displaySize;
    std::int32_t sizeMB;
    std::uint8_t multibootSupport;
    CString multibootDirectory;
    CString multibootConfigFilename;
    CString timeoutValue;
    CString volumeLabel;
    Common::IsoImage image;
    std::uint32_t scriptProcessId;

  private:
    // A copy of a file inside the image under a fresh temporary name with that extension; the copy
    // is left in place after use.
    Common::string copyOutOfImage(const CString &imagePath, const char *extension);
};

// Writes the text's bytes to the stream; the outcome of the write is not looked at.
Common::OutputStream &WriteStringToStream(Common::OutputStream &stream, Common::string text);
