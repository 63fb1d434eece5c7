// Putting the source medium on the key: an image is extracted and its filesystem_commands applied; a
// CD/DVD is handed to the disc's own creation script.
#include "keybuilder/MediaDefinition.h"

#include "common/CopyThread.h"
#include "common/Filesystem.h"
#include "common/XmlParser.h"
#include "framework/CString.h"
#include "framework/MessageBox.h"
#include "framework/Startup.h"
#include "keybuilder/ChildProcess.h"
#include "keybuilder/PathFunctions.h"
#include "platform/SystemCalls.h"
#include "resources/StringIds.h"

namespace {

using Common::SharedPtr;
using Common::string;
using Common::XmlElement;

SharedPtr<XmlElement> parseIntoNewRoot(const string &text) {
    SharedPtr<XmlElement> root(new XmlElement("root"));
    Common::XmlParser parser;
    parser.parse(text, root);
    return root;
}

// Separators may run together and a value may start with one, and the path still stays inside the
// base; only a ".." component climbs out of it, into another disc's folder or the key's root.
bool climbsOutOfBase(const string &value) {
    const char *component = value.c_str();
    for (const char *p = component;; ++p) {
        if (*p != '/' && *p != '\\' && *p != '\0')
            continue;
        if (p - component == 2 && component[0] == '.' && component[1] == '.')
            return true;
        if (*p == '\0')
            return false;
        component = p + 1;
    }
}

// The attribute's value, or false when the step lacks it or it would leave the base.
bool stepValue(const XmlElement &step, const char *attribute, string &value) {
    if (!step.hasAttribute(attribute))
        return false;
    value = step.getAttribute(attribute);
    return !climbsOutOfBase(value);
}

// A failed step is not reported: definitions delete what may be absent.
void runFilesystemCommands(const XmlElement &commands, const string &base) {
    for (XmlElement::ChildList::const_iterator it = commands.childrenBegin(); it != commands.childrenEnd();
         ++it) {
        const XmlElement &step = **it;
        string name = step.getName();
        string source, destination, target;
        if (name == "copy" || name == "move") {
            if (!stepValue(step, "source", source) || !stepValue(step, "destination", destination))
                continue;
            Common::Filesystem::CopyResult copied =
                Common::Filesystem::copy(base + source, base + destination);
            // Deleting a source that was not copied would lose it from the key.
            if (name == "move" && copied == Common::Filesystem::CopySucceeded)
                Common::Filesystem::deleteTree(base + source);
        } else if (name == "delete") {
            if (stepValue(step, "target", target))
                Common::Filesystem::deleteTree(base + target);
        }
        // "execute" steps run nothing here, and unknown steps are passed over.
    }
}

// The key is not functional: say so and end at once, from whichever thread got here.
void abandonKey() {
    AfxMessageBox(IDS_COPY_INTERRUPTED, MB_ICONHAND);
    sys.ExitProcess(static_cast<UINT>(-1));
}

} // namespace

SharedPtr<XmlElement> CMediaDefinition::LoadScriptTree(string path) {
    if (path.empty())
        path = string(static_cast<const char *>(definitionPath));
    string text;
    image.readFile(path, text);
    SharedPtr<XmlElement> tree = parseIntoNewRoot(text);

    if (tree->hasChild("product_id")) {
        CString path = OverrideFilePath(tree->getChild("product_id")->getText().c_str());
        string overridePath(static_cast<const char *>(path));
        // Even an empty override replaces the whole tree: nothing of the disc's own steps remains.
        if (!path.IsEmpty() && Common::Filesystem::fileExists(overridePath)) {
            text = string();
            Common::Filesystem::readFileToString(overridePath, text);
            tree = parseIntoNewRoot(text);
        }
    }
    return tree;
}

bool CMediaDefinition::TransferToKey(char targetLetter, bool allowMultiboot) {
    bool intoFolder = allowMultiboot && !multibootDirectory.IsEmpty();

    if (sourceIsImage) {
        string base = string(targetLetter) + ":/";
        if (intoFolder)
            base += string(static_cast<const char *>(multibootDirectory)) + "/";
        // A key that ran full, or a folder that could not be made, must not be announced as ready.
        if (image.copy("/", base) != Common::Filesystem::CopySucceeded) {
            abandonKey();
            return false;
        }
        SharedPtr<XmlElement> tree = LoadScriptTree(string());
        if (tree->hasChild("filesystem_commands"))
            runFilesystemCommands(*tree->getChild("filesystem_commands"), base);
        return true;
    }

    const std::int64_t expected = GetDriveUsedBytes(sourceLetter);
    CString command;
    if (intoFolder)
        command.Format(kScriptWithFolder, static_cast<const char *>(creationScript), sourceLetter,
                       targetLetter, static_cast<const char *>(multibootDirectory));
    else
        command.Format(kScriptWithoutFolder, static_cast<const char *>(creationScript), sourceLetter,
                       targetLetter);

    return RunChildProcess(
        SystemFolderPath(kScriptInterpreter), command, kCreateScriptJob, 0,
        [this](const PROCESS_INFORMATION &process) {
            scriptProcessId = process.dwProcessId;
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        },
        [this, expected, targetLetter] {
            const std::int64_t used = GetDriveUsedBytes(targetLetter);
            // A drive whose space cannot be read proves nothing about the copy.
            if (expected < 0 || used < 0 || used < expected)
                abandonKey();
            else
                AfxMessageBox(IDS_COPY_SUCCEEDED, MB_ICONINFORMATION);
        });
}
